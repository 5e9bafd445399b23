#include "bitmap/core/Division.h"

#include <gtest/gtest.h>

namespace bitmap {
namespace {

// Every numerator the pixel arithmetic can produce for each divisor: a weighted sum of byte channels is at most
// 255 times its weight.
TEST(DivideSmall, EqualsIntegerDivisionOverThePixelRanges) {
  int mismatches = 0;
  for (int d = 1; d <= kMaxDivisor; ++d) {
    for (std::uint32_t n = 0; n <= 255u * static_cast<std::uint32_t>(d); ++n) {
      if (divideSmall(n, d) != n / static_cast<std::uint32_t>(d)) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(DivideSmall, HoldsUpToTheStatedNumeratorLimit) {
  for (const int d : {1, 3, 7, 255, 1000, kMaxDivisor}) {
    for (std::uint32_t n = (1u << 19) - 5000; n < (1u << 19); ++n) {
      ASSERT_EQ(divideSmall(n, d), n / static_cast<std::uint32_t>(d)) << n << " / " << d;
    }
  }
}

}  // namespace
}  // namespace bitmap
