#include "audio/mixer/private/Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace audio::mixer {
namespace {

// Every version of the kernel loop against the plain one, on kernel lengths that leave each possible remainder
// after the vector steps.
TEST(Interpolation, EveryVersionAgreesWithThePlainLoop) {
  const std::vector<Interpolation> versions = supportedInterpolations();
  std::mt19937 random(21);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (int taps = 2; taps <= 70; taps += 2) {
    for (const unsigned channels : {1u, 2u}) {
      std::vector<float> a(static_cast<std::size_t>(taps)), d(a.size()), x(a.size() * channels);
      for (float& v : a) v = value(random);
      for (float& v : d) v = value(random) * 0.01f;
      for (float& v : x) v = value(random);
      const float t = (value(random) + 1.0f) / 2.0f;
      float expected[2];
      versions.front().function(a.data(), d.data(), taps, t, x.data(), channels, expected);
      for (const Interpolation& version : versions) {
        float actual[2] = {99.0f, 99.0f};
        version.function(a.data(), d.data(), taps, t, x.data(), channels, actual);
        for (int side = 0; side < 2; ++side) {
          ASSERT_NEAR(actual[side], expected[side], 1e-5f * static_cast<float>(taps))
              << version.name << ", " << taps << " taps, " << channels << " channels, side " << side;
        }
      }
    }
  }
}

}  // namespace
}  // namespace audio::mixer
