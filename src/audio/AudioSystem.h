#pragma once

// The players of the Audio module: sampled players by channel id (1 BGM, 2 BGS, 3 ME, 10 … 19 SE, others
// for Audio_Slot) and the one MIDI player. Every operation here runs on the main thread; the players' own
// tasks touch only their players.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "audio/AudioMath.h"
#include "audio/MidiPlayer.h"
#include "audio/WavePlayer.h"

namespace audio {

namespace mixer {
class Mixer;
}

class SourceCache;
class TaskRunner;

class AudioSystem {
 public:
  AudioSystem(mixer::Mixer& mixer, SourceCache& sources, TaskRunner& runner);
  // Stops every player and waits for their tasks.
  ~AudioSystem();
  AudioSystem(const AudioSystem&) = delete;
  AudioSystem& operator=(const AudioSystem&) = delete;

  // Volumes are internal (after the volume curve); pitches are clamped here.
  void bgmPlay(const std::string& name, int volume, int pitch, std::int64_t position);
  void bgmStop();
  void bgmFade(int durationMs);
  std::int64_t bgmPosition() const;
  void bgsPlay(const std::string& name, int volume, int pitch, std::int64_t position);
  void bgsStop();
  void bgsFade(int durationMs);
  std::int64_t bgsPosition() const;
  void mePlay(const std::string& name, int volume, int pitch);
  void meStop();
  void meFade(int durationMs);
  void sePlay(const std::string& name, int volume, int pitch);
  void seStop();

  // Restarts `id` with `name` (not looping) at `volume` and `pitch`: Audio_Slot#play.
  void slotPlay(int id, const std::string& name, int volume, int pitch);
  // Plays on a channel at the pending volume; a negative id takes the smallest unused one. Returns the id.
  int playOnChannel(int id, const std::string& name, bool loop);

  // Null when no player exists on `id` (or it is negative).
  Audio_WavePlayer* player(int id) const;
  Audio_MidiPlayer& midiPlayer() { return *m_midi; }
  bool bgmSampled() const { return m_bgmSampled; }
  int nextSeChannel() const { return m_seCounter.current(); }

  // What outlives a reset: which kind of BGM the BGM calls address and the SE counter.
  void carryOverFrom(const AudioSystem& previous);

 private:
  bool isMidi(const std::string& name);
  Audio_Player* bgmPlayer() const;
  void startMeWait(std::optional<int> volume);
  static void stopIfPlaying(Audio_Player* player);
  static void fadePlayer(Audio_Player* player, int durationMs);

  mixer::Mixer& m_mixer;
  SourceCache& m_sources;
  TaskRunner& m_runner;
  std::map<int, std::shared_ptr<Audio_WavePlayer>> m_channels;
  std::shared_ptr<Audio_MidiPlayer> m_midi;
  int m_pendingVolume = 100;
  bool m_bgmSampled = false;
  SeChannelCounter m_seCounter;
};

}  // namespace audio
