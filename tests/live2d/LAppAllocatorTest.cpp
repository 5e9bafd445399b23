// The framework's allocator: aligned blocks of every alignment, small and large, come back aligned, hold their
// bytes and go back to the heap through the whole pointer kept before them.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "live2d/LAppAllocator.h"

namespace {

TEST(LAppAllocatorTest, AlignedBlocksAreAlignedWritableAndFreed) {
  live2d::LAppAllocator allocator;
  // Large blocks come from fresh mappings far above 4 GiB, where a pointer cut to 32 bits would free garbage.
  for (std::size_t size :
       {std::size_t{1}, std::size_t{24}, std::size_t{4096}, std::size_t{1} << 20, std::size_t{3} << 22}) {
    for (std::size_t alignment : {0, 1, 2, 3, 8, 16, 24, 64, 4096}) {
      void* block = allocator.allocateAligned(size, alignment);
      ASSERT_NE(block, nullptr);
      if (alignment > 0) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignment, 0u) << alignment;
      }
      std::memset(block, 0xA5, size);
      allocator.deallocateAligned(block);
    }
  }
  allocator.deallocateAligned(nullptr);
}

TEST(LAppAllocatorTest, ImpossibleSizesGiveNull) {
  live2d::LAppAllocator allocator;
  EXPECT_EQ(allocator.allocateAligned(SIZE_MAX - 8, 16), nullptr);
  void* plain = allocator.allocate(32);
  ASSERT_NE(plain, nullptr);
  allocator.deallocate(plain);
}

}  // namespace
