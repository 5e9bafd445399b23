#pragma once

// The one MIDI player: the file plays as a FluidSynth voice on a sub-mixer of its own, and a control task
// carries the requested volume, pitch and pan to the synthesiser as controller messages every 100 ms.

#include <atomic>
#include <memory>
#include <mutex>

#include "audio/AudioPlayer.h"
#include "audio/mixer/SubMixer.h"

namespace audio {

namespace midi {
class MidiSource;
class MidiSynth;
}  // namespace midi

class SourceCache;

class Audio_MidiPlayer final : public Audio_Player {
 public:
  Audio_MidiPlayer(mixer::Mixer& mixer, SourceCache& sources, TaskRunner& runner);
  ~Audio_MidiPlayer() override;

  bool isFinished() const override;
  void play(const std::string& name) override;
  void pause() override;
  void resume() override;
  void stop() override;
  int volume() const override { return m_volume.load(); }
  int pitch() const override { return m_pitch.load(); }
  int pan() const override { return m_pan.load(); }
  void setVolume(int volume) override { m_volume.store(volume); }
  void setPitch(int pitch) override { m_pitch.store(pitch); }
  void setPan(int pan) override { m_pan.store(pan); }
  void setLoop(bool loop) override;
  // Makes the synthesiser (loading the SoundFont) unless it exists; false, with a log line, when none can be made.
  bool prepareSynth();

  mixer::SubMixer& engine() { return m_engine; }

 private:
  bool stepControl();

  mixer::Mixer& m_mixer;
  SourceCache& m_sources;
  mixer::SubMixer m_engine;
  std::shared_ptr<midi::MidiSynth> m_synth;
  std::mutex m_sourceMutex;
  std::shared_ptr<midi::MidiSource> m_source;
  std::atomic<mixer::VoiceHandle> m_voice = 0;
  std::atomic<int> m_volume = 100;
  std::atomic<int> m_pitch = 100;
  std::atomic<int> m_pan = 0;
  // What the control task last sent; 0 after a stop so the next play sends everything again.
  std::atomic<int> m_appliedVolume = 0;
  std::atomic<int> m_appliedPitch = 0;
  std::atomic<int> m_appliedPan = 0;
};

}  // namespace audio
