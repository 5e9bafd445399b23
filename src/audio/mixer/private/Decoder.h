#pragma once

// FFmpeg behind one small reader: interleaved float frames at the file's own rate, mono kept, anything wider
// mixed down to stereo, positions counted in decoded frames so seeks are sample-exact whatever the
// container's timestamps say.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/mixer/SoundData.h"

namespace audio::mixer {

struct SoundFormat {
  unsigned sampleRate = 0;
  unsigned channels = 0;
  std::int64_t loopStart = 0;
  std::int64_t loopEnd = -1;
};

class Decoder {
 public:
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  // Null (with `error`) when the data holds no decodable audio stream.
  static std::unique_ptr<Decoder> open(const SoundData& data, std::string* error = nullptr);

  const SoundFormat& format() const { return m_format; }
  // Up to `maxFrames` frames into `out`; fewer only at the end of the stream (or on an unreadable rest).
  std::size_t read(float* out, std::size_t maxFrames);
  bool atEnd() const;
  // Frame index of the next frame `read` returns.
  std::int64_t position() const { return m_position; }
  // The next `read` starts at frame `frame` exactly; false if the stream ends before it (or on cancel).
  bool seek(std::int64_t frame);
  // A long seek (decoding from the start up to a late frame) gives up when `*flag` becomes true; the flag
  // must outlive the decoder.
  void setCancelFlag(const std::atomic<bool>* flag) { m_cancel = flag; }

 private:
  struct State;
  Decoder() = default;
  bool start(std::string* error);
  bool decodeMore();
  bool skip(std::int64_t frames);

  SoundData m_data;
  std::unique_ptr<State> m_state;
  SoundFormat m_format;
  std::int64_t m_position = 0;
  const std::atomic<bool>* m_cancel = nullptr;
};

}  // namespace audio::mixer
