# Color and Tone as scripts see them: constructors against set and the setters, return values, clamping,
# the saved-game byte forms, equality and the argument errors.
def channels(tone)
  [tone.red, tone.green, tone.blue, tone.gray]
end

begin
  check('Color.new', Color.new.to_s, '(0,0,0,0)')
  check('Color.new(1, 2, 3) alpha', Color.new(1, 2, 3).alpha, 255)
  check('constructor keeps low bits', Color.new(300, -1, 0).to_s, '(44,255,0,255)')
  check('set clamps', Color.new.set(300, -1, 0).to_s, '(255,0,0,255)')
  color = Color.new
  color.red = 300
  check('red= clamps', color.red, 255)
  check('set returns the colour', color.set(1, 2, 3).equal?(color), true)
  check('Tone#set returns nil', Tone.new.set(1, 2, 3), nil)
  check('Tone.new(300, -300, 0, 400)', channels(Tone.new(300, -300, 0, 400)), [255, -255, 0, 255])
  check('negative gray', Tone.new(0, 0, 0, -5).gray, 0)

  tone = Tone.new
  lost = (-255..255).reject do |value|
    tone.red = value
    tone.green = value
    tone.blue = value
    [tone.red, tone.green, tone.blue] == [value, value, value]
  end
  check('every value survives a Tone setter', lost, [])

  check('Color _dump', Color.new(1, 2, 3, 4)._dump(0).bytes, [3, 2, 1, 4])
  check('Color == 5', Color.new == 5, false)
  check('Tone == 5', error_of { Tone.new == 5 }, "TypeError: can't convert Integer into Tone")
  check('Tone where a Color belongs', error_of { Color.new.set(Tone.new) }, "TypeError: can't convert Tone into Color")

  engine_tone = Tone._load([51.0, -102.0, 255.0, 17.0].pack('E4'))
  check('32-byte Tone', channels(engine_tone), [51, -102, 255, 17])
  check('20-byte Tone', channels(Tone._load([1.0, 1.0, 1.0, 1.0, 1.0].pack('e5'))), [0, 0, 0, 0])
  check('Tone dump not a multiple of 1/255', channels(Tone._load([0.5, -0.5, 0.001, 0.999].pack('e4'))),
        [127, -127, 0, 254])

  check('Color.new(1)', error_of { Color.new(1) }, 'ArgumentError: wrong number of arguments (given 1, expected 3)')
  check('Color.new x5', error_of { Color.new(1, 2, 3, 4, 5) },
        'ArgumentError: wrong number of arguments (given 5, expected 4)')
  check('Color#set()', error_of { Color.new.set }, 'ArgumentError: wrong number of arguments (given 0, expected 1)')
  check('Tone#set(1, 2)', error_of { Tone.new.set(1, 2) },
        'ArgumentError: wrong number of arguments (given 2, expected 3)')
  check('clone of a colour', Color.new(5, 6, 7).clone.to_s, '(5,6,7,255)')
  check('copy from another class', error_of { Tone.new.send(:initialize_copy, Color.new) },
        'TypeError: wrong argument class')
  check('D3DError', D3DError.superclass, RGSSError)
  check('ColorArray.new', error_of { ColorArray.new }, 'RGSSError: cannot create built-in classes')
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
