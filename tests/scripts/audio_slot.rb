# Audio_Slot through the real player: play with its volume rule, the clamps of every setter, positions,
# looping, the convolution filters and their intensities, the copy refusals, and channels without a player.
def write_wav(path, seconds)
  rate = 22_050
  data = Array.new((rate * seconds).to_i) { |i| (Math.sin(i * 0.05) * 6000).to_i }.pack('s<*')
  header = ['RIFF', 36 + data.bytesize, 'WAVE', 'fmt ', 16, 1, 1, rate, rate * 2, 2, 16, 'data', data.bytesize]
  Dir.mkdir('Audio') rescue nil
  Dir.mkdir(File.dirname(path)) rescue nil
  File.binwrite(path, header.pack('a4Va4a4VvvVVvva4V') + data)
end

begin
  write_wav('Audio/SE/tone.wav', 2)

  empty = Audio_Slot.new(42)
  check('no player: volume', empty.volume, 0)
  check('no player: pitch', empty.pitch, 0)
  check('no player: pan', empty.pan, 0)
  check('no player: pos', empty.pos, 0)
  check('no player: loop', empty.loop, false)
  check('no player: intensity', empty.get_filter_intensity(0), 0)
  check('no player: setter returns its argument', empty.send(:volume=, 50), 50)
  check('no player: set_filter', empty.set_filter(0, 0, [1.0]), nil)
  check('no player: stop', empty.stop, nil)
  negative = Audio[-3]
  check('negative id: play', error_of { negative.play('Audio/SE/tone') }, 'no error')
  check('negative id: volume', negative.volume, 0)

  slot = Audio[40]
  check('Audio[] is a new slot', Audio[40].equal?(slot), false)
  check('play()', error_of { slot.play }, arity(0, 1))
  check('play x4', error_of { slot.play('Audio/SE/tone', 1, 2, 3) }, arity(4, 3))
  check('play returns nil', slot.play('Audio/SE/tone'), nil)
  check('slot play without volume is 100', slot.volume, 100)
  check('slot play does not loop', slot.loop, false)
  slot.play('Audio/SE/tone', 100)
  check('slot play with volume uses the curve', slot.volume, 160)
  slot.play('Audio/SE/tone', 50, 150)
  check('slot play 50', [slot.volume, slot.pitch], [32, 150])
  slot.play('Audio/SE/tone', 80, 999)
  check('slot play pitch clamp', slot.pitch, 200)

  check('volume= 100', slot.send(:volume=, 100), 100)
  check('volume is not curved', slot.volume, 100)
  slot.volume = 300
  check('volume clamps high', slot.volume, 200)
  slot.volume = -4
  check('volume clamps low', slot.volume, 0)
  slot.pitch = 250
  check('pitch clamps high', slot.pitch, 200)
  slot.pitch = -1
  check('pitch clamps low', slot.pitch, 0)
  slot.pitch = 100
  slot.pan = 150
  check('pan clamps high', slot.pan, 100)
  slot.pan = -150
  check('pan clamps low', slot.pan, -100)
  slot.pan = 25
  check('pan', slot.pan, 25)
  slot.loop = true
  check('loop=', slot.loop, true)
  slot.loop = 1
  check('loop= 1 is false', slot.loop, false)
  slot.pos = 10_000
  check('pos=', slot.pos >= 10_000, true)

  # Filters: slots 0 … 7, intensity as a percentage of the wet mix.
  check('no filter', slot.get_filter_intensity(0), 0)
  check('set_filter returns nil', slot.set_filter(0, 0, [1.0]), nil)
  check('new filter at full intensity', slot.get_filter_intensity(0), 100)
  slot.set_filter_intensity(0, 30)
  check('intensity 30', slot.get_filter_intensity(0), 30)
  slot.set_filter_intensity(0, 500)
  check('intensity clamps high', slot.get_filter_intensity(0), 100)
  slot.set_filter_intensity(0, -5)
  check('intensity clamps low', slot.get_filter_intensity(0), 0)
  check('index 8 reads 0', slot.get_filter_intensity(8), 0)
  check('index 8 is ignored', slot.set_filter_intensity(8, 50), nil)
  check('index 8 filter is ignored', error_of { slot.set_filter(8, 0, [1.0]) }, 'no error')
  slot.set_filter(7, 1, [1.0] * 40)
  check('frequency curve filter', slot.get_filter_intensity(7), 100)
  slot.set_filter(3, 0, Array.new(20_000) { |i| i.zero? ? 1 : 0 })
  check('long integer response', slot.get_filter_intensity(3), 100)
  slot.set_filter(7, 0, nil)
  check('nil removes', slot.get_filter_intensity(7), 0)
  slot.clear_filter(3)
  check('clear_filter', slot.get_filter_intensity(3), 0)
  check('clear_filter 99', error_of { slot.clear_filter(99) }, 'no error')
  check('samples not an array', error_of { slot.set_filter(0, 0, 'x') }.start_with?('TypeError'), true)
  check('sample not a number', error_of { slot.set_filter(0, 0, [1.0, 'x']) }.start_with?('TypeError'), true)
  check('set_filter arity', error_of { slot.set_filter(0, 0) }, arity(2, 3))
  slot.set_filter(1, 5, [1.0])
  check('unknown kind installs a (silent) filter', slot.get_filter_intensity(1), 100)
  slot.play('Audio/SE/tone')
  check('a new play starts without filters', slot.get_filter_intensity(0), 0)

  check('clone', error_of { slot.clone }, "RGSSError: can't clone Audio Slot")
  check('dup', error_of { slot.dup }, "RGSSError: can't dup Audio Slot")
  check('dispose', slot.dispose, nil)
  check('still usable after dispose', slot.volume, 100)
  check('stop', slot.stop, nil)
  check('stopped', slot.pos, 0)
  check('Audio_Slot.new()', error_of { Audio_Slot.new }, arity(0, 1))
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
