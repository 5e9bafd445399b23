# Saved games: Color, Tone and Table values inside an object graph, through save_data/load_data, and a
# save whose Color and Tone dumps hold four doubles (the stored format of existing saves).
def channels(value)
  value.is_a?(Tone) ? [value.red, value.green, value.blue, value.gray] : [value.red, value.green, value.blue, value.alpha]
end

WindowLook = Struct.new(:back, :tone)

begin
  shared = Color.new(10, 20, 30, 40)
  passability = Table.new(4, 2)
  passability[3, 1] = 0x0f
  party = { 'screen_tone' => Tone.new(-68, -68, 0, 68), 'flash' => [shared, shared], 'passages' => passability,
            'window' => WindowLook.new(Color.new(0, 0, 0, 128), Tone.new(17, 0, -34)) }
  save_data(party, 'Save01.rvdata2')
  loaded = load_data('Save01.rvdata2')
  check('tone', channels(loaded['screen_tone']), [-68, -68, 0, 68])
  check('shared colour stays shared', loaded['flash'][0].equal?(loaded['flash'][1]), true)
  check('colour', channels(loaded['flash'][0]), [10, 20, 30, 40])
  check('table', [loaded['passages'].xsize, loaded['passages'][3, 1]], [4, 15])
  check('struct members', [channels(loaded['window'].back), channels(loaded['window'].tone)],
        [[0, 0, 0, 128], [17, 0, -34, 0]])
  check('Color dump bytes', Marshal.dump(Color.new(1, 2, 3, 4)), "\x04\bu:\nColor\t\x03\x02\x01\x04".b)

  # An array [Color, Tone, Table] in the stored format of existing saves, byte for byte.
  stored = "\x04\b[\bu:\nColor%".b + [255.0, 128.0, 0.0, 200.0].pack('E4') +
             "u:\tTone%".b + [-255.0, 34.0, 0.0, 255.0].pack('E4') +
             "u:\nTable\x1f".b + [1, 3, 1, 1, 3].pack('l<5') + [7, -2, 300].pack('s<3')
  color, tone, table = Marshal.load(stored)
  check('stored Color', channels(color), [255, 128, 0, 200])
  check('stored Tone', channels(tone), [-255, 34, 0, 255])
  check('stored Table', [table[0], table[1], table[2]], [7, -2, 300])
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
