#include <nlohmann/json.hpp>

#include <cmath>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismPhysics.h"

namespace live2d::cubism::test {
namespace {

class PhysicsTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
    model = loadSampleModel(GetParam());
    physics = CubismPhysics::create(sampleFile(GetParam(), std::string(GetParam()) + ".physics3.json"));
    ASSERT_TRUE(model && physics);
    model->saveParameters();
  }
  // One application frame: saved base, input, physics.
  void frame(float angleX, float dt) {
    model->loadParameters();
    model->setParameterValue(id("ParamAngleX"), angleX);
    physics->evaluate(model.get(), dt);
  }
  std::unique_ptr<CubismModel> model;
  std::unique_ptr<CubismPhysics> physics;
};

TEST_P(PhysicsTest, OutputsSwingWithInputAndSettle) {
  // The first output of the first setting is driven by the head and body.
  std::vector<int> outputs;
  std::vector<float> rest;
  const nlohmann::json file = nlohmann::json::parse(sampleFile(GetParam(), std::string(GetParam()) + ".physics3.json"));
  for (const auto& setting : file["PhysicsSettings"]) {
    for (const auto& out : setting["Output"]) {
      const int index = model->getParameterIndex(id(out["Destination"]["Id"].get<std::string>().c_str()));
      if (index < model->getParameterCount()) outputs.push_back(index);
    }
  }
  ASSERT_FALSE(outputs.empty());
  for (int i = 0; i < 60; ++i) frame(0.0f, 1.0f / 60);
  for (int i : outputs) rest.push_back(model->getParameterValue(i));
  // Swing the head back and forth for two seconds.
  float largestChange = 0.0f;
  for (int i = 0; i < 120; ++i) {
    frame(30.0f * std::sin(static_cast<float>(i) * 0.2f), 1.0f / 60);
    for (std::size_t k = 0; k < outputs.size(); ++k) {
      const float v = model->getParameterValue(outputs[k]);
      ASSERT_TRUE(std::isfinite(v));
      largestChange = std::max(largestChange, std::fabs(v - rest[k]));
    }
  }
  EXPECT_GT(largestChange, 0.05f);
  // Then hold still: the swing dies down.
  for (int i = 0; i < 600; ++i) frame(0.0f, 1.0f / 60);
  std::vector<float> settled;
  for (int i : outputs) settled.push_back(model->getParameterValue(i));
  frame(0.0f, 1.0f / 60);
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    EXPECT_NEAR(model->getParameterValue(outputs[k]), settled[k], 0.01f) << model->getParameterId(outputs[k])->getString();
    EXPECT_NEAR(settled[k], rest[k], 0.05f) << model->getParameterId(outputs[k])->getString();
  }
}

TEST_P(PhysicsTest, ResultDoesNotDependOnFrameRateWhenTheFileFixesOne) {
  if (std::string(GetParam()) != "Mao") GTEST_SKIP() << "only Mao's physics file sets a step rate";
  // Physics steps at the file's rate; 30 and 60 frames per second reach the same state.
  for (int i = 0; i < 30; ++i) frame(30.0f, 1.0f / 30);
  std::vector<float> at30;
  for (int i = 0; i < model->getParameterCount(); ++i) at30.push_back(model->getParameterValue(i));
  physics->reset();
  for (int i = 0; i < 60; ++i) frame(30.0f, 1.0f / 60);
  for (int i = 0; i < model->getParameterCount(); ++i) {
    EXPECT_NEAR(model->getParameterValue(i), at30[static_cast<std::size_t>(i)],
                0.02f * (model->getParameterMaximumValue(i) - model->getParameterMinimumValue(i)))
        << model->getParameterId(i)->getString();
  }
}

TEST_P(PhysicsTest, LongStallsAndZeroStepsStayFinite) {
  frame(30.0f, 0.0f);
  frame(-30.0f, 10.0f);
  frame(30.0f, 1e-6f);
  for (int i = 0; i < model->getParameterCount(); ++i) EXPECT_TRUE(std::isfinite(model->getParameterValue(i)));
}

INSTANTIATE_TEST_SUITE_P(Samples, PhysicsTest, ::testing::Values("Haru", "Mark", "Mao"),
                         [](const auto& info) { return std::string(info.param); });

TEST(PhysicsParticlesTest, PendulumHangsAlongGravityAtRest) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  auto physics = CubismPhysics::create(sampleFile("Mark", "Mark.physics3.json"));
  auto model = loadSampleModel("Mark");
  ASSERT_TRUE(physics && model);
  for (int i = 0; i < 120; ++i) physics->evaluate(model.get(), 1.0f / 30);
  const auto particles = physics->getParticlePositions(0);
  ASSERT_EQ(particles.size(), 2u);
  EXPECT_NEAR(particles[1].x, 0.0f, 1e-3f);
  EXPECT_GT(particles[1].y, 0.0f);
}

}  // namespace
}  // namespace live2d::cubism::test
