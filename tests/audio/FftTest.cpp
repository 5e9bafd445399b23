#include "audio/mixer/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace audio::mixer {
namespace {

TEST(FftTest, ImpulseTransformsToAFlatSpectrum) {
  Fft fft(1024);
  std::vector<float> data(2048, 0.0f);
  data[0] = 1.0f;
  fft.forward(data.data());
  for (std::size_t k = 0; k < 1024; ++k) {
    ASSERT_NEAR(data[2 * k], 1.0f, 1e-6f);
    ASSERT_NEAR(data[2 * k + 1], 0.0f, 1e-6f);
  }
}

TEST(FftTest, ComplexToneLandsInItsBinWithTheForwardSign) {
  Fft fft(512);
  std::vector<float> data(1024);
  for (std::size_t n = 0; n < 512; ++n) {
    const double phase = 2.0 * M_PI * 5.0 * static_cast<double>(n) / 512.0;
    data[2 * n] = static_cast<float>(std::cos(phase));
    data[2 * n + 1] = static_cast<float>(std::sin(phase));
  }
  fft.forward(data.data());
  EXPECT_NEAR(data[2 * 5], 512.0f, 1e-2f);
  EXPECT_NEAR(std::hypot(data[2 * 507], data[2 * 507 + 1]), 0.0f, 1e-2f);
}

TEST(FftTest, InverseUndoesForwardIncludingScale) {
  for (std::size_t size : {std::size_t{1}, std::size_t{1024}, std::size_t{3000}}) {
    Fft fft(size);
    std::vector<float> data(2 * size);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<float>(std::sin(0.37 * static_cast<double>(i)) + 0.1 * (i % 7));
    const std::vector<float> original = data;
    fft.forward(data.data());
    fft.inverse(data.data());
    for (std::size_t i = 0; i < data.size(); ++i) ASSERT_NEAR(data[i], original[i], 1e-4f) << size << ":" << i;
  }
}

}  // namespace
}  // namespace audio::mixer
