// Effect source text (the built-in effect and scripts' add_shader texts) before it reaches the shader compiler.
#include "fuzz/FuzzInput.h"
#include "platform/gfx/EffectSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string errors;
  (void)gfx::parseEffectSource(fuzz::text(data, size), &errors);
  return 0;
}
