#include <nlohmann/json.hpp>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismMotion.h"
#include "live2d/cubism/CubismMotionQueueEntry.h"
#include "live2d/cubism/private/MotionCurve.h"

namespace live2d::cubism::test {
namespace {

std::vector<std::uint8_t> bytesOf(const nlohmann::json& j) {
  const std::string text = j.dump();
  return {text.begin(), text.end()};
}

std::shared_ptr<CubismMotion> motionWithCurve(const nlohmann::json& segments, bool restricted = true,
                                              float duration = 4.0f) {
  nlohmann::json j = {{"Version", 3},
                      {"Meta", {{"Duration", duration}, {"Fps", 30}, {"AreBeziersRestricted", restricted}}},
                      {"Curves", {{{"Target", "Parameter"}, {"Id", "P"}, {"Segments", segments}}}}};
  return CubismMotion::create(bytesOf(j));
}

float valueAt(const CubismMotion& motion, float time) {
  float value = -999.0f;
  EXPECT_TRUE(motion.curveValue("Parameter", id("P"), time, &value));
  return value;
}

TEST(MotionCurveTest, SegmentTypesEvaluateAsEncoded) {
  // Linear (0,0)→(1,10); stepped to (2,20); inverse stepped to (3,30); bezier to (4,0).
  const auto motion = motionWithCurve({0, 0, 0, 1, 10, 2, 2, 20, 3, 3, 30, 1, 3.25, 30, 3.75, 0, 4, 0});
  ASSERT_TRUE(motion);
  EXPECT_FLOAT_EQ(valueAt(*motion, 0.5f), 5.0f);
  EXPECT_FLOAT_EQ(valueAt(*motion, 1.5f), 10.0f);  // stepped holds the start
  EXPECT_FLOAT_EQ(valueAt(*motion, 2.5f), 30.0f);  // inverse stepped jumps to the end
  EXPECT_FLOAT_EQ(valueAt(*motion, 3.5f), 15.0f);  // symmetric bezier at its middle
  EXPECT_FLOAT_EQ(valueAt(*motion, 9.0f), 0.0f);   // past the end: the last value holds
  EXPECT_FLOAT_EQ(valueAt(*motion, -1.0f), 0.0f);
}

TEST(MotionCurveTest, UnrestrictedBezierSolvesForTime) {
  // Controls pulled toward the start in time: at t = 0.5 the curve is past its value midpoint.
  const auto restricted = motionWithCurve({0, 0, 1, 0.1, 0, 0.2, 1, 1, 1}, true);
  const auto solved = motionWithCurve({0, 0, 1, 0.1, 0, 0.2, 1, 1, 1}, false);
  EXPECT_FLOAT_EQ(valueAt(*restricted, 0.5f), 0.5f);
  EXPECT_GT(valueAt(*solved, 0.5f), 0.6f);
  // With evenly spaced controls both agree.
  const auto even = motionWithCurve({0, 0, 1, 1.0f / 3, 0, 2.0f / 3, 1, 1, 1}, false);
  EXPECT_NEAR(valueAt(*even, 0.5f), 0.5f, 1e-4f);
  EXPECT_NEAR(bezierParameterForTime(0, 1.0f / 3, 2.0f / 3, 1, 0.25f), 0.25f, 1e-4f);
}

TEST(MotionCurveTest, MalformedSegmentsAreCutNotOverread) {
  // Bezier missing its end point: the curve keeps its linear part.
  const auto motion = motionWithCurve({0, 0, 0, 1, 10, 1, 1.5, 10, 2});
  ASSERT_TRUE(motion);
  EXPECT_FLOAT_EQ(valueAt(*motion, 0.5f), 5.0f);
  EXPECT_FLOAT_EQ(valueAt(*motion, 3.0f), 10.0f);
  const auto unknownType = motionWithCurve({0, 0, 7, 1, 10});
  ASSERT_TRUE(unknownType);
  EXPECT_FLOAT_EQ(valueAt(*unknownType, 0.5f), 0.0f);
}

class SampleMotionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_F(SampleMotionTest, MarkHeadSwingFollowsItsBeziers) {
  const auto motion = CubismMotion::create(sampleFile("Mark", "motions/mark_m01.motion3.json"));
  ASSERT_TRUE(motion);
  EXPECT_FLOAT_EQ(motion->getDuration(), 10.4f);
  EXPECT_TRUE(motion->isLoopAuthored());
  float value = 0.0f;
  // Bezier (0,-19) (0.211,-19) (0.422,19) (0.633,19): symmetric, so 0 at its middle.
  ASSERT_TRUE(motion->curveValue("Parameter", id("ParamAngleX"), 0.3165f, &value));
  EXPECT_NEAR(value, 0.0f, 1e-3f);
  motion->curveValue("Parameter", id("ParamAngleX"), 0.0f, &value);
  EXPECT_FLOAT_EQ(value, -19.0f);
  motion->curveValue("Parameter", id("ParamAngleX"), 0.633f, &value);
  EXPECT_FLOAT_EQ(value, 19.0f);
}

TEST_F(SampleMotionTest, PlaysIntoAModelWithFadeIn) {
  auto model = loadSampleModel("Haru");
  auto motion = CubismMotion::create(sampleFile("Haru", "motions/haru_g_m26.motion3.json"));
  ASSERT_TRUE(model && motion);
  motion->setFadeInTime(0.5f);
  CubismMotionQueueEntry entry(motion, 0);
  const int angleY = model->getParameterIndex(id("ParamAngleY"));
  float curve = 0.0f;
  // Halfway through the fade-in the parameter is halfway (eased) between its base and the curve.
  motion->updateParameters(model.get(), &entry, 10.0f);  // starts at t = 10
  motion->curveValue("Parameter", id("ParamAngleY"), 1.25f, &curve);
  ASSERT_LT(curve, -5.0f);
  model->setParameterValue(angleY, 0.0f);
  motion->updateParameters(model.get(), &entry, 10.25f);
  motion->curveValue("Parameter", id("ParamAngleY"), 0.25f, &curve);
  EXPECT_NEAR(model->getParameterValue(angleY), curve * easeSine(0.5f), 1e-4f);
  model->setParameterValue(angleY, 0.0f);
  motion->updateParameters(model.get(), &entry, 11.25f);
  motion->curveValue("Parameter", id("ParamAngleY"), 1.25f, &curve);
  EXPECT_NEAR(model->getParameterValue(angleY), curve, 1e-4f);
  EXPECT_FALSE(entry.isFinished());
  motion->updateParameters(model.get(), &entry, 10.0f + 4.97f + 0.01f);
  EXPECT_TRUE(entry.isFinished());
}

TEST_F(SampleMotionTest, EventsFireOnceWhenPlaybackCrossesThem) {
  auto motion = CubismMotion::create(sampleFile("Mark", "motions/mark_m01.motion3.json"));
  ASSERT_TRUE(motion);
  EXPECT_TRUE(motion->getFiredEvent(0.0f, 1.0f).empty());
  ASSERT_EQ(motion->getFiredEvent(1.0f, 1.2f).size(), 1u);
  EXPECT_EQ(motion->getFiredEvent(1.0f, 1.2f)[0], "timing1");
  EXPECT_TRUE(motion->getFiredEvent(1.2f, 3.0f).empty());
  EXPECT_EQ(motion->getFiredEvent(0.0f, 5.0f).size(), 2u);
  // Looping, the interval that wraps past the end fires the start again.
  motion->setIsLoop(true);
  EXPECT_EQ(motion->getFiredEvent(10.3f, 11.6f).size(), 1u);
}

TEST_F(SampleMotionTest, ModelCurvesDriveEyeBlinkAndOpacity) {
  auto model = loadSampleModel("Mark");
  auto motion = CubismMotion::create(sampleFile("Mark", "motions/mark_m01.motion3.json"));
  ASSERT_TRUE(model && motion);
  motion->setFadeInTime(0.0f);
  motion->setEffectIds({id("ParamEyeLOpen"), id("ParamEyeROpen")}, {});
  CubismMotionQueueEntry entry(motion, 0);
  float blink = 0.0f;
  // Find a time when the EyeBlink curve closes the eyes.
  float closedAt = -1.0f;
  for (float t = 0.0f; t < 10.0f; t += 1.0f / 30) {
    motion->curveValue("Model", id("EyeBlink"), t, &blink);
    if (blink < 0.2f) {
      closedAt = t;
      break;
    }
  }
  ASSERT_GE(closedAt, 0.0f) << "the sample's blink curve never closes";
  motion->updateParameters(model.get(), &entry, 0.0f);
  motion->updateParameters(model.get(), &entry, closedAt);
  EXPECT_LT(model->getParameterValue(id("ParamEyeLOpen")), 0.2f);
}

}  // namespace
}  // namespace live2d::cubism::test
