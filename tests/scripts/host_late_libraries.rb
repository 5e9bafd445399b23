# Libraries that only some games need are opened when first used: a start loads none of them, and the sound
# decoders and the MIDI synthesiser still come when a game plays sound.
def mapped?(library)
  File.foreach('/proc/self/maps').any? { |line| line.include?(library) }
end

def wait_until(seconds = 5)
  deadline = Time.now + seconds
  sleep 0.02 until yield || Time.now > deadline
end

late = %w[libavutil libavcodec libavformat libswscale libswresample libfluidsynth libarchive]
check('none loaded at start', late.select { |library| mapped?(library) }, [])

Dir.mkdir('Audio') rescue nil
Dir.mkdir('Audio/BGM') rescue nil
rate = 22_050
samples = Array.new(rate / 2) { |i| (Math.sin(i * 0.1) * 8000).to_i }.pack('s<*')
File.binwrite('Audio/BGM/tone.wav', ['RIFF', 36 + samples.bytesize, 'WAVE', 'fmt ', 16, 1, 1, rate, rate * 2, 2, 16,
                                     'data', samples.bytesize].pack('a4Va4a4VvvVVvva4V') + samples)
Audio.bgm_play('Audio/BGM/tone')
wait_until { mapped?('libavcodec') }
check('decoders loaded by the first sound', %w[libavutil libavcodec libswresample].map { |library| mapped?(library) },
      [true, true, true])
check('a sound plays', Audio[1].volume, 160)

# One note: a format-0 file, 96 ticks a beat.
track = [0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00].pack('C*')
File.binwrite('Audio/BGM/note.mid', ['MThd', 6, 0, 1, 96, 'MTrk', track.bytesize].pack('a4Nnnna4N') + track)
Audio.bgm_play('Audio/BGM/note.mid')
wait_until { mapped?('libfluidsynth') }
check('synthesiser loaded by the first MIDI music', mapped?('libfluidsynth'), true)
check('still no archive library', mapped?('libarchive'), false)
Audio.bgm_stop
finish
