#include <cmath>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismBreath.h"
#include "live2d/cubism/CubismEyeBlink.h"
#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismModelUserData.h"
#include "live2d/cubism/CubismMotion.h"
#include "live2d/cubism/CubismMotionQueueEntry.h"
#include "live2d/cubism/CubismPose.h"

namespace live2d::cubism::test {
namespace {

class SampleFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_F(SampleFilesTest, PoseShowsOneArmSetAndSwitchesWithMotions) {
  auto model = loadSampleModel("Haru");
  auto pose = CubismPose::create(sampleFile("Haru", "Haru.pose3.json"));
  ASSERT_TRUE(model && pose);
  EXPECT_EQ(pose->getGroupCount(), 2u);
  const int armA = model->getPartIndex(id("Part01ArmRA001"));
  const int armB = model->getPartIndex(id("Part01ArmRB001"));
  ASSERT_LT(armA, model->getPartCount());
  ASSERT_LT(armB, model->getPartCount());
  // Authored visible, both arm sets show without a pose.
  EXPECT_FLOAT_EQ(model->getPartOpacity(armA), 1.0f);
  EXPECT_FLOAT_EQ(model->getPartOpacity(armB), 1.0f);
  pose->updateParameters(model.get(), 1.0f / 30);
  EXPECT_FLOAT_EQ(model->getPartOpacity(armA), 1.0f);
  EXPECT_FLOAT_EQ(model->getPartOpacity(armB), 0.0f);

  // Motion m06 selects arm set B through its PartOpacity curves; the pose fades it in.
  auto motion = CubismMotion::create(sampleFile("Haru", "motions/haru_g_m06.motion3.json"));
  ASSERT_TRUE(motion);
  CubismMotionQueueEntry entry(motion, 0);
  float previousB = 0.0f;
  for (int frame = 0; frame < 30; ++frame) {
    motion->updateParameters(model.get(), &entry, static_cast<float>(frame) / 30);
    pose->updateParameters(model.get(), 1.0f / 30);
    EXPECT_GE(model->getPartOpacity(armB), previousB);
    previousB = model->getPartOpacity(armB);
  }
  EXPECT_FLOAT_EQ(model->getPartOpacity(armB), 1.0f);
  EXPECT_FLOAT_EQ(model->getPartOpacity(armA), 0.0f);
}

TEST_F(SampleFilesTest, PoseNeverLetsMuchBackgroundThroughMidFade) {
  auto model = loadSampleModel("Haru");
  auto pose = CubismPose::create(sampleFile("Haru", "Haru.pose3.json"));
  pose->updateParameters(model.get(), 0.0f);
  const int armA = model->getPartIndex(id("Part01ArmLA001"));
  const int armB = model->getPartIndex(id("Part01ArmLB001"));
  model->setParameterValue(id("Part01ArmLA001"), 0.0f);
  model->setParameterValue(id("Part01ArmLB001"), 1.0f);
  for (int frame = 0; frame < 20; ++frame) {
    pose->updateParameters(model.get(), 1.0f / 30);
    const float a = model->getPartOpacity(armA);
    const float b = model->getPartOpacity(armB);
    EXPECT_LE((1 - a) * (1 - b), 0.15f + 1e-4f) << "frame " << frame;
  }
}

TEST(EyeBlinkTest, ClosesAndReopensThroughItsStates) {
  ModelBuilder b;
  b.addParameter("ParamEyeLOpen", 0, 1, 1, {0, 1});
  b.addMesh("M", 0, {{0, 0, 1, 0, 0, 1}}, {500}, {1});
  auto model = b.build();
  CubismEyeBlink blink;
  blink.setParameterIds({id("ParamEyeLOpen")});
  blink.setBlinkingInterval(1.0f);  // next blink within [0, 1) s
  bool sawClosed = false;
  bool reopened = false;
  for (int frame = 0; frame < 200; ++frame) {
    blink.updateParameters(model.get(), 0.01f);
    const float v = model->getParameterValue(0);
    EXPECT_GE(v, 0.0f);
    EXPECT_LE(v, 1.0f);
    if (blink.state() == CubismEyeBlink::State::Closed) {
      sawClosed = true;
      EXPECT_FLOAT_EQ(v, 0.0f);
    }
    if (sawClosed && blink.state() == CubismEyeBlink::State::Interval) reopened = true;
  }
  EXPECT_TRUE(sawClosed);
  EXPECT_TRUE(reopened);
}

TEST_F(SampleFilesTest, EyeBlinkTakesItsIdsFromTheSetting) {
  CubismModelSettingJson setting(sampleFile("Haru", "Haru.model3.json"));
  CubismEyeBlink blink(&setting);
  ASSERT_EQ(blink.getParameterIds().size(), 2u);
  EXPECT_EQ(blink.getParameterIds()[0], id("ParamEyeLOpen"));
}

TEST(BreathTest, AddsASineOfItsCycle) {
  ModelBuilder b;
  b.addParameter("ParamAngleX", -30, 30, 0, {-30, 30});
  b.addMesh("M", 0, {{0, 0, 1, 0, 0, 1}}, {500}, {1});
  auto model = b.build();
  CubismBreath breath;
  breath.setParameters({{id("ParamAngleX"), 1.0f, 15.0f, 4.0f, 0.5f}});
  // A quarter cycle in: offset + peak, at half weight.
  breath.updateParameters(model.get(), 1.0f);
  EXPECT_NEAR(model->getParameterValue(0), (1.0f + 15.0f) * 0.5f, 1e-4f);
  model->setParameterValue(0, 0.0f);
  breath.updateParameters(model.get(), 2.0f);  // three quarters: offset − peak
  EXPECT_NEAR(model->getParameterValue(0), (1.0f - 15.0f) * 0.5f, 1e-4f);
}

TEST_F(SampleFilesTest, UserDataTagsArtMeshes) {
  auto data = CubismModelUserData::create(sampleFile("Haru", "Haru.userdata3.json"));
  ASSERT_TRUE(data);
  const auto nodes = data->getArtMeshUserDatas();
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0]->targetId, id("D_PSD_27"));
  EXPECT_EQ(nodes[0]->value, "tai");
}

}  // namespace
}  // namespace live2d::cubism::test
