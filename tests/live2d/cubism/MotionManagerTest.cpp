#include <nlohmann/json.hpp>

#include "tests/live2d/cubism/CubismTestSupport.h"
#include "live2d/cubism/CubismMotion.h"
#include "live2d/cubism/CubismMotionManager.h"

namespace live2d::cubism::test {
namespace {

// A motion holding parameter P at `value` for `duration` seconds, with the given fades.
std::shared_ptr<CubismMotion> constantMotion(float value, float duration, float fade) {
  const nlohmann::json j = {
      {"Meta", {{"Duration", duration}, {"Fps", 30}, {"FadeInTime", fade}, {"FadeOutTime", fade}}},
      {"Curves", {{{"Target", "Parameter"}, {"Id", "P"}, {"Segments", {0, value, 0, duration, value}}}}}};
  const std::string text = j.dump();
  return CubismMotion::create(std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::unique_ptr<CubismModel> oneParameterModel(ModelBuilder& b) {
  b.addParameter("P", -100, 100, 0, {-100, 100});
  b.addMesh("M", 0, {{0, 0, 1, 0, 0, 1}}, {500}, {1});
  return b.build();
}

TEST(MotionManagerTest, PrioritiesAndReservationsGateNewMotions) {
  CubismMotionManager manager;
  EXPECT_TRUE(manager.reserveMotion(2));
  EXPECT_FALSE(manager.reserveMotion(2));  // equal to the reservation
  EXPECT_FALSE(manager.reserveMotion(1));
  manager.startMotionPriority(constantMotion(1, 1, 0), 2);
  EXPECT_EQ(manager.getReservePriority(), 0);  // used up by the start
  EXPECT_EQ(manager.getCurrentPriority(), 2);
  EXPECT_FALSE(manager.reserveMotion(2));  // equal to the playing priority
  EXPECT_TRUE(manager.reserveMotion(3));
}

TEST(MotionManagerTest, PriorityDropsWhenEverythingHasFinished) {
  ModelBuilder b;
  auto model = oneParameterModel(b);
  CubismMotionManager manager;
  manager.startMotionPriority(constantMotion(10, 1.0f, 0.0f), 2);
  EXPECT_TRUE(manager.updateMotion(model.get(), 0.1f));
  EXPECT_FLOAT_EQ(model->getParameterValue(0), 10.0f);
  EXPECT_EQ(manager.getCurrentPriority(), 2);
  for (int i = 0; i < 12; ++i) manager.updateMotion(model.get(), 0.1f);
  EXPECT_TRUE(manager.isFinished());
  EXPECT_EQ(manager.getCurrentPriority(), 0);
  EXPECT_TRUE(manager.reserveMotion(1));
}

TEST(MotionManagerTest, NewMotionFadesTheOldOneOut) {
  ModelBuilder b;
  auto model = oneParameterModel(b);
  CubismMotionManager manager;
  bool oldFinished = false;
  auto old = constantMotion(10, 100.0f, 1.0f);
  old->setFadeInTime(0.0f);
  old->setFinishedMotionHandler([&](ACubismMotion*) { oldFinished = true; });
  const auto oldHandle = manager.startMotionPriority(old, 1);
  manager.updateMotion(model.get(), 0.5f);
  EXPECT_FLOAT_EQ(model->getParameterValue(0), 10.0f);
  auto fresh = constantMotion(-10, 100.0f, 1.0f);
  const auto freshHandle = manager.startMotionPriority(fresh, 2);
  EXPECT_NE(oldHandle, freshHandle);
  // Each update starts from the saved base, as an application does.
  model->setParameterValue(0, 0.0f);
  manager.updateMotion(model.get(), 0.5f);
  // The old motion's fade-out starts now, the new one's fade-in too: still all old.
  EXPECT_NEAR(model->getParameterValue(0), 10.0f, 0.01f);
  model->setParameterValue(0, 0.0f);
  manager.updateMotion(model.get(), 0.5f);
  // Half a second in, both at eased weight 0.5, applied old first: 5, then halfway from 5 to -10.
  EXPECT_NEAR(model->getParameterValue(0), -2.5f, 0.01f);
  for (int i = 0; i < 2; ++i) {
    model->setParameterValue(0, 0.0f);
    manager.updateMotion(model.get(), 0.5f);
  }
  EXPECT_TRUE(oldFinished);
  EXPECT_TRUE(manager.isFinished(oldHandle));
  EXPECT_FALSE(manager.isFinished(freshHandle));
  EXPECT_NEAR(model->getParameterValue(0), -10.0f, 0.01f);
}

TEST(MotionManagerTest, EventsReachTheCallback) {
  const nlohmann::json j = {{"Meta", {{"Duration", 1.0}, {"Fps", 30}}},
                            {"Curves", nlohmann::json::array()},
                            {"UserData", {{{"Time", 0.0}, {"Value", "start"}}, {{"Time", 0.5}, {"Value", "middle"}}}}};
  const std::string text = j.dump();
  auto motion = CubismMotion::create(std::vector<std::uint8_t>(text.begin(), text.end()));
  ModelBuilder b;
  auto model = oneParameterModel(b);
  CubismMotionManager manager;
  std::vector<std::string> fired;
  manager.setEventCallback([&](const std::string& value) { fired.push_back(value); });
  manager.updateMotion(model.get(), 3.0f);  // time passes before the motion starts
  manager.startMotionPriority(motion, 2);
  manager.updateMotion(model.get(), 0.1f);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0], "start");
  manager.updateMotion(model.get(), 0.5f);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[1], "middle");
  manager.updateMotion(model.get(), 0.3f);
  EXPECT_EQ(fired.size(), 2u);
}

TEST(MotionManagerTest, StopAllMotionsEmptiesTheQueue) {
  CubismMotionManager manager;
  manager.startMotionPriority(constantMotion(1, 5, 0), 2);
  EXPECT_FALSE(manager.isFinished());
  manager.stopAllMotions();
  EXPECT_TRUE(manager.isFinished());
}

}  // namespace
}  // namespace live2d::cubism::test
