#pragma once

// The console input buffer: text typed on the console, appended by the reader thread and taken whole by
// VORN.console_input. Appending and taking exclude each other, so no line is half taken or lost.

#include <array>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace host {

class ConsoleBuffer {
 public:
  static constexpr std::size_t kCapacity = 32768;

  // Appends `text` when it fits before the last byte, which always stays zero. Text that does not fit waits
  // for the next take, except when the buffer is empty: then as much as fits goes in, so an over-long line
  // cannot block the console for good. Returns the bytes taken.
  std::size_t append(std::string_view text);
  // The whole text up to its first zero byte; the buffer is cleared in the same step.
  std::string take();
  void clear();

 private:
  std::mutex m_mutex;
  std::array<char, kCapacity> m_bytes{};
  std::size_t m_length = 0;
};

// What VORN.console_input makes of taken text: converted to UTF-8 (invalid bytes become U+FFFD), trailing
// line feeds, carriage returns and spaces removed, though never the first character.
std::string consoleLineText(std::string_view taken);

// Starts the thread that reads `fd` (standard input) into `buffer` until end of file. It hands over whole
// lines only, so a reader that takes the buffer never sees half a line.
void startConsoleReader(ConsoleBuffer& buffer, int fd);

}  // namespace host
