// A replacement engine library for the boot tests. It records each call on standard error, so a test can
// check which entry points the player reached and in what order.

#include <cstdio>

#include "engine/Engine.h"

#ifndef STUB_ABI
#define STUB_ABI engine::kEngineAbiVersion
#endif

extern "C" {

__attribute__((visibility("default"))) extern const int quillon_engine_abi;
const int quillon_engine_abi = STUB_ABI;

__attribute__((visibility("default"))) int RGSSSetupRTP(const char*, char*, int) {
  std::fprintf(stderr, "stub: setup rtp\n");
  return 1;
}

__attribute__((visibility("default"))) void RGSSInitialize3(void*) {
  std::fprintf(stderr, "stub: initialize\n");
}

__attribute__((visibility("default"))) void RGSSSetupFonts() {
  std::fprintf(stderr, "stub: setup fonts\n");
}

#ifndef STUB_WITHOUT_EVAL
__attribute__((visibility("default"))) void RGSSEval(const char* text) {
  std::fprintf(stderr, "stub: eval %s\n", text);
}
#endif

__attribute__((visibility("default"))) void RGSSGameMain(void*, const char* scripts, const char* archive) {
  std::fprintf(stderr, "stub: game main [%s] [%s]\n", scripts, archive);
}

#ifdef STUB_EXINIT_RESULT
__attribute__((visibility("default"))) int RGSSExInitialize(void* window) {
  std::fprintf(stderr, "stub: ex initialize %s\n", window != nullptr ? "with window" : "without window");
  return STUB_EXINIT_RESULT;
}
#endif
}
