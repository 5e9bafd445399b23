#include "audio/SourceCache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/FileLayer.h"

namespace audio {
namespace {

// Far above any MIDI file a game ships; a larger "MIDI file" is not read into memory.
constexpr std::uint64_t kMaxMidiBytes = 16u << 20;

}  // namespace

SoundResolver fileLayerResolver() {
  return [](const std::string& name) -> std::optional<FoundSound> {
    std::optional<engine::FileLayer::Found> found = engine::FileLayer::instance().open(name, engine::FileKind::Audio);
    if (!found) return std::nullopt;
    FoundSound sound;
    sound.size = found->bytes.size();
    sound.foundName = found->path;
    std::error_code error;
    // A loose file streams from disk, so long music is not held in memory; archive members come as bytes.
    if (std::filesystem::is_regular_file(found->path, error)) {
      sound.data = mixer::SoundData::fromFile(found->path);
    } else {
      sound.data = mixer::SoundData::fromMemory(std::move(found->bytes), found->path);
    }
    return sound;
  };
}

SourceCache::SourceCache(SoundResolver resolver) : m_resolver(std::move(resolver)) {
  m_loader = std::thread([this] { loaderMain(); });
}

SourceCache::~SourceCache() {
  {
    std::lock_guard lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_all();
  m_loader.join();
}

std::optional<FoundSound> SourceCache::resolve(const std::string& name) {
  std::optional<FoundSound> found = m_resolver ? m_resolver(name) : std::nullopt;
  std::lock_guard lock(m_mutex);
  if (found) {
    m_foundNames[name] = found->foundName;
  } else if (m_reported.insert(name).second) {
    std::fprintf(stderr, "[audio] no sound file %s\n", name.c_str());
  }
  return found;
}

std::shared_ptr<mixer::AudioSource> SourceCache::acquire(const std::string& name) {
  {
    std::lock_guard lock(m_mutex);
    if (auto it = m_loaded.find(name); it != m_loaded.end()) return it->second;
  }
  std::optional<FoundSound> found = resolve(name);
  if (!found) return nullptr;
  std::string error;
  std::shared_ptr<mixer::StreamSource> stream = mixer::StreamSource::open(found->data, &error);
  std::lock_guard lock(m_mutex);
  if (!stream) {
    if (m_reported.insert(name).second) std::fprintf(stderr, "[audio] %s\n", error.c_str());
    return nullptr;
  }
  if (found->size > kStreamAboveBytes) {
    m_loaded[name] = stream;
    return stream;
  }
  LoadState& state = m_states[name];
  if (state == LoadState::Unknown) {
    state = LoadState::Queued;
    m_queue.push_back(Job{name, std::move(found->data)});
    m_wake.notify_all();
  }
  return stream;
}

void SourceCache::loaderMain() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
    if (m_quit) return;
    Job job = std::move(m_queue.front());
    m_queue.pop_front();
    m_busy = true;
    lock.unlock();
    std::string error;
    std::shared_ptr<mixer::MemorySource> sound = mixer::MemorySource::load(job.data, &error);
    lock.lock();
    m_busy = false;
    if (sound) {
      m_loaded[job.name] = std::move(sound);
      m_states[job.name] = LoadState::Decoded;
    } else {
      m_states[job.name] = LoadState::Failed;
      std::fprintf(stderr, "[audio] %s\n", error.c_str());
    }
    if (m_queue.empty()) m_idle.notify_all();
  }
}

void SourceCache::waitForLoader() {
  std::unique_lock lock(m_mutex);
  m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

SourceCache::LoadState SourceCache::loadState(const std::string& name) const {
  std::lock_guard lock(m_mutex);
  auto it = m_states.find(name);
  return it == m_states.end() ? LoadState::Unknown : it->second;
}

std::optional<std::string> SourceCache::foundName(const std::string& name) {
  {
    std::lock_guard lock(m_mutex);
    if (auto it = m_foundNames.find(name); it != m_foundNames.end()) return it->second;
  }
  std::optional<FoundSound> found = resolve(name);
  if (!found) return std::nullopt;
  return found->foundName;
}

std::shared_ptr<const std::vector<std::uint8_t>> SourceCache::midiFile(const std::string& name) {
  {
    std::lock_guard lock(m_mutex);
    if (auto it = m_midiFiles.find(name); it != m_midiFiles.end()) return it->second;
  }
  std::optional<FoundSound> found = resolve(name);
  if (!found || found->size > kMaxMidiBytes) return nullptr;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes = found->data.bytes;
  if (!bytes) {
    std::ifstream file(found->data.path, std::ios::binary);
    std::vector<std::uint8_t> content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) return nullptr;
    bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(content));
  }
  std::lock_guard lock(m_mutex);
  m_midiFiles[name] = bytes;
  return bytes;
}

}  // namespace audio
