#include "audio/AudioSystem.h"

#include "audio/SourceCache.h"

namespace audio {

AudioSystem::AudioSystem(mixer::Mixer& mixer, SourceCache& sources, TaskRunner& runner)
    : m_mixer(mixer),
      m_sources(sources),
      m_runner(runner),
      m_midi(std::make_shared<Audio_MidiPlayer>(mixer, sources, runner)) {}

AudioSystem::~AudioSystem() {
  // Players wait on each other only through weak references, so stopping them in any order is safe.
  for (auto& [id, player] : m_channels) player->stop();
  m_midi->stop();
  m_channels.clear();
  m_midi.reset();
}

void AudioSystem::carryOverFrom(const AudioSystem& previous) {
  m_bgmSampled = previous.m_bgmSampled;
  m_seCounter = previous.m_seCounter;
}

bool AudioSystem::isMidi(const std::string& name) {
  if (isMidiName(name)) return true;
  // A name without extension (as game data gives them) is a MIDI file when probing finds one.
  if (name.find('.') != std::string::npos) return false;
  std::optional<std::string> found = m_sources.foundName(name);
  if (!found) return false;
  const std::size_t slash = found->find_last_of("/\\");
  return isMidiName(slash == std::string::npos ? *found : found->substr(slash + 1));
}

Audio_WavePlayer* AudioSystem::player(int id) const {
  if (id < 0) return nullptr;
  auto it = m_channels.find(id);
  return it == m_channels.end() ? nullptr : it->second.get();
}

Audio_Player* AudioSystem::bgmPlayer() const {
  if (m_bgmSampled) return player(kBgmChannel);
  return m_midi.get();
}

int AudioSystem::playOnChannel(int id, const std::string& name, bool loop) {
  if (id < 0) {
    id = 0;
    while (m_channels.count(id) != 0) ++id;
  }
  if (auto it = m_channels.find(id); it != m_channels.end()) {
    Audio_WavePlayer& current = *it->second;
    // A voice that is gone (its file failed to open) is retried rather than kept as a silent match.
    if (loop && current.fileName() == name && !current.fadingOut() && !current.isFinished()) {
      current.setVolume(m_pendingVolume);
      return id;
    }
    current.stop();
    m_channels.erase(it);
  }
  auto created = std::make_shared<Audio_WavePlayer>(m_mixer, m_sources, m_runner);
  m_channels[id] = created;
  created->setDefaultVolume(m_pendingVolume);
  created->play(name);
  created->setLoop(loop);
  return id;
}

void AudioSystem::stopIfPlaying(Audio_Player* player) {
  if (player && player->playing()) player->stop();
}

void AudioSystem::fadePlayer(Audio_Player* player, int durationMs) {
  if (player && player->playing()) player->fadeOut(durationMs);
}

void AudioSystem::startMeWait(std::optional<int> volume) {
  Audio_Player* bgm = bgmPlayer();
  Audio_WavePlayer* me = player(kMeChannel);
  if (!bgm || !bgm->playing() || !me || !me->playing()) return;
  bgm->waitFor(m_channels[kMeChannel], volume);
}

void AudioSystem::bgmPlay(const std::string& name, int volume, int pitch, std::int64_t position) {
  if (name.empty()) {
    bgmStop();
    return;
  }
  pitch = clampPercent(pitch);
  if (isMidi(name)) {
    m_bgmSampled = false;
    if (m_midi->fileName() != name) {
      m_midi->stop();
      m_midi->play(name);
      m_midi->setLoop(true);
    }
    m_midi->setVolume(volume);
    m_midi->setPitch(pitch);
  } else {
    m_bgmSampled = true;
    m_pendingVolume = volume;
    playOnChannel(kBgmChannel, name, true);
    Audio_WavePlayer* bgm = player(kBgmChannel);
    bgm->setVolume(volume);
    bgm->setPitch(pitch);
    if (position != 0) bgm->setPosition(position);
  }
  startMeWait(volume);
}

void AudioSystem::bgmStop() { stopIfPlaying(bgmPlayer()); }

void AudioSystem::bgmFade(int durationMs) { fadePlayer(bgmPlayer(), durationMs); }

std::int64_t AudioSystem::bgmPosition() const {
  const Audio_Player* bgm = bgmPlayer();
  return bgm && bgm->playing() ? bgm->position() : 0;
}

void AudioSystem::bgsPlay(const std::string& name, int volume, int pitch, std::int64_t position) {
  if (name.empty()) {
    bgsStop();
    return;
  }
  m_pendingVolume = volume;
  playOnChannel(kBgsChannel, name, true);
  Audio_WavePlayer* bgs = player(kBgsChannel);
  bgs->setVolume(volume);
  bgs->setPitch(clampPercent(pitch));
  if (position != 0) bgs->setPosition(position);
}

void AudioSystem::bgsStop() { stopIfPlaying(player(kBgsChannel)); }

void AudioSystem::bgsFade(int durationMs) { fadePlayer(player(kBgsChannel), durationMs); }

std::int64_t AudioSystem::bgsPosition() const {
  const Audio_Player* bgs = player(kBgsChannel);
  return bgs && bgs->playing() ? bgs->position() : 0;
}

void AudioSystem::mePlay(const std::string& name, int volume, int pitch) {
  if (name.empty()) {
    meStop();
    return;
  }
  m_pendingVolume = volume;
  playOnChannel(kMeChannel, name, false);
  Audio_WavePlayer* me = player(kMeChannel);
  me->setVolume(volume);
  me->setPitch(clampPercent(pitch));
  startMeWait(std::nullopt);
}

void AudioSystem::meStop() { stopIfPlaying(player(kMeChannel)); }

void AudioSystem::meFade(int durationMs) { fadePlayer(player(kMeChannel), durationMs); }

void AudioSystem::sePlay(const std::string& name, int volume, int pitch) {
  m_pendingVolume = volume;
  const int channel = m_seCounter.take();
  playOnChannel(channel, name, false);
  Audio_WavePlayer* se = player(channel);
  se->setVolume(volume);
  se->setPitch(clampPercent(pitch));
}

void AudioSystem::seStop() {
  for (int id = kFirstSeChannel; id <= kLastSeChannel; ++id) stopIfPlaying(player(id));
}

void AudioSystem::slotPlay(int id, const std::string& name, int volume, int pitch) {
  if (id < 0) return;
  m_pendingVolume = volume;
  playOnChannel(id, name, false);
  Audio_WavePlayer* slot = player(id);
  slot->setVolume(volume);
  slot->setPitch(clampPercent(pitch));
}

}  // namespace audio
