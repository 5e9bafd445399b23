#include <nlohmann/json.hpp>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismExpressionMotion.h"
#include "live2d/cubism/CubismExpressionMotionManager.h"

namespace live2d::cubism::test {
namespace {

std::shared_ptr<CubismExpressionMotion> expression(const nlohmann::json& parameters, float fade) {
  const nlohmann::json j = {{"Type", "Live2D Expression"}, {"FadeInTime", fade}, {"FadeOutTime", fade}, {"Parameters", parameters}};
  const std::string text = j.dump();
  return CubismExpressionMotion::create(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::unique_ptr<CubismModel> threeParameterModel(ModelBuilder& b) {
  b.addParameter("A", -10, 10, 0, {-10, 10});
  b.addParameter("M", -10, 10, 0, {-10, 10});
  b.addParameter("O", -10, 10, 0, {-10, 10});
  b.addMesh("Mesh", 0, {{0, 0, 1, 0, 0, 1}}, {500}, {1});
  return b.build();
}

// One frame as an application runs it: start from the base values, then the expressions.
void frame(CubismModel& model, CubismExpressionMotionManager& manager, float dt) {
  model.setParameterValue(0, 2.0f);
  model.setParameterValue(1, 4.0f);
  model.setParameterValue(2, 1.0f);
  manager.updateMotion(&model, dt);
}

TEST(ExpressionTest, AddMultiplyAndOverwriteApplyAtFullWeight) {
  ModelBuilder b;
  auto model = threeParameterModel(b);
  CubismExpressionMotionManager manager;
  manager.startMotionPriority(expression({{{"Id", "A"}, {"Value", 3}, {"Blend", "Add"}},
                                          {{"Id", "M"}, {"Value", 0.5}, {"Blend", "Multiply"}},
                                          {{"Id", "O"}, {"Value", -7}, {"Blend", "Overwrite"}}},
                                         0.0f),
                              3);
  frame(*model, manager, 0.1f);
  EXPECT_FLOAT_EQ(model->getParameterValue(0), 5.0f);
  EXPECT_FLOAT_EQ(model->getParameterValue(1), 2.0f);
  EXPECT_FLOAT_EQ(model->getParameterValue(2), -7.0f);
}

TEST(ExpressionTest, FadesInAndHandsOverToTheNextExpression) {
  ModelBuilder b;
  auto model = threeParameterModel(b);
  CubismExpressionMotionManager manager;
  manager.startMotionPriority(expression({{{"Id", "O"}, {"Value", 9}, {"Blend", "Overwrite"}}}, 1.0f), 3);
  frame(*model, manager, 0.0f);
  EXPECT_FLOAT_EQ(model->getParameterValue(2), 1.0f);  // not faded in at all yet
  frame(*model, manager, 0.5f);
  EXPECT_NEAR(model->getParameterValue(2), 1.0f + 8.0f * easeSine(0.5f), 1e-4f);
  frame(*model, manager, 1.0f);
  EXPECT_FLOAT_EQ(model->getParameterValue(2), 9.0f);
  manager.startMotionPriority(expression({{{"Id", "O"}, {"Value", -9}, {"Blend", "Overwrite"}}}, 1.0f), 3);
  frame(*model, manager, 0.5f);  // the new one starts, still at weight 0
  frame(*model, manager, 0.5f);
  const float during = model->getParameterValue(2);
  EXPECT_LT(during, 9.0f);
  EXPECT_GT(during, -9.0f);
  for (int i = 0; i < 4; ++i) frame(*model, manager, 0.5f);
  EXPECT_FLOAT_EQ(model->getParameterValue(2), -9.0f);
  // The old expression has been dropped, the new one stays.
  EXPECT_EQ(manager.getEntryCount(), 1u);
}

TEST(ExpressionTest, SampleExpressionsReadTheirBlendTypes) {
  if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  const auto exp = CubismExpressionMotion::create(sampleFile("Mao", "expressions/exp_02.exp3.json"));
  ASSERT_TRUE(exp);
  EXPECT_FLOAT_EQ(exp->getFadeInTime(), 0.5f);
  int multiply = 0;
  for (const auto& p : exp->getExpressionParameters()) {
    if (p.parameterId == id("ParamEyeLOpen")) {
      EXPECT_EQ(p.blendType, ExpressionBlendType::Multiply);
      EXPECT_FLOAT_EQ(p.value, 0.0f);
    }
    if (p.blendType == ExpressionBlendType::Multiply) ++multiply;
  }
  EXPECT_GE(multiply, 2);
  // Applied to the model, Mao's eyes close.
  auto model = loadSampleModel("Mao");
  CubismExpressionMotionManager manager;
  manager.startMotionPriority(exp, 3);
  manager.updateMotion(model.get(), 0.0f);
  manager.updateMotion(model.get(), 1.0f);
  EXPECT_FLOAT_EQ(model->getParameterValue(id("ParamEyeLOpen")), 0.0f);
  // Haru's F01 has no fade times: one second by default.
  const auto f01 = CubismExpressionMotion::create(sampleFile("Haru", "expressions/F01.exp3.json"));
  ASSERT_TRUE(f01);
  EXPECT_FLOAT_EQ(f01->getFadeInTime(), 1.0f);
  ASSERT_EQ(f01->getExpressionParameters().size(), 1u);
  EXPECT_EQ(f01->getExpressionParameters()[0].blendType, ExpressionBlendType::Add);
}

}  // namespace
}  // namespace live2d::cubism::test
