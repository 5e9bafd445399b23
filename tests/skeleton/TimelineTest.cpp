#include <cmath>

#include "SkeletonTestSupport.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine::test {
namespace {

const char* kTimelinesJson = R"({
  "bones":[{"name":"root"},{"name":"arm","parent":"root","rotation":10,"scaleX":2}],
  "slots":[{"name":"hand","bone":"arm","attachment":"open","color":"ff0000ff"}],
  "skins":[{"name":"default","attachments":{"hand":{
      "open":{"width":10,"height":10},"closed":{"width":12,"height":12}}}}],
  "animations":{
    "linear":{"bones":{"arm":{"rotate":[{"angle":0},{"time":1,"angle":90}]}}},
    "eased":{"bones":{"arm":{"rotate":[{"angle":0,"curve":0.5,"c3":1},{"time":1,"angle":90}]}}},
    "stepped":{"bones":{"arm":{"rotate":[{"angle":0,"curve":"stepped"},{"time":1,"angle":90}]}}},
    "wrap":{"bones":{"arm":{"rotate":[{"angle":160},{"time":1,"angle":-160}]}}},
    "moves":{"bones":{"arm":{"translate":[{"time":0.5,"x":10,"y":-4},{"time":1.5,"x":30,"y":4}],
                             "scale":[{"x":0.5,"y":3}]}}},
    "swap":{"slots":{"hand":{"attachment":[{"name":"open"},{"time":0.5,"name":"closed"},{"time":0.8,"name":null}],
                             "color":[{"color":"ff000000"},{"time":1,"color":"00ff00ff"}]}}}
  }
})";

class Timelines : public ::testing::Test {
 protected:
  void SetUp() override {
    data = loadJson(kTimelinesJson, &error);
    ASSERT_TRUE(data) << error;
    skeleton = std::make_unique<Skeleton>(*data);
  }
  void pose(const char* animation, float time, float alpha = 1, MixBlend blend = MixBlend::Setup) {
    data->findAnimation(animation)->apply(*skeleton, time, time, false, nullptr, alpha, blend, MixDirection::In);
  }
  Bone& arm() { return *skeleton->findBone("arm"); }

  std::string error;
  std::unique_ptr<SkeletonData> data;
  std::unique_ptr<Skeleton> skeleton;
};

TEST_F(Timelines, RotateInterpolatesLinearlyBetweenKeys) {
  pose("linear", 0.5f);
  EXPECT_NEAR(arm().rotation, 10 + 45, 1e-3);
  pose("linear", 0.25f);
  EXPECT_NEAR(arm().rotation, 10 + 22.5, 1e-3);
  pose("linear", 2);
  EXPECT_NEAR(arm().rotation, 10 + 90, 1e-3);
}

// Exact cubic Bezier value at x, found by bisection on the curve parameter.
double bezierAt(double x, double cx1, double cy1, double cx2, double cy2) {
  auto at = [](double t, double p1, double p2) {
    double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
  };
  double lo = 0, hi = 1;
  for (int i = 0; i < 60; ++i) {
    double mid = (lo + hi) / 2;
    (at(mid, cx1, cx2) < x ? lo : hi) = mid;
  }
  return at(lo, cy1, cy2);
}

// The editor's runtime reads a curve off ten straight segments through points sampled at t = 0.1 .. 0.9; the
// pose must match that polyline exactly and the true curve closely.
double polylineAt(double x, double cx1, double cy1, double cx2, double cy2) {
  auto at = [](double t, double p1, double p2) {
    double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
  };
  double prevX = 0, prevY = 0;
  for (int k = 1; k <= 10; ++k) {
    double px = at(k / 10.0, cx1, cx2), py = at(k / 10.0, cy1, cy2);
    if (px >= x) return prevY + (py - prevY) * (x - prevX) / (px - prevX);
    prevX = px;
    prevY = py;
  }
  return 1;
}

TEST_F(Timelines, RotateFollowsTheBezierCurve) {
  for (float t : {0.25f, 0.5f, 0.75f}) {
    pose("eased", t);
    EXPECT_NEAR(arm().rotation, 10 + 90 * polylineAt(t, 0.5, 0, 1, 1), 1e-3) << t;
    EXPECT_NEAR(arm().rotation, 10 + 90 * bezierAt(t, 0.5, 0, 1, 1), 0.5) << t;
  }
  pose("eased", 0.5f);
  EXPECT_LT(arm().rotation, 10 + 45 - 5);  // eases in: well behind linear halfway
}

TEST_F(Timelines, SteppedHoldsThePreviousKey) {
  pose("stepped", 0.99f);
  EXPECT_NEAR(arm().rotation, 10, 1e-4);
  pose("stepped", 1);
  EXPECT_NEAR(arm().rotation, 100, 1e-4);
}

TEST_F(Timelines, RotateTakesTheShortWayRound) {
  pose("wrap", 0.5f);
  // 160 -> -160 passes through 180, not through 0.
  float angle = std::remainder(arm().rotation - 10, 360.0f);
  EXPECT_NEAR(std::abs(angle), 180, 1e-3);
}

TEST_F(Timelines, AlphaBlendsFromTheSetupPose) {
  pose("linear", 1, 0.5f);
  EXPECT_NEAR(arm().rotation, 10 + 45, 1e-3);
  arm().rotation = 0;
  pose("linear", 1, 0.5f, MixBlend::Replace);  // from the current value: halfway between 0 and 100
  EXPECT_NEAR(arm().rotation, 50, 1e-3);
}

TEST_F(Timelines, TranslateIsRelativeToSetupAndScaleMultipliesIt) {
  pose("moves", 0.25f);  // before the first key: setup
  EXPECT_NEAR(arm().x, 0, 1e-4);
  pose("moves", 1);
  EXPECT_NEAR(arm().x, 20, 1e-4);
  EXPECT_NEAR(arm().y, 0, 1e-4);
  EXPECT_NEAR(arm().scaleX, 1, 1e-4);  // 0.5 x setup 2
  EXPECT_NEAR(arm().scaleY, 3, 1e-4);
}

TEST_F(Timelines, AttachmentSwitchesAtItsKeyTime) {
  Slot& hand = *skeleton->findSlot("hand");
  pose("swap", 0.49f);
  ASSERT_NE(hand.attachment, nullptr);
  EXPECT_EQ(hand.attachment->name, "open");
  pose("swap", 0.5f);
  ASSERT_NE(hand.attachment, nullptr);
  EXPECT_EQ(hand.attachment->name, "closed");
  pose("swap", 0.9f);
  EXPECT_EQ(hand.attachment, nullptr);
}

TEST_F(Timelines, ColorInterpolatesEveryChannel) {
  pose("swap", 0.5f);
  const Color& color = skeleton->findSlot("hand")->color;
  EXPECT_NEAR(color.r, 0.5, 1e-3);
  EXPECT_NEAR(color.g, 0.5, 1e-3);
  EXPECT_NEAR(color.b, 0, 1e-3);
  EXPECT_NEAR(color.a, 0.5, 1e-3);
}

TEST_F(Timelines, DurationIsTheLastKeyTime) {
  EXPECT_FLOAT_EQ(data->findAnimation("moves")->duration(), 1.5f);
  EXPECT_FLOAT_EQ(data->findAnimation("swap")->duration(), 1);
}

TEST_F(Timelines, EventsFireBetweenLastAndCurrentTime) {
  auto events = loadJson(R"({"events":{"step":{"int":3,"string":"s"}},
        "animations":{"walk":{"events":[{"name":"step"},{"time":0.5,"name":"step","int":7},{"time":0.5,"name":"step"}]}}})");
  ASSERT_TRUE(events);
  Skeleton eventSkeleton(*events);
  const Animation& walk = *events->findAnimation("walk");
  std::vector<const Event*> fired;
  walk.apply(eventSkeleton, -1, 0.2f, false, &fired, 1, MixBlend::Setup, MixDirection::In);
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0]->intValue, 3);
  EXPECT_EQ(fired[0]->stringValue, "s");
  fired.clear();
  walk.apply(eventSkeleton, 0.2f, 0.5f, false, &fired, 1, MixBlend::Setup, MixDirection::In);
  ASSERT_EQ(fired.size(), 2u);  // both keys at 0.5
  EXPECT_EQ(fired[0]->intValue, 7);
  fired.clear();
  walk.apply(eventSkeleton, 0.5f, 0.7f, false, &fired, 1, MixBlend::Setup, MixDirection::In);
  EXPECT_TRUE(fired.empty());
}

TEST(ConstraintAndOrderTimelines, DrawOrderAndIkKeys) {
  auto data = loadJson(R"({"bones":[{"name":"root"},{"name":"a","parent":"root","length":10},
        {"name":"b","parent":"a","x":10,"length":10},{"name":"t","parent":"root","x":5,"y":5}],
      "slots":[{"name":"s0","bone":"root"},{"name":"s1","bone":"root"},{"name":"s2","bone":"root"}],
      "ik":[{"name":"leg","bones":["a","b"],"target":"t","mix":0.2}],
      "animations":{"shuffle":{
        "drawOrder":[{"time":0.5,"offsets":[{"slot":"s0","offset":2}]},{"time":1}],
        "ik":{"leg":[{"mix":1,"bendPositive":false,"stretch":true},{"time":1,"mix":0}]}}}})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  const Animation& shuffle = *data->findAnimation("shuffle");
  auto order = [&] {
    std::string names;
    for (const Slot* slot : skeleton.drawOrder) names += slot->data.name + " ";
    return names;
  };
  auto pose = [&](float time, MixDirection direction = MixDirection::In) {
    shuffle.apply(skeleton, time, time, false, nullptr, 1, MixBlend::Setup, direction);
  };
  pose(0.25f);
  EXPECT_EQ(order(), "s0 s1 s2 ");
  pose(0.5f);
  EXPECT_EQ(order(), "s1 s2 s0 ");
  pose(1);
  EXPECT_EQ(order(), "s0 s1 s2 ");

  IkConstraint& leg = *skeleton.findIkConstraint("leg");
  pose(0.5f);
  EXPECT_NEAR(leg.mix, 0.5f, 1e-5);
  EXPECT_EQ(leg.bendDirection, -1);
  EXPECT_TRUE(leg.stretch);
  pose(0.5f, MixDirection::Out);  // mixing out with setup: discrete values return to the data's
  EXPECT_EQ(leg.bendDirection, 1);
  EXPECT_FALSE(leg.stretch);
}

}  // namespace
}  // namespace spine::test
