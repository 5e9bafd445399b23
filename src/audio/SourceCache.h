#pragma once

// Where the players get their sounds, shared by every player for the life of the process. Files above
// 20480 bytes are streamed and the stream kept; smaller ones are streamed the first time while a loader
// thread decodes them whole, and are played from memory afterwards. MIDI files are kept as bytes.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "audio/mixer/AudioSource.h"
#include "audio/mixer/SoundData.h"

namespace audio {

inline constexpr std::uint64_t kStreamAboveBytes = 20480;

struct FoundSound {
  mixer::SoundData data;
  std::uint64_t size = 0;
  // The name the file was found under (with the extension that probing added).
  std::string foundName;
};
// Finds a sound by its script name; nullopt when there is none.
using SoundResolver = std::function<std::optional<FoundSound>(const std::string& name)>;

// Game files through the engine's file layer: the archive first, then the game folder, extensions probed.
SoundResolver fileLayerResolver();

class SourceCache {
 public:
  enum class LoadState { Unknown, Queued, Decoded, Failed };

  explicit SourceCache(SoundResolver resolver);
  // Stops and joins the loader thread.
  ~SourceCache();
  SourceCache(const SourceCache&) = delete;
  SourceCache& operator=(const SourceCache&) = delete;

  // Main thread. Null when the file is missing or is no sound the decoder reads.
  std::shared_ptr<mixer::AudioSource> acquire(const std::string& name);
  // The whole MIDI file, read once and kept; null when missing or unreadable.
  std::shared_ptr<const std::vector<std::uint8_t>> midiFile(const std::string& name);
  // The name the file was found under, remembered; nullopt when missing.
  std::optional<std::string> foundName(const std::string& name);

  LoadState loadState(const std::string& name) const;
  // Blocks until the loader has nothing queued (for tests).
  void waitForLoader();

 private:
  struct Job {
    std::string name;
    mixer::SoundData data;
  };
  void loaderMain();
  std::optional<FoundSound> resolve(const std::string& name);

  SoundResolver m_resolver;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_idle;
  std::map<std::string, std::shared_ptr<mixer::AudioSource>> m_loaded;
  std::map<std::string, LoadState> m_states;
  std::map<std::string, std::string> m_foundNames;
  std::map<std::string, std::shared_ptr<const std::vector<std::uint8_t>>> m_midiFiles;
  std::set<std::string> m_reported;
  std::deque<Job> m_queue;
  bool m_busy = false;
  bool m_quit = false;
  std::thread m_loader;
};

}  // namespace audio
