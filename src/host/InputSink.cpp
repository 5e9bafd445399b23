#include "host/InputSink.h"

namespace host {

namespace {

InputSink g_ignoring;
InputSink* g_sink = &g_ignoring;

}  // namespace

InputSink& inputSink() {
  return *g_sink;
}

void setInputSink(InputSink* sink) {
  g_sink = sink != nullptr ? sink : &g_ignoring;
}

}  // namespace host
