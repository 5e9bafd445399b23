#include "host/CApiHook.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace host {
namespace {

int g_reached = 0;

extern "C" void hookTarget() {
  ++g_reached;
}

// One page of our own, placed within a 32-bit displacement of hookTarget, holding code we write and run.
class ExecutablePage {
 public:
  ExecutablePage() {
    long pageSize = ::sysconf(_SC_PAGESIZE);
    m_size = static_cast<std::size_t>(pageSize);
    auto target = reinterpret_cast<std::uintptr_t>(&hookTarget);
    // Try addresses below the code, stepping down, until the kernel gives one that is near enough.
    for (std::uintptr_t distance = 64u << 20; distance < (1u << 30) && m_bytes == nullptr; distance += 64u << 20) {
      std::uintptr_t hint = (target - distance) & ~static_cast<std::uintptr_t>(pageSize - 1);
      void* page = ::mmap(reinterpret_cast<void*>(hint), m_size, PROT_READ | PROT_WRITE | PROT_EXEC,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
      if (page != MAP_FAILED) {
        m_bytes = static_cast<std::uint8_t*>(page);
      }
    }
  }
  ~ExecutablePage() {
    if (m_bytes != nullptr) {
      ::munmap(m_bytes, m_size);
    }
  }
  std::uint8_t* bytes() const { return m_bytes; }
  void load(const std::vector<std::uint8_t>& code) const { std::memcpy(m_bytes, code.data(), code.size()); }
  // Makes the page read-and-execute only, as loaded library code is: the hook must still write to it.
  void protect() const { ::mprotect(m_bytes, m_size, PROT_READ | PROT_EXEC); }
  void run() const { reinterpret_cast<void (*)()>(m_bytes)(); }

 private:
  std::uint8_t* m_bytes = nullptr;
  std::size_t m_size = 0;
};

std::int32_t displacementAt(const std::uint8_t* bytes) {
  std::int32_t value = 0;
  std::memcpy(&value, bytes, 4);
  return value;
}

class CApiHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (page.bytes() == nullptr) {
      GTEST_SKIP() << "no executable page within reach of the test's code";
    }
    g_reached = 0;
  }

  ExecutablePage page;
  CApiHook hook;
};

TEST_F(CApiHookTest, CallOf23BytesWritesOpcodeDisplacementAndEighteenNops) {
  std::vector<std::uint8_t> original(32);
  for (std::size_t i = 0; i < original.size(); ++i) {
    original[i] = static_cast<std::uint8_t>(0xC0 + i);
  }
  page.load(original);
  std::uint8_t* site = page.bytes() + 4;
  ASSERT_TRUE(hook.writeCall(site, reinterpret_cast<const void*>(&hookTarget), 23));
  EXPECT_EQ(site[0], 0xE8);
  auto expected = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(&hookTarget)) -
                  static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(site)) - 5;
  EXPECT_EQ(displacementAt(site + 1), expected);
  for (int i = 5; i < 23; ++i) {
    EXPECT_EQ(site[i], 0x90) << "byte " << i;
  }
  EXPECT_EQ(site[23], original[27]) << "wrote past the site";
  EXPECT_EQ(page.bytes()[3], original[3]) << "wrote before the site";
  ASSERT_EQ(hook.previousBytes().size(), 23u);
  EXPECT_EQ(hook.previousBytes()[0], original[4]);
  EXPECT_EQ(hook.previousBytes()[22], original[26]);
}

TEST_F(CApiHookTest, CallOfSixBytesWritesOneNopAndJumpFive) {
  page.load(std::vector<std::uint8_t>(16, 0xCC));
  ASSERT_TRUE(hook.writeCall(page.bytes(), reinterpret_cast<const void*>(&hookTarget), 6));
  EXPECT_EQ(page.bytes()[5], 0x90);
  EXPECT_EQ(page.bytes()[6], 0xCC);
  ASSERT_TRUE(hook.writeJump(page.bytes() + 8, reinterpret_cast<const void*>(&hookTarget)));
  EXPECT_EQ(page.bytes()[8], 0xE9);
  EXPECT_EQ(page.bytes()[13], 0xCC);
}

TEST_F(CApiHookTest, RefusesNullSitesBadLengthsAndUnreachableTargets) {
  page.load(std::vector<std::uint8_t>(16, 0xCC));
  EXPECT_FALSE(hook.writeCall(nullptr, reinterpret_cast<const void*>(&hookTarget), 5));
  EXPECT_FALSE(hook.writeJump(nullptr, reinterpret_cast<const void*>(&hookTarget)));
  EXPECT_FALSE(hook.writeCall(page.bytes(), reinterpret_cast<const void*>(&hookTarget), 4));
  EXPECT_FALSE(hook.writeCall(page.bytes(), reinterpret_cast<const void*>(&hookTarget), 201));
  auto far = reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(page.bytes()) + (std::uintptr_t{1} << 33));
  EXPECT_FALSE(hook.writeJump(page.bytes(), far));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(page.bytes()[i], 0xCC) << "byte " << i << " was written";
  }
}

#if defined(__x86_64__)
TEST_F(CApiHookTest, PatchedCallSiteReachesTheTargetOnAReadOnlyCodePage) {
  // sub rsp, 8 (keeps the stack aligned for the call); 23 bytes of site; add rsp, 8; ret
  std::vector<std::uint8_t> code = {0x48, 0x83, 0xEC, 0x08};
  code.insert(code.end(), 23, 0x90);
  code.insert(code.end(), {0x48, 0x83, 0xC4, 0x08, 0xC3});
  page.load(code);
  page.protect();
  page.run();
  EXPECT_EQ(g_reached, 0);
  ASSERT_TRUE(hook.writeCall(page.bytes() + 4, reinterpret_cast<const void*>(&hookTarget), 23));
  page.run();
  EXPECT_EQ(g_reached, 1);
}

TEST_F(CApiHookTest, PatchedJumpSiteReachesTheTargetAndReturnsToTheCaller) {
  page.load({0xC3, 0x90, 0x90, 0x90, 0x90});  // ret
  page.protect();
  ASSERT_TRUE(hook.writeJump(page.bytes(), reinterpret_cast<const void*>(&hookTarget)));
  page.run();
  page.run();
  EXPECT_EQ(g_reached, 2);
}
#endif

TEST(CApiHookDeathTest, UnreadableSiteShowsTheDebuggerMessageAndEnds) {
  long pageSize = ::sysconf(_SC_PAGESIZE);
  void* page = ::mmap(nullptr, static_cast<std::size_t>(pageSize), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  ::munmap(page, static_cast<std::size_t>(pageSize));
  auto* site = static_cast<std::uint8_t*>(page);
  EXPECT_EXIT(
      {
        CApiHook hook;
        (void)hook.writeCall(site, site + 64, 5);
      },
      ::testing::ExitedWithCode(1),
      "提示: 无法正确启动游戏，请关闭调试器\nThe game cannot start correctly: close the debugger.");
}

}  // namespace
}  // namespace host
