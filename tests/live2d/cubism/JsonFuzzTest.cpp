#include <functional>
#include <random>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismExpressionMotion.h"
#include "live2d/cubism/CubismExpressionMotionManager.h"
#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismModelUserData.h"
#include "live2d/cubism/CubismMotion.h"
#include "live2d/cubism/CubismMotionManager.h"
#include "live2d/cubism/CubismPhysics.h"
#include "live2d/cubism/CubismPose.h"

namespace live2d::cubism::test {
namespace {

using Loader = std::function<void(const std::vector<std::uint8_t>&, CubismModel&)>;

struct JsonCase {
  const char* model;
  const char* file;
  Loader load;
};

// Every loaded object is also run against the model, so damaged values cannot hide until playback.
const std::vector<JsonCase>& cases() {
  static const std::vector<JsonCase> all = {
      {"Haru", "Haru.model3.json",
       [](const auto& bytes, CubismModel&) {
         CubismModelSettingJson s(bytes);
         for (int g = 0; g < s.getMotionGroupCount(); ++g) (void)s.getMotionFileName(s.getMotionGroupName(g), 0);
       }},
      {"Mark", "motions/mark_m01.motion3.json",
       [](const auto& bytes, CubismModel& model) {
         auto motion = CubismMotion::create(bytes);
         if (!motion) return;
         CubismMotionManager manager;
         manager.startMotionPriority(motion, 2);
         for (int i = 0; i < 20; ++i) manager.updateMotion(&model, 0.6f);
       }},
      {"Mao", "expressions/exp_02.exp3.json",
       [](const auto& bytes, CubismModel& model) {
         auto expression = CubismExpressionMotion::create(bytes);
         if (!expression) return;
         CubismExpressionMotionManager manager;
         manager.startMotionPriority(expression, 3);
         for (int i = 0; i < 5; ++i) manager.updateMotion(&model, 0.3f);
       }},
      {"Mao", "Mao.physics3.json",
       [](const auto& bytes, CubismModel& model) {
         auto physics = CubismPhysics::create(bytes);
         if (!physics) return;
         for (int i = 0; i < 10; ++i) physics->evaluate(&model, 1.0f / 30);
       }},
      {"Haru", "Haru.pose3.json",
       [](const auto& bytes, CubismModel& model) {
         auto pose = CubismPose::create(bytes);
         if (pose) pose->updateParameters(&model, 0.1f);
       }},
      {"Haru", "Haru.userdata3.json",
       [](const auto& bytes, CubismModel&) {
         auto data = CubismModelUserData::create(bytes);
         if (data) (void)data->getArtMeshUserDatas();
       }},
  };
  return all;
}

class JsonFuzzTest : public ::testing::TestWithParam<std::size_t> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
    CubismFramework::setLogFunction(nullptr);
  }
};

TEST_P(JsonFuzzTest, TruncatedAndBitFlippedFilesNeverCrash) {
  const JsonCase& c = cases()[GetParam()];
  const auto bytes = sampleFile(c.model, c.file);
  ASSERT_FALSE(bytes.empty());
  auto model = loadSampleModel(c.model);
  ASSERT_TRUE(model);
  const std::size_t step = std::max<std::size_t>(1, bytes.size() / 150);
  for (std::size_t length = 0; length < bytes.size(); length += step) {
    c.load(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)), *model);
  }
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> position(0, bytes.size() - 1);
  std::uniform_int_distribution<int> bit(0, 7);
  for (int round = 0; round < 150; ++round) {
    auto copy = bytes;
    for (int f = 0; f < 1 + round % 4; ++f) copy[position(random)] ^= static_cast<std::uint8_t>(1u << bit(random));
    c.load(copy, *model);
  }
  // Numbers replaced by extreme values.
  std::string text(bytes.begin(), bytes.end());
  for (std::size_t at = text.find(": 1"); at != std::string::npos; at = text.find(": 1", at + 1)) {
    text.replace(at, 3, ": 1e38");
  }
  c.load(std::vector<std::uint8_t>(text.begin(), text.end()), *model);
  model->update();
  for (int d = 0; d < model->getDrawableCount(); ++d) EXPECT_FALSE(model->getDrawableVertexPositions(d).empty());
}

INSTANTIATE_TEST_SUITE_P(SampleFiles, JsonFuzzTest, ::testing::Range<std::size_t>(0, 6));

}  // namespace
}  // namespace live2d::cubism::test
