// Image files through our bitmap loader's decoder.
#include "bitmap/core/ImageCodec.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Pictures near the bitmap limit are legitimate and cost gigabytes to decode, which would only exhaust the
  // fuzzer's memory: this decodes up to 4096 x 4096 pixels.
  std::string error;
  (void)bitmap::decodeImage(fuzz::bytes(data, size), &error, 4096 * 4096);
  return 0;
}
