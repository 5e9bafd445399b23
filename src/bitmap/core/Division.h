#pragma once

// Exact integer division by small divisors through a multiply: the pixel arithmetic divides by a per-pixel alpha
// or weight, and a hardware divide per channel dominated the blits. For 0 ≤ n < 2^19 and 1 ≤ d ≤ kMaxDivisor,
// (n · ⌈2^32 / d⌉) >> 32 equals n / d: the error is below n / 2^32 < 1/8192, less than the 1/d that the
// fraction of n / d stays away from the next integer.

#include <array>
#include <cstdint>

namespace bitmap {

inline constexpr int kMaxDivisor = 1530;  // 6 · 255: the largest blur weight

inline constexpr std::array<std::uint64_t, kMaxDivisor + 1> kReciprocals = [] {
  std::array<std::uint64_t, kMaxDivisor + 1> table{};
  for (int d = 1; d <= kMaxDivisor; ++d) table[d] = ((std::uint64_t{1} << 32) + d - 1) / d;
  return table;
}();

// n / d, truncated; requires 0 ≤ n < 2^19 and 1 ≤ d ≤ kMaxDivisor.
inline std::uint32_t divideSmall(std::uint32_t n, int d) {
  return static_cast<std::uint32_t>((n * kReciprocals[static_cast<std::size_t>(d)]) >> 32);
}

}  // namespace bitmap
