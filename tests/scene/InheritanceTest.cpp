#include "scene/Inheritance.h"

#include <gtest/gtest.h>

namespace {

// Colours written red, green, blue, alpha for the reader; the record stores blue first.
bindings::Color rgba(int r, int g, int b, int a) {
  return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r),
          static_cast<std::uint8_t>(a)};
}

struct ColorCase {
  const char* name;
  bindings::Color parent;
  bindings::Color own;
  bindings::Color expected;
};

class InheritColor : public testing::TestWithParam<ColorCase> {};

TEST_P(InheritColor, WeightsByAlphaAndLaysAlphasOver) {
  const ColorCase& c = GetParam();
  EXPECT_EQ(scene::inheritColor(c.parent, c.own), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InheritColor,
    testing::Values(
        ColorCase{"BothClear", rgba(200, 100, 50, 0), rgba(10, 20, 30, 0), rgba(0, 0, 0, 0)},
        ColorCase{"ClearParentGivesChild", rgba(0, 255, 0, 0), rgba(255, 0, 0, 128), rgba(255, 0, 0, 128)},
        ColorCase{"ClearChildGivesParent", rgba(0, 0, 255, 255), rgba(255, 0, 0, 0), rgba(0, 0, 255, 255)},
        // Equal alphas average; the alpha is 1 - (1 - 0.5)^2 of 255, truncated.
        ColorCase{"EqualAlphasAverage", rgba(255, 0, 100, 128), rgba(0, 255, 0, 128), rgba(127, 127, 50, 191)},
        ColorCase{"OpaqueOverAnything", rgba(10, 10, 10, 255), rgba(250, 250, 250, 255), rgba(130, 130, 130, 255)}),
    [](const testing::TestParamInfo<ColorCase>& info) { return info.param.name; });

TEST(InheritPosition, AddsAndWrapsAtTheInt32Range) {
  EXPECT_EQ(scene::inheritPosition(100, 10), 110);
  EXPECT_EQ(scene::inheritPosition(-5, 3), -2);
  EXPECT_EQ(scene::inheritPosition(INT32_MAX, 1), INT32_MIN);
  EXPECT_EQ(scene::inheritPosition(INT32_MIN, -2), INT32_MAX - 1);
}

TEST(InheritTone, AddsAndSaturates) {
  const bindings::Tone parent{0.8f, -0.8f, 0.2f, 0.7f};
  const bindings::Tone own{0.5f, -0.5f, -0.3f, 0.6f};
  const bindings::Tone result = scene::inheritTone(parent, own);
  EXPECT_FLOAT_EQ(result.red, 1.0f);
  EXPECT_FLOAT_EQ(result.green, -1.0f);
  EXPECT_NEAR(result.blue, -0.1f, 1e-6);
  EXPECT_FLOAT_EQ(result.gray, 1.0f);
  EXPECT_FLOAT_EQ(scene::inheritTone({0, 0, 0, 0.1f}, {0, 0, 0, -0.5f}).gray, 0.0f);
}

}  // namespace
