#include "audio/AudioMath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace audio {
namespace {

TEST(AudioMathTest, VolumeCurve) {
  struct Case {
    int script;
    int internal;
  };
  // 90 (118.67) and 20 (7.91) tell truncation from rounding.
  const std::vector<Case> cases = {{100, 160}, {80, 87}, {50, 32},   {0, 0},        {105, 185}, {10, 3},
                                   {1, 0},     {-50, 0}, {200, 200}, {100000, 200}, {90, 118},  {20, 7}};
  for (const Case& c : cases) EXPECT_EQ(volumeCurve(c.script), c.internal) << c.script;
}

TEST(AudioMathTest, Clamps) {
  EXPECT_EQ(clampPercent(-1), 0);
  EXPECT_EQ(clampPercent(150), 150);
  EXPECT_EQ(clampPercent(201), 200);
  EXPECT_EQ(clampPan(-101), -100);
  EXPECT_EQ(clampPan(35), 35);
  EXPECT_EQ(clampPan(1000), 100);
}

TEST(AudioMathTest, MidiIsTheTextAfterTheFirstDot) {
  struct Case {
    std::string name;
    bool midi;
  };
  const std::vector<Case> cases = {
      {"Audio/BGM/Theme.mid", true}, {"Theme.mid", true},         {"Theme.MID", false},
      {"Theme.midi", false},         {"Theme.mid.ogg", false},    {"v1.2/Theme.mid", false},
      {"Theme", false},              {"", false},                 {".mid", true},
      {"Theme.ogg", false},          {"Audio/BGM/Theme", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isMidiName(c.name), c.midi) << c.name;
}

TEST(AudioMathTest, SeChannelsWrapFromNineteenToTen) {
  SeChannelCounter counter;
  std::vector<int> taken;
  for (int i = 0; i < 12; ++i) taken.push_back(counter.take());
  EXPECT_EQ(taken, (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 10, 11}));
  EXPECT_EQ(counter.current(), 12);
}

}  // namespace
}  // namespace audio
