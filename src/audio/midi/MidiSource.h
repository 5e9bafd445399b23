#pragma once

// A MIDI file as a mixer source: its cursor runs the sequence on the audio thread, turning event ticks into
// sample positions and rendering the synthesiser in chunks between events. One voice of a source plays at a
// time (the synthesiser is shared); stopping the voice silences the synthesiser at once.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/midi/MidiSynth.h"
#include "audio/mixer/AudioSource.h"

namespace audio::midi {

class MessageQueue;

class MidiSource final : public mixer::AudioSource {
 public:
  // Null (with `error`) when `file` is not a playable MIDI file.
  static std::shared_ptr<MidiSource> create(std::shared_ptr<const std::vector<std::uint8_t>> file,
                                            std::shared_ptr<MidiSynth> synth, std::string* error = nullptr);
  ~MidiSource() override;

  std::int64_t lengthFrames() const override { return -1; }
  std::unique_ptr<mixer::SourceCursor> createCursor(bool offline) const override;

  // Any thread: a channel message (status | data1 << 8 | data2 << 16) that the synthesiser receives before the
  // next chunk it renders. False when the queue is full.
  bool post(std::uint32_t message) const;

 private:
  MidiSource() = default;
  std::shared_ptr<const std::vector<std::uint8_t>> m_file;
  std::shared_ptr<MidiSynth> m_synth;
  std::shared_ptr<MessageQueue> m_queue;
};

}  // namespace audio::midi
