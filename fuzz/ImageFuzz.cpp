// Image files through our bitmap loader's decoder.
#include "bitmap/core/ImageCodec.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  (void)bitmap::decodeImage(fuzz::bytes(data, size), &error);
  return 0;
}
