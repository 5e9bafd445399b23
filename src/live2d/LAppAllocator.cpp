#include "live2d/LAppAllocator.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace live2d {

namespace {

constexpr std::size_t kSlot = sizeof(void*);

}  // namespace

void* LAppAllocator::allocate(std::size_t size) { return std::malloc(size); }

void LAppAllocator::deallocate(void* memory) { std::free(memory); }

void* LAppAllocator::allocateAligned(std::size_t size, std::size_t alignment) {
  if (alignment == 0) alignment = 1;
  if (size > std::numeric_limits<std::size_t>::max() - alignment - kSlot) return nullptr;
  void* block = std::malloc(size + alignment + kSlot - 1);
  if (block == nullptr) return nullptr;
  const auto first = reinterpret_cast<std::uintptr_t>(block) + kSlot;
  const std::uintptr_t aligned = first + (alignment - first % alignment) % alignment;
  // The slot may itself be unaligned for a pointer when the alignment is small.
  std::memcpy(reinterpret_cast<void*>(aligned - kSlot), &block, kSlot);
  return reinterpret_cast<void*>(aligned);
}

void LAppAllocator::deallocateAligned(void* alignedMemory) {
  if (alignedMemory == nullptr) return;
  void* block = nullptr;
  std::memcpy(&block, static_cast<const char*>(alignedMemory) - kSlot, kSlot);
  std::free(block);
}

}  // namespace live2d
