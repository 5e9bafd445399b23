#pragma once

#include <vector>

#include "audio/mixer/SourceCursor.h"

namespace audio::mixer {

// Over a whole decoded sound; the source outlives the cursor (the voice holds both).
class MemoryCursor final : public SourceCursor {
 public:
  MemoryCursor(const std::vector<float>& samples, unsigned channels);

  std::size_t pull(float* out, std::int64_t* positions, std::size_t maxFrames) override;
  bool ended() const override;
  std::int64_t nextPosition() const override { return m_position; }
  void seek(std::int64_t frame) override;
  void setLoop(bool looping, std::int64_t start, std::int64_t end) override;

 private:
  std::int64_t wrapEnd() const;

  const std::vector<float>& m_samples;
  unsigned m_channels = 2;
  std::int64_t m_length = 0;
  std::int64_t m_position = 0;
  bool m_looping = false;
  std::int64_t m_loopStart = 0;
  std::int64_t m_loopEnd = -1;
};

}  // namespace audio::mixer
