#pragma once

// A standard allocator over the allocator given to CubismFramework::startUp, so a model's large per-frame
// buffers are accounted by the host. Before start-up (tools, tests) it uses the standard allocator. Each
// instance remembers its source, so memory goes back where it came from even if the framework restarts.

#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "live2d/cubism/CubismFramework.h"

namespace live2d::cubism {

template <class T>
class FrameworkAllocator {
 public:
  using value_type = T;

  FrameworkAllocator() noexcept : m_source(CubismFramework::allocator()) {}
  template <class U>
  explicit FrameworkAllocator(const FrameworkAllocator<U>& other) noexcept : m_source(other.source()) {}

  T* allocate(std::size_t count) {
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    if (!m_source) return std::allocator<T>().allocate(count);
    void* memory = m_source->allocateAligned(count * sizeof(T), kAlignment);
    if (!memory) throw std::bad_alloc();
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, std::size_t count) noexcept {
    if (!m_source) {
      std::allocator<T>().deallocate(memory, count);
    } else {
      m_source->deallocateAligned(memory);
    }
  }

  ICubismAllocator* source() const noexcept { return m_source; }
  friend bool operator==(const FrameworkAllocator& a, const FrameworkAllocator& b) noexcept {
    return a.m_source == b.m_source;
  }

 private:
  // Vertex arrays are handed to graphics APIs and SIMD code; 16 suits both.
  static constexpr std::size_t kAlignment = alignof(T) > 16 ? alignof(T) : 16;
  ICubismAllocator* m_source = nullptr;
};

template <class T>
using FrameworkVector = std::vector<T, FrameworkAllocator<T>>;

}  // namespace live2d::cubism
