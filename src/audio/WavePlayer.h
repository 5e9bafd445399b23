#pragma once

// A player of sampled sounds: one voice at a time on a sub-mixer of its own (its "engine object", which
// also carries the channel's eight filter slots).

#include <atomic>
#include <memory>
#include <mutex>

#include "audio/AudioPlayer.h"
#include "audio/mixer/SubMixer.h"

namespace audio {

class SourceCache;

class Audio_WavePlayer final : public Audio_Player {
 public:
  // `mixer` and `sources` must outlive the player.
  Audio_WavePlayer(mixer::Mixer& mixer, SourceCache& sources, TaskRunner& runner);
  ~Audio_WavePlayer() override;

  bool isFinished() const override;
  void play(const std::string& name) override;
  void pause() override;
  void resume() override;
  void stop() override;
  int volume() const override { return m_volume.load(); }
  int pitch() const override { return m_pitch.load(); }
  int pan() const override { return m_pan.load(); }
  void setVolume(int volume) override;
  void setPitch(int pitch) override;
  void setPan(int pan) override;
  std::int64_t position() const override;
  void setPosition(std::int64_t frames) override;
  void setLoop(bool loop) override;

  // The internal volume a play starts at.
  void setDefaultVolume(int volume) { m_defaultVolume.store(volume); }
  mixer::SubMixer& engine() { return m_engine; }
  mixer::VoiceHandle voice() const { return m_voice.load(); }

 private:
  void apply();

  SourceCache& m_sources;
  mixer::SubMixer m_engine;
  std::atomic<mixer::VoiceHandle> m_voice = 0;
  std::mutex m_sourceMutex;
  std::shared_ptr<mixer::AudioSource> m_source;
  std::atomic<int> m_defaultVolume = 100;
  std::atomic<int> m_volume = 100;
  std::atomic<int> m_pitch = 100;
  std::atomic<int> m_pan = 0;
};

}  // namespace audio
