// The model glue: priority reservation as a table, the update's parameter arithmetic on a small built model, and
// the sample models loaded as a game loads them (motions with priorities, the idle restart, expressions, a motion
// loaded only when it starts, a missing setting).

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "live2d/LAppLog.h"
#include "live2d/LAppModel.h"
#include "live2d/LAppTextureManager.h"
#include "live2d/cubism/CubismModel.h"
#include "tests/live2d/cubism/CubismTestSupport.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using live2d::LAppModel;
using live2d::cubism::CubismModel;
using live2d::cubism::test::id;
using live2d::cubism::test::ModelBuilder;

std::vector<std::string>& logged() {
  static std::vector<std::string> lines;
  return lines;
}

void capture(std::string_view line) { logged().emplace_back(line); }

bool loggedLine(const std::string& text) {
  for (const std::string& line : logged()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

class LogScope {
 public:
  LogScope() {
    logged().clear();
    live2d::setLogSink(capture);
    live2d::setDebugLogEnabled(true);
  }
  ~LogScope() {
    live2d::setDebugLogEnabled(false);
    live2d::setLogSink(nullptr);
  }
};

TEST(MotionPriorityTest, ReservationFollowsPlayingAndReservedPriorities) {
  const struct {
    int playing, reserved, requested;
    bool granted;
    int reservedAfter;
  } cases[] = {
      {0, 0, 1, true, 1},  {1, 0, 1, false, 0}, {1, 0, 2, true, 2}, {2, 0, 2, false, 0},
      {0, 2, 2, false, 2}, {0, 2, 1, false, 2}, {2, 0, 3, true, 3}, {3, 3, 3, true, 3},
  };
  for (const auto& c : cases) {
    live2d::cubism::CubismMotionManager manager;
    manager.startMotionPriority(nullptr, c.playing);  // sets the playing priority without a motion
    manager.setReservePriority(c.reserved);
    EXPECT_EQ(live2d::reserveMotionPriority(manager, c.requested), c.granted)
        << c.playing << " " << c.reserved << " " << c.requested;
    EXPECT_EQ(manager.getReservePriority(), c.reservedAfter);
  }
}

// A model with the parameters the glue drives, in ranges wide enough that nothing clamps.
class BuiltModel : public LAppModel {
 public:
  BuiltModel() {
    ModelBuilder builder;
    for (const char* name : {"ParamAngleX", "ParamAngleY", "ParamAngleZ", "ParamBodyAngleX", "ParamEyeBallX",
                             "ParamEyeBallY", "ParamCheek"}) {
      builder.addParameter(name, -1000.0f, 1000.0f, 0.0f, {-1000.0f, 1000.0f});
    }
    builder.addMesh("M", 0, {{0, 0, 1, 0, 0, 1}}, {500}, {1});
    m_model = builder.build();
    m_model->saveParameters();
  }
  float value(const char* name) const { return getModel()->getParameterValue(id(name)); }
};

TEST(LAppModelTest, DraggingAddsOnTopOfTheSavedParametersEachFrame) {
  BuiltModel model;
  model.getModel()->setParameterValue(id("ParamAngleX"), 5.0f);
  model.getModel()->setParameterValue(id("ParamCheek"), 0.25f);
  model.getModel()->saveParameters();
  model.setDragging(0.8f, -0.6f);
  for (int frame = 0; frame < 40; ++frame) {
    model.update(1.0f / 30.0f);
    const float x = model.getDragManager()->getX();
    const float y = model.getDragManager()->getY();
    // The additions come after the parameters are saved, so they never pile up from frame to frame.
    ASSERT_NEAR(model.value("ParamAngleX"), 5.0f + x * 30.0f, 1e-3f) << frame;
    ASSERT_NEAR(model.value("ParamAngleY"), y * 30.0f, 1e-3f);
    ASSERT_NEAR(model.value("ParamAngleZ"), x * y * -30.0f, 1e-3f);
    ASSERT_NEAR(model.value("ParamBodyAngleX"), x * 10.0f, 1e-3f);
    ASSERT_NEAR(model.value("ParamEyeBallX"), x, 1e-4f);
    ASSERT_NEAR(model.value("ParamEyeBallY"), y, 1e-4f);
    ASSERT_FLOAT_EQ(model.value("ParamCheek"), 0.25f);
  }
  EXPECT_GT(model.getDragManager()->getX(), 0.5f);
  EXPECT_LT(model.getDragManager()->getY(), -0.3f);
}

// The sample models need textures, and so a graphics context.
class SampleModelTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!live2d::cubism::test::haveSamples()) {
      GTEST_SKIP() << "Live2D samples not found under " << live2d::cubism::test::sampleDir();
    }
    m_renderer = rendertest::makeRenderer(64, 64, 64, 64);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
  }
  void TearDown() override { m_renderer.reset(); }

  static std::string folder(const std::string& name) { return live2d::cubism::test::sampleDir() + "/" + name + "/"; }

  std::unique_ptr<render::Renderer> m_renderer;
};

TEST_F(SampleModelTest, SamplesLoadWithTheirTexturesAndStartIdling) {
  for (const char* name : {"Haru", "Mark", "Mao"}) {
    LAppModel model;
    model.loadAssets(folder(name), std::string(name) + ".model3.json");
    ASSERT_TRUE(model.isLoaded()) << name;
    ASSERT_NE(model.renderer(), nullptr);
    EXPECT_EQ(static_cast<int>(model.boundTextureIds().size()), model.setting()->getTextureCount());
    for (std::uint64_t texture : model.boundTextureIds()) EXPECT_NE(live2d::textureManager().texture(texture), nullptr);
    model.update(0.0f);
    EXPECT_EQ(model.getMotionManager()->getCurrentPriority(), live2d::kPriorityIdle) << name;
  }
}

TEST_F(SampleModelTest, MotionsStartByPriority) {
  LAppModel model;
  model.loadAssets(folder("Mark"), "Mark.model3.json");
  ASSERT_TRUE(model.isLoaded());
  model.update(0.0f);  // the idle motion starts
  LogScope log;
  EXPECT_GE(model.startMotion("Idle", 2, live2d::kPriorityNormal), 0);
  EXPECT_EQ(model.startMotion("Idle", 3, live2d::kPriorityNormal), -1);
  EXPECT_TRUE(loggedLine("[APP]can't start motion."));
  EXPECT_GE(model.startMotion("Idle", 3, live2d::kPriorityForce), 0);
  EXPECT_TRUE(loggedLine("[APP]start motion: [Idle_3]"));
  // An index outside the group starts nothing and leaves no reservation behind.
  EXPECT_EQ(model.startMotion("Idle", 6, live2d::kPriorityForce), -1);
  EXPECT_EQ(model.startMotion("TapBody", 0, live2d::kPriorityForce), -1);
  EXPECT_EQ(model.getMotionManager()->getReservePriority(), 0);

  // Once every motion has ended, the next update starts an idle motion of its own.
  for (int frame = 0; frame < 400 && model.getMotionManager()->getCurrentPriority() != 0; ++frame) model.update(0.1f);
  EXPECT_EQ(model.getMotionManager()->getCurrentPriority(), 0);
  logged().clear();
  model.update(0.1f);
  EXPECT_TRUE(loggedLine("[APP]start motion: [Idle_"));
  EXPECT_EQ(model.getMotionManager()->getCurrentPriority(), live2d::kPriorityIdle);
}

TEST_F(SampleModelTest, ExpressionsByNameAndUnknownAreas) {
  LAppModel model;
  model.loadAssets(folder("Haru"), "Haru.model3.json");
  ASSERT_TRUE(model.isLoaded());
  LogScope log;
  model.setExpression("F03");
  model.setExpression("F99");
  EXPECT_TRUE(loggedLine("[APP]expression: [F03]"));
  EXPECT_TRUE(loggedLine("[APP]expression[F99] is null "));
  EXPECT_EQ(model.getExpressionManager()->getEntryCount(), 1u);
  model.update(0.0f);
  EXPECT_FALSE(model.hitTest("Tail", 0.0f, 0.0f));
  model.setOpacity(0.5f);
  EXPECT_FALSE(model.hitTest("Body", 0.0f, -0.5f));
}

TEST_F(SampleModelTest, MotionMissingAtLoadIsReadWhenItStarts) {
  const std::filesystem::path copy =
      std::filesystem::temp_directory_path() / ("quillon-l2d-lazy-motion-" + std::to_string(getpid()));
  std::filesystem::remove_all(copy);
  std::filesystem::copy(folder("Mark"), copy, std::filesystem::copy_options::recursive);
  const std::filesystem::path motion = copy / "motions" / "mark_m03.motion3.json";
  const std::filesystem::path aside = copy / "aside.json";
  std::filesystem::rename(motion, aside);
  LAppModel model;
  model.loadAssets(copy.string() + "/", "Mark.model3.json");
  ASSERT_TRUE(model.isLoaded());
  std::filesystem::rename(aside, motion);
  LogScope log;
  EXPECT_GE(model.startMotion("Idle", 2, live2d::kPriorityForce), 0);
  EXPECT_TRUE(loggedLine("[APP]load motion: "));
  EXPECT_TRUE(loggedLine("[APP]start motion: [Idle_2]"));
  std::filesystem::remove_all(copy);
}

TEST_F(SampleModelTest, MissingSettingLeavesTheModelUnloaded) {
  LogScope log;
  LAppModel model;
  model.loadAssets(folder("Mark"), "Nothing.model3.json");
  EXPECT_FALSE(model.isLoaded());
  EXPECT_TRUE(loggedLine("file open error"));
  model.update(0.1f);
  EXPECT_EQ(model.startMotion("Idle", 0, live2d::kPriorityForce), -1);
}

}  // namespace
