#include "audio/MidiPlayer.h"

#include <cstdio>

#include "audio/SourceCache.h"
#include "audio/midi/MidiControl.h"
#include "audio/midi/MidiSource.h"
#include "audio/midi/MidiSynth.h"
#include "audio/mixer/Mixer.h"

namespace audio {
namespace {

constexpr unsigned kModulationController = 1;
constexpr unsigned kModulationValue = 16;

}  // namespace

Audio_MidiPlayer::Audio_MidiPlayer(mixer::Mixer& mixer, SourceCache& sources, TaskRunner& runner)
    : Audio_Player(runner), m_mixer(mixer), m_sources(sources), m_engine(mixer, mixer::Clipping::RoundOff) {}

Audio_MidiPlayer::~Audio_MidiPlayer() {
  finishTasks();
  m_engine.stopAll();
}

bool Audio_MidiPlayer::isFinished() const { return !m_engine.isValidVoiceHandle(m_voice.load()); }

void Audio_MidiPlayer::play(const std::string& name) {
  Audio_Player::play(name);
  std::shared_ptr<const std::vector<std::uint8_t>> file = m_sources.midiFile(name);
  if (!file) return;
  if (!prepareSynth()) return;
  std::string error;
  std::shared_ptr<midi::MidiSource> source = midi::MidiSource::create(file, m_synth, &error);
  if (!source) {
    std::fprintf(stderr, "[audio] %s: %s\n", name.c_str(), error.c_str());
    return;
  }
  {
    std::lock_guard lock(m_sourceMutex);
    m_source = source;
  }
  const mixer::VoiceHandle voice = m_engine.play(source, 1.0f);
  m_voice.store(voice);
  m_engine.setLooping(voice, loop());
  startTask(TaskKind::Control, [this](std::int64_t) { return stepControl(); });
}

bool Audio_MidiPlayer::prepareSynth() {
  if (m_synth) return true;
  std::string error;
  m_synth = midi::MidiSynth::create(m_mixer.sampleRate(), &error);
  if (!m_synth) std::fprintf(stderr, "[audio] no MIDI synthesiser: %s\n", error.c_str());
  return m_synth != nullptr;
}

bool Audio_MidiPlayer::stepControl() {
  if (!playing()) return false;
  std::shared_ptr<midi::MidiSource> source;
  {
    std::lock_guard lock(m_sourceMutex);
    source = m_source;
  }
  const bool running = !isFinished();
  if (!source || !running) return playing();
  const int volume = m_volume.load();
  const int pitch = m_pitch.load();
  const int pan = m_pan.load();
  if (volume != m_appliedVolume || pitch != m_appliedPitch || pan != m_appliedPan) {
    m_appliedVolume = volume;
    m_appliedPitch = pitch;
    m_appliedPan = pan;
    for (std::uint32_t message : midi::playerControlMessages(volume, pitch, pan)) source->post(message);
  }
  for (unsigned channel = 0; channel < 16; ++channel)
    source->post(midi::controlChange(channel, kModulationController, kModulationValue));
  return true;
}

void Audio_MidiPlayer::pause() { m_engine.setPause(m_voice.load(), true); }

void Audio_MidiPlayer::resume() { m_engine.setPause(m_voice.load(), false); }

void Audio_MidiPlayer::stop() {
  const bool wasPlaying = playing();
  // Cancels and joins the control task, so the applied values below are ours alone.
  Audio_Player::stop();
  if (!wasPlaying) return;
  // Removing the voice resets the synthesiser: a long note stops at once.
  m_engine.stop(m_voice.exchange(0));
  {
    std::lock_guard lock(m_sourceMutex);
    m_source.reset();
  }
  m_appliedVolume = 0;
  m_appliedPitch = 0;
  m_appliedPan = 0;
}

void Audio_MidiPlayer::setLoop(bool loop) {
  Audio_Player::setLoop(loop);
  m_engine.setLooping(m_voice.load(), loop);
}

}  // namespace audio
