// Sound files through our FFmpeg decoder: opened from memory, read, sought back and read again.
#include <vector>

#include "audio/mixer/private/Decoder.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using audio::mixer::Decoder;
  using audio::mixer::SoundData;
  std::unique_ptr<Decoder> decoder = Decoder::open(SoundData::fromMemory({data, data + size}, "fuzz"));
  if (!decoder) return 0;
  // Two channels at most after the mix-down; a bounded amount of sound, however long the file claims to be.
  std::vector<float> frames(2 * 4096);
  for (int block = 0; block < 16 && decoder->read(frames.data(), 4096) > 0; ++block) {
  }
  if (decoder->seek(1000)) (void)decoder->read(frames.data(), 4096);
  return 0;
}
