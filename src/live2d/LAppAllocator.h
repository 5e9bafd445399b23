#pragma once

// The memory the Live2D framework takes its model buffers from: the C library's heap. Aligned blocks keep the
// address of the whole block in the pointer-sized slot right before the aligned address, so freeing needs no
// other record; the slot holds a full pointer, whatever the platform's pointer size.

#include <cstddef>

#include "live2d/cubism/CubismFramework.h"

namespace live2d {

class LAppAllocator final : public cubism::ICubismAllocator {
 public:
  void* allocate(std::size_t size) override;
  void deallocate(void* memory) override;
  // Null when the request cannot be met. An alignment of 0 counts as 1; any alignment works, powers of two or
  // not.
  void* allocateAligned(std::size_t size, std::size_t alignment) override;
  void deallocateAligned(void* alignedMemory) override;
};

}  // namespace live2d
