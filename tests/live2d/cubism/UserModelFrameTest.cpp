#include <cmath>

#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismUserModel.h"
#include "tests/live2d/cubism/CubismTestSupport.h"

namespace live2d::cubism::test {
namespace {

// An application model that runs the usual frame: motions, blink, expressions, drag, breath, physics, pose.
class FrameModel : public CubismUserModel {
 public:
  explicit FrameModel(const std::string& name) : m_setting(sampleFile(name, name + ".model3.json")) {
    loadModel(sampleFile(name, m_setting.getModelFileName()));
    if (!m_setting.getPhysicsFileName().empty()) loadPhysics(sampleFile(name, m_setting.getPhysicsFileName()));
    if (!m_setting.getPoseFileName().empty()) loadPose(sampleFile(name, m_setting.getPoseFileName()));
    m_eyeBlink = std::make_unique<CubismEyeBlink>(&m_setting);
    m_breath = std::make_unique<CubismBreath>();
    m_breath->setParameters({{id("ParamAngleX"), 0, 15, 6.5345f, 0.5f}, {id("ParamBreath"), 0.5f, 0.5f, 3.2345f, 0.5f}});
    const std::string group = m_setting.getMotionGroupName(0);
    for (int i = 0; i < m_setting.getMotionCount(group); ++i) {
      m_motions.push_back(loadMotion(sampleFile(name, m_setting.getMotionFileName(group, i)), group));
    }
    if (m_setting.getExpressionCount() > 0) {
      m_expression = loadExpression(sampleFile(name, m_setting.getExpressionFileName(0)), m_setting.getExpressionName(0));
    }
    if (m_model) m_model->saveParameters();
  }

  void frame(float dt) {
    m_dragManager.update(dt);
    m_model->loadParameters();
    bool motionUpdated = false;
    if (m_motionManager.isFinished()) {
      m_motionManager.startMotionPriority(m_motions[m_next++ % m_motions.size()], 1);
      ++m_motionStarts;
    } else {
      motionUpdated = m_motionManager.updateMotion(m_model.get(), dt);
    }
    m_model->saveParameters();
    if (!motionUpdated) m_eyeBlink->updateParameters(m_model.get(), dt);
    m_expressionManager.updateMotion(m_model.get(), dt);
    m_model->addParameterValue(id("ParamAngleX"), m_dragManager.getX() * 30);
    m_breath->updateParameters(m_model.get(), dt);
    if (m_physics) m_physics->evaluate(m_model.get(), dt);
    if (m_pose) m_pose->updateParameters(m_model.get(), dt);
    m_model->update();
  }

  std::shared_ptr<CubismExpressionMotion> m_expression;
  int m_motionStarts = 0;

 private:
  CubismModelSettingJson m_setting;
  std::vector<std::shared_ptr<CubismMotion>> m_motions;
  std::size_t m_next = 0;
};

class UserModelFrameTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!haveSamples()) GTEST_SKIP() << "Live2D samples not found under " << sampleDir();
  }
};

TEST_P(UserModelFrameTest, TwentySecondsOfPlayStaySane) {
  FrameModel model(GetParam());
  ASSERT_TRUE(model.getModel());
  if (model.m_expression) model.getExpressionManager()->startMotionPriority(model.m_expression, 3);
  model.setDragging(0.8f, -0.3f);
  for (int i = 0; i < 600; ++i) {
    model.frame(1.0f / 30);
    CubismModel* m = model.getModel();
    for (int p = 0; p < m->getParameterCount(); ++p) {
      const float v = m->getParameterValue(p);
      ASSERT_TRUE(std::isfinite(v));
      ASSERT_GE(v, m->getParameterMinimumValue(p));
      ASSERT_LE(v, m->getParameterMaximumValue(p));
    }
  }
  // Motions end and the next one takes over: the files' loop flags do not trap the queue.
  EXPECT_GE(model.m_motionStarts, 2);
  CubismModel* m = model.getModel();
  for (int d = 0; d < m->getDrawableCount(); ++d) {
    for (float v : m->getDrawableVertexPositions(d)) ASSERT_TRUE(std::isfinite(v));
  }
  if (std::string(GetParam()) == "Haru") {
    // The pose shows exactly one right arm set.
    const float a = m->getPartOpacity(id("Part01ArmRA001"));
    const float b = m->getPartOpacity(id("Part01ArmRB001"));
    EXPECT_FLOAT_EQ(std::max(a, b), 1.0f);
    EXPECT_FLOAT_EQ(std::min(a, b), 0.0f);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, UserModelFrameTest, ::testing::Values("Haru", "Mark", "Mao"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace live2d::cubism::test
