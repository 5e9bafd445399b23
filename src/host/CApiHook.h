#pragma once

// The patch writer for the closed engine library: writes a 5-byte relative call or jump over an
// instruction and fills the rest of the rewritten stretch with no-operation bytes. It reads and writes
// through the process's own memory file, so code pages need no change of protection, as with the Windows
// process-memory calls it stands for.

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

namespace host {

class CApiHook {
 public:
  static constexpr int kMinLength = 5;
  static constexpr int kMaxLength = 200;
  static constexpr std::uint8_t kNop = 0x90;
  static constexpr std::uint8_t kCallOpcode = 0xE8;
  static constexpr std::uint8_t kJumpOpcode = 0xE9;

  CApiHook();
  virtual ~CApiHook();
  CApiHook(const CApiHook&) = delete;
  CApiHook& operator=(const CApiHook&) = delete;

  // Writes `jmp target` at `site` (5 bytes).
  [[nodiscard]] bool writeJump(void* site, const void* target);
  // Writes `call target` at `site`, followed by no-operation bytes up to `length` (5 to 200) bytes.
  // Both return false and write nothing for a null site, a length out of range, or a target that a 32-bit
  // displacement cannot reach from the site. A site whose bytes cannot be read shows "无法正确启动游戏，
  // 请关闭调试器" and ends the process.
  [[nodiscard]] bool writeCall(void* site, const void* target, int length);

  // What stood at the last site before it was written.
  std::span<const std::uint8_t> previousBytes() const {
    return {m_previous.data(), static_cast<std::size_t>(m_length)};
  }

 private:
  bool write(std::uint8_t opcode, void* site, const void* target, int length);

  int m_length = 0;
  std::array<std::uint8_t, kMaxLength> m_previous{};
  std::array<std::uint8_t, kMaxLength> m_patch{};
  void* m_site = nullptr;
  std::mutex m_lock;
};

}  // namespace host
