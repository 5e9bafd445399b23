#include "host/CApiHook.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <limits>

#include "platform/window/MessageBox.h"

namespace host {

namespace {

// The process's own memory, opened once: reads fail on unmapped addresses, writes pass page protections.
int memoryFile() {
  static const int fd = ::open("/proc/self/mem", O_RDWR | O_CLOEXEC);
  return fd;
}

bool readMemory(const void* address, std::uint8_t* bytes, std::size_t count) {
  int fd = memoryFile();
  auto offset = static_cast<off_t>(reinterpret_cast<std::uintptr_t>(address));
  return fd >= 0 && ::pread(fd, bytes, count, offset) == static_cast<ssize_t>(count);
}

void writeMemory(void* address, const std::uint8_t* bytes, std::size_t count) {
  int fd = memoryFile();
  auto offset = static_cast<off_t>(reinterpret_cast<std::uintptr_t>(address));
  if (fd >= 0) {
    // A failed write is not reported: the read before it already proved the site.
    [[maybe_unused]] ssize_t written = ::pwrite(fd, bytes, count, offset);
  }
}

}  // namespace

CApiHook::CApiHook() {
  m_previous.fill(kNop);
  m_patch.fill(kNop);
}

CApiHook::~CApiHook() = default;

bool CApiHook::writeJump(void* site, const void* target) {
  return write(kJumpOpcode, site, target, kMinLength);
}

bool CApiHook::writeCall(void* site, const void* target, int length) {
  return write(kCallOpcode, site, target, length);
}

bool CApiHook::write(std::uint8_t opcode, void* site, const void* target, int length) {
  if (site == nullptr || length < kMinLength || length > kMaxLength) {
    return false;
  }
  auto from = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(site));
  auto to = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(target));
  std::int64_t displacement = to - from - kMinLength;
  // A 64-bit process can place code further apart than a rel32 reaches; such a patch would jump astray.
  if (displacement < std::numeric_limits<std::int32_t>::min() ||
      displacement > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  std::lock_guard lock(m_lock);
  m_site = site;
  m_length = length;
  if (!readMemory(site, m_previous.data(), static_cast<std::size_t>(length))) {
    windowing::reportError(
        "提示", "无法正确启动游戏，请关闭调试器\nThe game cannot start correctly: close the debugger.", nullptr);
    std::_Exit(1);
  }
  auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(displacement));
  m_patch[0] = opcode;
  for (int i = 0; i < 4; ++i) {
    m_patch[1 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
  writeMemory(site, m_patch.data(), static_cast<std::size_t>(length));
  return true;
}

}  // namespace host
