#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismModelSettingJson.h"

namespace live2d::cubism::test {
namespace {

std::vector<std::uint8_t> text(const std::string& s) { return {s.begin(), s.end()}; }

TEST(ModelSettingJsonTest, ReadsHaruSetting) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  CubismModelSettingJson setting(sampleFile("Haru", "Haru.model3.json"));
  ASSERT_TRUE(setting.isValid());
  EXPECT_EQ(setting.getModelFileName(), "Haru.moc3");
  ASSERT_EQ(setting.getTextureCount(), 2);
  EXPECT_EQ(setting.getTextureFileName(1), "Haru.2048/texture_01.png");
  EXPECT_EQ(setting.getPhysicsFileName(), "Haru.physics3.json");
  EXPECT_EQ(setting.getPoseFileName(), "Haru.pose3.json");
  EXPECT_EQ(setting.getUserDataFile(), "Haru.userdata3.json");
  ASSERT_EQ(setting.getExpressionCount(), 8);
  EXPECT_EQ(setting.getExpressionName(0), "F01");
  EXPECT_EQ(setting.getExpressionFileName(7), "expressions/F08.exp3.json");
  // Groups in file order.
  ASSERT_GE(setting.getMotionGroupCount(), 2);
  EXPECT_EQ(setting.getMotionGroupName(0), "Idle");
  EXPECT_EQ(setting.getMotionGroupName(1), "TapBody");
  EXPECT_EQ(setting.getMotionCount("Idle"), 2);
  EXPECT_EQ(setting.getMotionFileName("TapBody", 0), "motions/haru_g_m26.motion3.json");
  EXPECT_EQ(setting.getMotionSoundFileName("TapBody", 0), "sounds/haru_talk_13.wav");
  EXPECT_FLOAT_EQ(setting.getMotionFadeInTimeValue("TapBody", 0), 0.5f);
  EXPECT_EQ(setting.getMotionCount("Missing"), 0);
  EXPECT_EQ(setting.getMotionFileName("Idle", 5), "");
  ASSERT_EQ(setting.getEyeBlinkParameterCount(), 2);
  EXPECT_EQ(setting.getEyeBlinkParameterId(1), id("ParamEyeROpen"));
  ASSERT_EQ(setting.getLipSyncParameterCount(), 1);
  EXPECT_EQ(setting.getLipSyncParameterId(0), id("ParamMouthOpenY"));
  ASSERT_EQ(setting.getHitAreasCount(), 2);
  EXPECT_EQ(setting.getHitAreaId(0), id("HitArea"));
  EXPECT_EQ(setting.getHitAreaName(1), "Body");
  std::map<std::string, float> layout;
  EXPECT_FALSE(setting.getLayoutMap(layout));
}

TEST(ModelSettingJsonTest, MaoMotionsHaveNoFadeTimesAndMarkHasEmptyLipSync) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  CubismModelSettingJson mao(sampleFile("Mao", "Mao.model3.json"));
  ASSERT_GT(mao.getMotionGroupCount(), 0);
  const std::string group = mao.getMotionGroupName(0);
  EXPECT_FLOAT_EQ(mao.getMotionFadeInTimeValue(group, 0), -1.0f);
  CubismModelSettingJson mark(sampleFile("Mark", "Mark.model3.json"));
  EXPECT_EQ(mark.getLipSyncParameterCount(), 0);
  EXPECT_EQ(mark.getPoseFileName(), "");
}

TEST(ModelSettingJsonTest, WrongTypesReadAsAbsent) {
  LogCapture log;
  CubismModelSettingJson setting(text(R"({"FileReferences": {"Moc": 5, "Textures": ["a.png", 3],
      "Motions": {"Idle": [{"File": "m.json", "FadeInTime": "slow"}], "Bad": 7}},
      "Groups": [{"Target": "Parameter", "Name": "EyeBlink", "Ids": ["A", 1]}],
      "HitAreas": "none", "Layout": {"width": 2, "x": "left"}})"));
  EXPECT_TRUE(setting.isValid());
  EXPECT_EQ(setting.getModelFileName(), "");
  ASSERT_EQ(setting.getTextureCount(), 2);
  EXPECT_EQ(setting.getTextureFileName(1), "");
  EXPECT_EQ(setting.getMotionCount("Idle"), 1);
  EXPECT_FLOAT_EQ(setting.getMotionFadeInTimeValue("Idle", 0), -1.0f);
  EXPECT_EQ(setting.getMotionCount("Bad"), 0);
  EXPECT_EQ(setting.getEyeBlinkParameterCount(), 1);
  EXPECT_EQ(setting.getHitAreasCount(), 0);
  std::map<std::string, float> layout;
  ASSERT_TRUE(setting.getLayoutMap(layout));
  EXPECT_EQ(layout.size(), 1u);
  EXPECT_FLOAT_EQ(layout["width"], 2.0f);

  CubismModelSettingJson broken(text("{\"FileReferences\": "));
  EXPECT_FALSE(broken.isValid());
  EXPECT_TRUE(log.contains("[CSM][E]"));
}

}  // namespace
}  // namespace live2d::cubism::test
