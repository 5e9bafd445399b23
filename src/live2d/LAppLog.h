#pragma once

// The debug log of the Live2D glue ("[APP]" lines) and of the framework ("[CSM]" lines). Lines go to standard
// error only while the log is enabled (the player enables it when it runs with its console or with
// QUILLON_DEBUG_LOG set); a normal run writes nothing. Each line is cut to 255 characters and ends with one
// newline.

#include <cstddef>
#include <string>
#include <string_view>

namespace live2d {

inline constexpr std::size_t kLogLineLength = 255;

void setDebugLogEnabled(bool enabled);
bool debugLogEnabled();

// Where enabled lines go, each with its newline; null restores standard error.
using LogSink = void (*)(std::string_view line);
void setLogSink(LogSink sink);

// printf-style; formatted only while the log is enabled.
void appLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The framework's log function: its messages carry their own newline, which stays the only one.
void frameworkLog(const char* message);

// The line as written: at most 255 characters of `text`, then a newline (one trailing newline of the text
// counts as that newline).
std::string logLine(std::string_view text);

}  // namespace live2d
