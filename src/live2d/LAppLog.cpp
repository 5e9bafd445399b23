#include "live2d/LAppLog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace live2d {

namespace {

bool g_enabled = false;
LogSink g_sink = nullptr;

void write(std::string_view text) {
  const std::string line = logLine(text);
  if (g_sink != nullptr) {
    g_sink(line);
  } else {
    std::fwrite(line.data(), 1, line.size(), stderr);
  }
}

}  // namespace

void setDebugLogEnabled(bool enabled) { g_enabled = enabled; }

bool debugLogEnabled() { return g_enabled; }

void setLogSink(LogSink sink) { g_sink = sink; }

std::string logLine(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  std::string line(text.substr(0, kLogLineLength));
  line += '\n';
  return line;
}

void appLog(const char* format, ...) {
  if (!g_enabled) return;
  // One character more than a line holds, so a cut line and a line ending in its own newline both fit.
  char buffer[kLogLineLength + 2];
  std::va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return;
  write(std::string_view(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1)));
}

void frameworkLog(const char* message) {
  if (g_enabled && message != nullptr) write(message);
}

}  // namespace live2d
