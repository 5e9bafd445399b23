#pragma once

// Channel messages from control threads to the rendering thread. Producers serialise on a mutex among
// themselves; the consumer never takes it.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace audio::midi {

class MessageQueue {
 public:
  static constexpr std::uint32_t kCapacity = 2048;

  // False when full (the consumer has fallen far behind); the message is dropped.
  bool push(std::uint32_t message) {
    std::lock_guard lock(m_producerMutex);
    const std::uint32_t head = m_head.load(std::memory_order_relaxed);
    if (head - m_tail.load(std::memory_order_acquire) >= kCapacity) return false;
    m_ring[head % kCapacity] = message;
    m_head.store(head + 1, std::memory_order_release);
    return true;
  }

  template <typename Consumer>
  void drain(Consumer&& consume) {
    std::uint32_t tail = m_tail.load(std::memory_order_relaxed);
    const std::uint32_t head = m_head.load(std::memory_order_acquire);
    while (tail != head) consume(m_ring[tail++ % kCapacity]);
    m_tail.store(tail, std::memory_order_release);
  }

 private:
  std::mutex m_producerMutex;
  std::array<std::uint32_t, kCapacity> m_ring{};
  std::atomic<std::uint32_t> m_head = 0;
  std::atomic<std::uint32_t> m_tail = 0;
};

}  // namespace audio::midi
