# Bitmaps from files: the game archive first (over a loose file of the same name), loose files by any letter
# case and without extension, PNG and BMP written here by hand, save_png round trips, and the two failures.
# file: Game.rgss3a <- bitmap_data/Game.rgss3a
# file: Graphics/Pictures/Shadowed.png <- bitmap_data/Loose.png
# file: Graphics/Pictures/Loose.png <- bitmap_data/Loose.png
def pixels(bitmap)
  (0...bitmap.height).flat_map { |y| (0...bitmap.width).map { |x| bitmap.get_pixel(x, y).to_s } }
end

# A 24-bit bottom-up BMP of rows of [r, g, b].
def bmp(rows)
  width = rows[0].size
  stride = (width * 3 + 3) / 4 * 4
  body = rows.reverse.map { |row| row.map { |r, g, b| [b, g, r].pack('C*') }.join.ljust(stride, "\0") }.join
  ['BM', 54 + body.bytesize, 0, 54].pack('a2VVV') + [40, width, rows.size, 1, 24, 0, body.bytesize, 2835, 2835, 0,
                                                     0].pack('VVVvvVVVVVV') + body
end

begin
  archived = Bitmap.new('Graphics/Pictures/Archived')
  check('archive member', [archived.width, archived.height, pixels(archived)],
        [2, 2, ['(255,0,0,255)', '(0,255,0,128)', '(0,0,255,255)', '(10,20,30,0)']])
  check('archive wins over a loose file', Bitmap.new('graphics\\pictures\\shadowed.png').get_pixel(0, 0).to_s,
        '(1,2,3,255)')
  check('loose file by another case', Bitmap.new('GRAPHICS/Pictures/loose').get_pixel(0, 0).to_s,
        '(200,200,200,255)')
  check('a loaded bitmap has a default font', Bitmap.new('Graphics/Pictures/Loose').font.size, 24)

  File.binwrite('Painted.bmp', bmp([[[255, 0, 0], [0, 128, 255]], [[1, 2, 3], [250, 251, 252]]]))
  painted = Bitmap.new('Painted.bmp')
  check('BMP', pixels(painted), ['(255,0,0,255)', '(0,128,255,255)', '(1,2,3,255)', '(250,251,252,255)'])

  made = Bitmap.new(3, 2)
  made.set_pixel(0, 0, Color.new(1, 2, 3, 4))
  made.set_pixel(2, 1, Color.new(250, 0, 9))
  made.set_pixel(1, 0, Color.new(0, 0, 0, 255))
  check('save_png returns its argument', made.save_png('saved.png'), 'saved.png')
  check('saved PNG loads back identical', pixels(Bitmap.new('saved.png')), pixels(made))
  check('save_png failures are not reported', made.save_png('no/such/folder/x.png'), 'no/such/folder/x.png')

  File.binwrite('Garbage.png', 'not an image at all')
  check('garbage', error_of { Bitmap.new('Garbage.png') }, "RGSSError: failed to create bitmap \nGarbage.png")
  File.binwrite('Truncated.png', File.binread('saved.png')[0, 40])
  check('truncated', error_of { Bitmap.new('Truncated') }, "RGSSError: failed to create bitmap \nTruncated")
  File.binwrite('Empty.png', '')
  check('empty file', error_of { Bitmap.new('Empty.png') }, "RGSSError: failed to create bitmap \nEmpty.png")
  missing = begin
    Bitmap.new('Graphics/Pictures/Nowhere')
  rescue SystemCallError => error
    [error.class, error.errno, error.message.include?('Graphics/Pictures/Nowhere')]
  end
  check('missing file', missing, [Errno::ENOENT, 2, true])
  check('name must be a string', error_of { Bitmap.new(:sym) },
        'TypeError: wrong argument type Symbol (expected String)')
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
