# Writes the files bitmap_files.rb loads: a game archive holding two pictures, and a loose picture that the
# archive's copy of the same name must win over. Run from this folder: ruby make-data.rb
# PNGs are stored uncompressed (deflate "stored" blocks) so that nothing but Ruby's core is needed.

def crc32(bytes)
  table = (0...256).map do |n|
    8.times { n = n.odd? ? 0xEDB88320 ^ (n >> 1) : n >> 1 }
    n
  end
  bytes.each_byte.inject(0xFFFFFFFF) { |crc, b| table[(crc ^ b) & 0xFF] ^ (crc >> 8) } ^ 0xFFFFFFFF
end

def stored_zlib(data)
  a = 1
  b = 0
  data.each_byte do |byte|
    a = (a + byte) % 65_521
    b = (b + a) % 65_521
  end
  [0x78, 0x01, 1, data.bytesize, data.bytesize ^ 0xFFFF].pack('CCCvv') + data + [(b << 16) | a].pack('N')
end

# rows: arrays of [r, g, b, a]
def png(rows)
  chunk = ->(type, body) { [body.bytesize].pack('N') + type + body + [crc32(type + body)].pack('N') }
  raw = rows.map { |row| "\0" + row.flatten.pack('C*') }.join
  "\x89PNG\r\n\x1A\n".b + chunk.call('IHDR', [rows[0].size, rows.size, 8, 6, 0, 0, 0].pack('NNCCCCC')) +
    chunk.call('IDAT', stored_zlib(raw)) + chunk.call('IEND', '')
end

def archive(members, seed = 0x1234)
  key = (seed * 9 + 3) & 0xFFFFFFFF
  header = "RGSSAD\0".b + [3].pack('C') + [seed].pack('V')
  table_size = members.sum { |name, _| 16 + name.bytesize } + 16
  offset = header.bytesize + table_size
  table = ''.b
  body = ''.b
  members.each_with_index do |(name, data), index|
    file_key = 0x100 + index
    table << [offset ^ key, data.bytesize ^ key, file_key ^ key, name.bytesize ^ key].pack('VVVV')
    table << name.bytes.each_with_index.map { |byte, i| byte ^ ((key >> (8 * (i % 4))) & 0xFF) }.pack('C*')
    padded = data + "\0" * ((4 - data.bytesize % 4) % 4)
    encoded = padded.unpack('V*').map do |word|
      value = word ^ file_key
      file_key = (file_key * 7 + 3) & 0xFFFFFFFF
      value
    end.pack('V*')
    body << encoded[0, data.bytesize]
    offset += data.bytesize
  end
  table << [0 ^ key, 0, 0, 0].pack('VVVV')
  header + table + body
end

# Other generators load this file for png and archive; only running it writes the bitmap data.
if __FILE__ == $PROGRAM_NAME
  archived = png([[[255, 0, 0, 255], [0, 255, 0, 128]], [[0, 0, 255, 255], [10, 20, 30, 0]]])
  shadowed = png([[[1, 2, 3, 255]]])
  loose = png([[[200, 200, 200, 255]]])
  File.binwrite('Game.rgss3a', archive([['Graphics\\Pictures\\Archived.png', archived],
                                        ['Graphics\\Pictures\\Shadowed.png', shadowed]]))
  File.binwrite('Loose.png', loose)
end
