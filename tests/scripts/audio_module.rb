# The Audio module through the real player: argument counts and errors of every function, return values,
# the volume curve and pitch clamp as Audio_Slot reads them back, BGM positions, the same-BGM rule, SE
# channels, the ME ducking the BGM, MIDI detection, missing files and __reset__. Sounds are written here.
# Mono 16-bit PCM at 22050 Hz.
def write_wav(path, seconds, hz)
  rate = 22_050
  frames = (rate * seconds).to_i
  data = Array.new(frames) { |i| (Math.sin(2 * Math::PI * hz * i / rate) * 8000).to_i }.pack('s<*')
  header = ['RIFF', 36 + data.bytesize, 'WAVE', 'fmt ', 16, 1, 1, rate, rate * 2, 2, 16, 'data', data.bytesize]
  Dir.mkdir(File.dirname(File.dirname(path))) rescue nil
  Dir.mkdir(File.dirname(path)) rescue nil
  File.binwrite(path, header.pack('a4Va4a4VvvVVvva4V') + data)
end

def wait_until(seconds = 3)
  deadline = Time.now + seconds
  sleep 0.02 until yield || Time.now > deadline
end

begin
  write_wav('Audio/BGM/theme.wav', 3, 440)
  write_wav('Audio/BGS/wind.wav', 3, 220)
  write_wav('Audio/ME/fanfare.wav', 0.6, 660)
  write_wav('Audio/SE/beep.wav', 0.2, 880)

  # Argument counts.
  check('bgm_play()', error_of { Audio.bgm_play }, arity(0, 1))
  check('bgm_play x5', error_of { Audio.bgm_play('a', 1, 2, 3, 4) }, arity(5, 4))
  check('bgs_play()', error_of { Audio.bgs_play }, arity(0, 1))
  check('bgs_play x5', error_of { Audio.bgs_play('a', 1, 2, 3, 4) }, arity(5, 4))
  check('me_play()', error_of { Audio.me_play }, arity(0, 1))
  check('me_play x4', error_of { Audio.me_play('a', 1, 2, 3) }, arity(4, 3))
  check('se_play()', error_of { Audio.se_play }, arity(0, 1))
  check('se_play x4', error_of { Audio.se_play('a', 1, 2, 3) }, arity(4, 3))
  %i[bgm_stop bgm_pos bgs_stop bgs_pos me_stop se_stop __reset__].each do |name|
    check("#{name}(1)", error_of { Audio.send(name, 1) }, arity(1, 0))
  end
  %i[bgm_fade bgs_fade me_fade].each do |name|
    check("#{name}()", error_of { Audio.send(name) }, arity(0, 1))
    check("#{name}(1, 2)", error_of { Audio.send(name, 1, 2) }, arity(2, 1))
  end
  check('Audio[]', error_of { Audio[] }, arity(0, 1))
  check('bgm_play(nil)', error_of { Audio.bgm_play(nil) }.start_with?('TypeError'), true)
  check('bgm_play volume string', error_of { Audio.bgm_play('Audio/BGM/theme', 'loud') }.start_with?('TypeError'), true)

  # Return values and the volume curve.
  check('bgm_pos before', Audio.bgm_pos, 0)
  check('bgm_play returns nil', Audio.bgm_play('Audio/BGM/theme'), nil)
  check('Audio[1] class', Audio[1].class, Audio_Slot)
  check('default volume 100 → 160', Audio[1].volume, 160)
  check('default pitch', Audio[1].pitch, 100)
  check('BGM loops', Audio[1].loop, true)
  wait_until { Audio.bgm_pos > 0 }
  check('bgm_pos moves', Audio.bgm_pos > 0, true)
  check('bgm_pos is an Integer', Audio.bgm_pos.class, Integer)

  before = Audio.bgm_pos
  Audio.bgm_play('Audio/BGM/theme', 80, 300)
  check('same BGM keeps its place', Audio.bgm_pos >= before, true)
  check('80 → 87', Audio[1].volume, 87)
  check('pitch clamps to 200', Audio[1].pitch, 200)
  Audio.bgm_play('Audio/BGM/theme', 50, -20)
  check('50 → 32', Audio[1].volume, 32)
  check('pitch clamps to 0', Audio[1].pitch, 0)
  Audio.bgm_play('Audio/BGM/theme', 0, 100)
  check('0 → 0', Audio[1].volume, 0)

  check('bgm_fade returns nil', Audio.bgm_fade(100), nil)
  wait_until { Audio.bgm_pos == 0 }
  check('faded BGM ended', Audio.bgm_pos, 0)
  check('faded BGM stopped', Audio[1].volume, 0)
  Audio.bgm_play('Audio/BGM/theme', 100, 100, 2000)
  check('start position', Audio.bgm_pos >= 2000, true)
  check('bgm_stop returns nil', Audio.bgm_stop, nil)
  check('bgm_pos after stop', Audio.bgm_pos, 0)
  check('empty name stops', (Audio.bgm_play('Audio/BGM/theme'); Audio.bgm_play(''); Audio.bgm_pos), 0)

  check('bgs_play', Audio.bgs_play('Audio/BGS/wind', 100, 100, 1000), nil)
  check('bgs loops', Audio[2].loop, true)
  check('bgs start', Audio.bgs_pos >= 1000, true)
  check('bgs_fade', Audio.bgs_fade(0), nil)
  wait_until { Audio.bgs_pos == 0 }
  check('bgs faded at once', Audio.bgs_pos, 0)

  # The ME ducks the BGM, which returns after it.
  Audio.bgm_play('Audio/BGM/theme', 100)
  check('me_play', Audio.me_play('Audio/ME/fanfare', 100), nil)
  check('ME does not loop', Audio[3].loop, false)
  check('BGM silent during the ME', Audio[1].volume, 0)
  wait_until(4) { Audio[1].volume == 160 }
  check('BGM back after the ME', Audio[1].volume, 160)
  check('me_stop', Audio.me_stop, nil)
  check('me_fade', Audio.me_fade(10), nil)

  # SE channels 10 … 19, the eleventh back on 10.
  11.times { |i| check("se_play #{i}", Audio.se_play('Audio/SE/beep', 100, 100 + i), nil) }
  check('eleventh SE on channel 10', Audio[10].pitch, 110)
  check('second SE on channel 11', Audio[11].pitch, 101)
  check('se_stop', Audio.se_stop, nil)

  # Games prepare the MIDI synthesiser before their first MIDI music.
  check('setup_midi', Audio.setup_midi, nil)
  check('setup_midi x1', error_of { Audio.setup_midi(1) }, arity(1, 0))

  # A name ending in "mid" is a MIDI BGM (played by the MIDI player, not channel 1).
  Audio.bgm_play('Audio/BGM/theme')
  Audio.bgm_play('Audio/BGM/missing.mid')
  check('MIDI BGM has no sampled position', Audio.bgm_pos, 0)
  check('sampled BGM still plays', Audio[1].volume, 160)
  Audio.bgm_stop
  check('bgm_stop left the sampled BGM', Audio[1].volume, 160)

  # Missing files play nothing and raise nothing.
  check('missing BGM', error_of { Audio.bgm_play('Audio/BGM/nothing') }, 'no error')
  check('missing SE', error_of { Audio.se_play('Audio/SE/nothing') }, 'no error')

  check('__reset__', Audio.__reset__, nil)
  check('no players after a reset', [Audio[1].volume, Audio.bgm_pos, Audio.bgs_pos], [0, 0, 0])
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
