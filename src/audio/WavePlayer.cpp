#include "audio/WavePlayer.h"

#include "audio/SourceCache.h"

namespace audio {
namespace {

constexpr float kVolumeDivisor = 100.0f;
constexpr float kPitchDivisor = 100.0f;
constexpr float kPanDivisor = 100.0f;

}  // namespace

Audio_WavePlayer::Audio_WavePlayer(mixer::Mixer& mixer, SourceCache& sources, TaskRunner& runner)
    : Audio_Player(runner), m_sources(sources), m_engine(mixer, mixer::Clipping::RoundOff) {}

Audio_WavePlayer::~Audio_WavePlayer() { finishTasks(); }

bool Audio_WavePlayer::isFinished() const { return !m_engine.isValidVoiceHandle(m_voice.load()); }

void Audio_WavePlayer::play(const std::string& name) {
  Audio_Player::play(name);
  std::shared_ptr<mixer::AudioSource> source = m_sources.acquire(name);
  const int volume = m_defaultVolume.load();
  const mixer::VoiceHandle voice = m_engine.play(source, static_cast<float>(volume) / kVolumeDivisor);
  {
    std::lock_guard lock(m_sourceMutex);
    m_source = std::move(source);
  }
  m_voice.store(voice);
  setVolume(volume);
}

void Audio_WavePlayer::pause() { m_engine.setPause(m_voice.load(), true); }

void Audio_WavePlayer::resume() { m_engine.setPause(m_voice.load(), false); }

void Audio_WavePlayer::stop() {
  Audio_Player::stop();
  m_engine.stop(m_voice.exchange(0));
  std::lock_guard lock(m_sourceMutex);
  m_source.reset();
}

void Audio_WavePlayer::setVolume(int volume) {
  m_volume.store(volume);
  apply();
}

void Audio_WavePlayer::setPitch(int pitch) {
  m_pitch.store(pitch);
  apply();
}

void Audio_WavePlayer::setPan(int pan) {
  m_pan.store(pan);
  apply();
}

void Audio_WavePlayer::apply() {
  const mixer::VoiceHandle voice = m_voice.load();
  m_engine.setVolume(voice, static_cast<float>(m_volume.load()) / kVolumeDivisor);
  m_engine.setRelativePlaySpeed(voice, static_cast<float>(m_pitch.load()) / kPitchDivisor);
  m_engine.setPan(voice, static_cast<float>(m_pan.load()) / kPanDivisor);
}

std::int64_t Audio_WavePlayer::position() const { return m_engine.positionFrames(m_voice.load()); }

void Audio_WavePlayer::setPosition(std::int64_t frames) { m_engine.seekFrames(m_voice.load(), frames); }

void Audio_WavePlayer::setLoop(bool loop) {
  Audio_Player::setLoop(loop);
  std::int64_t loopPoint = 0;
  {
    std::lock_guard lock(m_sourceMutex);
    if (m_source) loopPoint = m_source->loopPointFrames();
  }
  const mixer::VoiceHandle voice = m_voice.load();
  m_engine.setLooping(voice, loop);
  m_engine.setLoopPoint(voice, loopPoint);
}

}  // namespace audio
