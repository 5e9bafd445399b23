#include "host/ConsoleBuffer.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "engine/Utf.h"

namespace host {

std::size_t ConsoleBuffer::append(std::string_view text) {
  std::lock_guard lock(m_mutex);
  std::size_t room = kCapacity - 1 - m_length;
  std::size_t count = text.size() <= room ? text.size() : (m_length == 0 ? room : 0);
  std::memcpy(m_bytes.data() + m_length, text.data(), count);
  m_length += count;
  m_bytes[m_length] = '\0';
  return count;
}

std::string ConsoleBuffer::take() {
  std::lock_guard lock(m_mutex);
  std::string text(m_bytes.data(), ::strnlen(m_bytes.data(), m_length));
  m_bytes.fill('\0');
  m_length = 0;
  return text;
}

void ConsoleBuffer::clear() {
  std::lock_guard lock(m_mutex);
  m_bytes.fill('\0');
  m_length = 0;
}

std::string consoleLineText(std::string_view taken) {
  std::string text = engine::utf16ToUtf8(engine::utf8ToUtf16(taken));
  std::size_t end = text.size();
  while (end > 1 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ')) {
    --end;
  }
  text.resize(end);
  return text;
}

namespace {

void readConsole(ConsoleBuffer* buffer, int fd) {
  buffer->clear();
  std::string pending;
  char chunk[4096];
  bool open = true;
  while (open) {
    ssize_t count = ::read(fd, chunk, sizeof(chunk));
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count <= 0) {
      // End of input (or no readable input at all): what is left goes in as a last line.
      open = false;
    } else {
      pending.append(chunk, static_cast<std::size_t>(count));
    }
    std::size_t complete = open ? pending.rfind('\n') : pending.size() - 1;
    if (pending.empty() || complete == std::string::npos) {
      continue;
    }
    std::string_view lines(pending.data(), complete + 1);
    while (!lines.empty()) {
      std::size_t taken = buffer->append(lines);
      lines.remove_prefix(taken);
      if (taken == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    pending.erase(0, complete + 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace

void startConsoleReader(ConsoleBuffer& buffer, int fd) {
  // Detached: the reader blocks in read() for as long as the game runs and ends with the process.
  std::thread(readConsole, &buffer, fd).detach();
}

}  // namespace host
