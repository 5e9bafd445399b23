#include "audio/midi/MidiSource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "audio/midi/MidiSequence.h"
#include "audio/midi/private/MessageQueue.h"
#include "audio/mixer/SourceCursor.h"

namespace audio::midi {
namespace {

constexpr double kDefaultTempo = 500000.0;
// Notes still sounding when the sequence ends are given this long to fade.
constexpr double kTailSeconds = 2.0;
// A file that packs more events than this between two output chunks is hostile (a near-zero-length loop at
// an absurd tick rate); it is ended rather than allowed to stall the audio thread.
constexpr int kMaxEventsPerChunk = 20000;

class MidiCursor final : public mixer::SourceCursor {
 public:
  MidiCursor(std::unique_ptr<MidiSequence> sequence, std::shared_ptr<MidiSynth> synth,
             std::shared_ptr<MessageQueue> queue)
      : m_sequence(std::move(sequence)), m_synth(std::move(synth)), m_queue(std::move(queue)) {
    m_owner = m_synth->acquire();
    if (!m_owner) {
      // Another voice still plays on this synthesiser; this one stays silent rather than race it.
      std::fprintf(stderr, "[audio] MIDI synthesiser busy: stop the playing MIDI voice first\n");
      m_ended = true;
      return;
    }
    m_synth->reset();
    const std::uint16_t division = m_sequence->division();
    if (division & 0x8000) {
      // SMPTE time: frames per second (stored negated) times ticks per frame; tempo events do not apply.
      const int framesPerSecond = 256 - (division >> 8);
      const int ticksPerFrame = division & 0xff;
      m_smpte = true;
      m_samplesPerTick = static_cast<double>(m_synth->sampleRate()) / std::max(1, framesPerSecond * ticksPerFrame);
    } else {
      setTempo(kDefaultTempo);
    }
    m_tailFrames = static_cast<std::int64_t>(kTailSeconds * m_synth->sampleRate());
  }

  ~MidiCursor() override {
    // The voice is unlinked from the mixer before its cursor goes: silencing here cannot race a render.
    if (!m_owner) return;
    m_synth->reset();
    m_synth->release();
  }

  std::size_t pull(float* out, std::int64_t* positions, std::size_t maxFrames) override {
    m_queue->drain([this](std::uint32_t message) { m_synth->send(message); });
    std::size_t done = 0;
    while (done < maxFrames && !m_ended) {
      if (!m_sequenceOver) dispatchDueEvents();
      std::size_t chunk = maxFrames - done;
      if (m_sequenceOver) {
        if (m_tailFrames <= 0) {
          m_ended = true;
          break;
        }
        chunk = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(chunk), m_tailFrames));
        m_tailFrames -= static_cast<std::int64_t>(chunk);
      } else {
        const double untilEvent = std::ceil(m_nextEventSample - static_cast<double>(m_clock));
        chunk = static_cast<std::size_t>(std::clamp(untilEvent, 1.0, static_cast<double>(chunk)));
      }
      m_synth->render(out + 2 * done, chunk);
      for (std::size_t i = 0; i < chunk; ++i) positions[done + i] = m_clock + static_cast<std::int64_t>(i);
      m_clock += static_cast<std::int64_t>(chunk);
      done += chunk;
    }
    return done;
  }

  bool ended() const override { return m_ended; }
  std::int64_t nextPosition() const override { return m_clock; }
  // MIDI playback has no seek: positions only count rendered frames.
  void seek(std::int64_t) override {}
  void setLoop(bool looping, std::int64_t, std::int64_t) override { m_sequence->setLooping(looping); }

 private:
  void setTempo(double microsecondsPerQuarter) {
    if (m_smpte) return;
    m_samplesPerTick =
        microsecondsPerQuarter * m_synth->sampleRate() / (1e6 * static_cast<double>(m_sequence->division()));
  }

  // Sends every event whose sample position has come; fetches the next one and places it in time.
  void dispatchDueEvents() {
    for (int dispatched = 0;; ++dispatched) {
      if (dispatched > kMaxEventsPerChunk) {
        m_sequenceOver = true;
        return;
      }
      if (!m_pending) {
        m_pending = m_sequence->next();
        if (!m_pending) {
          m_sequenceOver = true;
          return;
        }
        m_nextEventSample += m_pending->deltaTicks * m_samplesPerTick;
      }
      if (m_nextEventSample > static_cast<double>(m_clock)) return;
      if (m_pending->kind == MidiEvent::Kind::Tempo)
        setTempo(m_pending->data);
      else
        m_synth->send(m_pending->data);
      m_pending.reset();
    }
  }

  std::unique_ptr<MidiSequence> m_sequence;
  std::shared_ptr<MidiSynth> m_synth;
  std::shared_ptr<MessageQueue> m_queue;
  std::optional<MidiEvent> m_pending;
  double m_samplesPerTick = 0.0;
  double m_nextEventSample = 0.0;
  std::int64_t m_clock = 0;
  std::int64_t m_tailFrames = 0;
  bool m_owner = false;
  bool m_smpte = false;
  bool m_sequenceOver = false;
  bool m_ended = false;
};

}  // namespace

MidiSource::~MidiSource() = default;

std::shared_ptr<MidiSource> MidiSource::create(std::shared_ptr<const std::vector<std::uint8_t>> file,
                                               std::shared_ptr<MidiSynth> synth, std::string* error) {
  if (!synth) {
    if (error) *error = "no synthesiser";
    return nullptr;
  }
  if (!MidiSequence::open(file, error)) return nullptr;
  std::shared_ptr<MidiSource> source(new MidiSource);
  source->m_sampleRate = synth->sampleRate();
  source->m_channels = 2;
  source->m_file = std::move(file);
  source->m_synth = std::move(synth);
  source->m_queue = std::make_shared<MessageQueue>();
  return source;
}

std::unique_ptr<mixer::SourceCursor> MidiSource::createCursor(bool) const {
  return std::make_unique<MidiCursor>(MidiSequence::open(m_file), m_synth, m_queue);
}

bool MidiSource::post(std::uint32_t message) const { return m_queue->push(message); }

}  // namespace audio::midi
