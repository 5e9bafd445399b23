#include <cmath>

#include "SkeletonTestSupport.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine::test {
namespace {

constexpr double kDegRad = 3.14159265358979323846 / 180;

void tip(const Bone& bone, float& x, float& y) { bone.localToWorld(bone.data.length, 0, x, y); }

std::string ikJson(const char* options) {
  return std::string(R"({"bones":[{"name":"root"},
        {"name":"upper","parent":"root","length":100,"rotation":0},
        {"name":"lower","parent":"upper","x":100,"length":100},
        {"name":"target","parent":"root","x":120,"y":80}],
      "ik":[{"name":"reach","bones":["upper","lower"],"target":"target")") +
         options + "}]}";
}

TEST(IkConstraint, TwoBonesBendToReachTheTarget) {
  for (const char* bend : {"", R"(,"bendPositive":false)"}) {
    auto data = loadJson(ikJson(bend));
    ASSERT_TRUE(data);
    Skeleton skeleton(*data);
    skeleton.updateWorldTransform();
    float x, y;
    tip(*skeleton.findBone("lower"), x, y);
    EXPECT_NEAR(x, 120, 1e-2) << bend;
    EXPECT_NEAR(y, 80, 1e-2) << bend;
    // A positive bend turns the child counter-clockwise, which puts the elbow clockwise of the target line.
    const Bone& lower = *skeleton.findBone("lower");
    float cross = 120 * lower.worldY - 80 * lower.worldX;
    if (*bend)
      EXPECT_GT(cross, 0);
    else
      EXPECT_LT(cross, 0);
  }
}

TEST(IkConstraint, OutOfReachStretchesOnlyWhenAsked) {
  auto data = loadJson(R"({"bones":[{"name":"root"},
        {"name":"upper","parent":"root","length":100},{"name":"lower","parent":"upper","x":100,"length":100},
        {"name":"target","parent":"root","x":0,"y":300}],
      "ik":[{"name":"reach","bones":["upper","lower"],"target":"target","stretch":true}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  float x, y;
  tip(*skeleton.findBone("lower"), x, y);
  EXPECT_NEAR(x, 0, 1e-2);
  EXPECT_NEAR(y, 300, 1e-2);

  skeleton.findIkConstraint("reach")->stretch = false;
  skeleton.updateWorldTransform();
  tip(*skeleton.findBone("lower"), x, y);
  EXPECT_NEAR(x, 0, 1e-2);
  EXPECT_NEAR(y, 200, 1e-2);  // fully extended towards it
}

TEST(IkConstraint, OneBoneAimsAndMixBlends) {
  auto data = loadJson(R"({"bones":[{"name":"root"},{"name":"gun","parent":"root","rotation":10,"length":50},
        {"name":"target","parent":"root","x":0,"y":100}],
      "ik":[{"name":"aim","bones":["gun"],"target":"target","mix":0.5}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  EXPECT_NEAR(skeleton.findBone("gun")->worldRotationX(), 10 + (90 - 10) * 0.5, 1e-3);
  skeleton.findIkConstraint("aim")->mix = 1;
  skeleton.updateWorldTransform();
  EXPECT_NEAR(skeleton.findBone("gun")->worldRotationX(), 90, 1e-3);
}

TEST(TransformConstraint, WorldModeCopiesTargetRotationAndPosition) {
  auto data = loadJson(R"({"bones":[{"name":"root"},{"name":"follower","parent":"root","x":5},
        {"name":"leader","parent":"root","x":50,"y":20,"rotation":60}],
      "transform":[{"name":"follow","bones":["follower"],"target":"leader","rotation":15,"x":10,"scaleMix":0,"shearMix":0}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  const Bone& follower = *skeleton.findBone("follower");
  EXPECT_NEAR(follower.worldRotationX(), 75, 1e-3);
  // Offset (10, 0) in the leader's frame.
  EXPECT_NEAR(follower.worldX, 50 + 10 * std::cos(60 * kDegRad), 1e-3);
  EXPECT_NEAR(follower.worldY, 20 + 10 * std::sin(60 * kDegRad), 1e-3);
}

TEST(TransformConstraint, RelativeLocalModeAddsTargetValues) {
  auto data = loadJson(R"({"bones":[{"name":"root"},{"name":"follower","parent":"root","rotation":10,"x":5},
        {"name":"leader","parent":"root","x":50,"rotation":60}],
      "transform":[{"name":"follow","bones":["follower"],"target":"leader","local":true,"relative":true,
                    "rotateMix":0.5,"translateMix":1,"scaleMix":0,"shearMix":0}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  const Bone& follower = *skeleton.findBone("follower");
  EXPECT_NEAR(follower.worldRotationX(), 10 + 60 * 0.5, 1e-3);
  EXPECT_NEAR(follower.worldX, 55, 1e-3);
}

TEST(PathConstraint, PlacesAChainAlongAStraightPath) {
  auto data = loadJson(R"({"bones":[{"name":"root"},
        {"name":"b0","parent":"root","length":100,"rotation":90},{"name":"b1","parent":"b0","x":100,"length":100},
        {"name":"b2","parent":"b1","x":100,"length":100}],
      "slots":[{"name":"rail","bone":"root","attachment":"rail"}],
      "path":[{"name":"ride","bones":["b0","b1","b2"],"target":"rail","position":0.1}],
      "skins":[{"name":"default","attachments":{"rail":{"rail":{"type":"path","vertexCount":6,
          "lengths":[400,800],"vertices":[-10,0, 0,0, 100,0, 300,0, 400,0, 410,0]}}}}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  const char* names[] = {"b0", "b1", "b2"};
  for (int i = 0; i < 3; ++i) {
    const Bone& bone = *skeleton.findBone(names[i]);
    EXPECT_NEAR(bone.worldX, 40 + 100 * i, 0.5) << names[i];
    EXPECT_NEAR(bone.worldY, 0, 1e-3) << names[i];
    EXPECT_NEAR(bone.worldRotationX(), 0, 1e-2) << names[i];
  }
}

TEST(UpdateCache, SkinRequiredBonesAndConstraintsFollowTheSkin) {
  auto data = loadJson(R"({"bones":[{"name":"root"},{"name":"cape","parent":"root","skin":true,"length":10},
        {"name":"target","parent":"root","x":0,"y":50}],
      "ik":[{"name":"capeAim","bones":["cape"],"target":"target","skin":true}],
      "skins":[{"name":"default"},{"name":"hero","bones":["cape"],"ik":["capeAim"]}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  EXPECT_FALSE(skeleton.findBone("cape")->active);
  EXPECT_FALSE(skeleton.findIkConstraint("capeAim")->active);
  ASSERT_TRUE(skeleton.setSkin("hero"));
  skeleton.updateWorldTransform();
  EXPECT_TRUE(skeleton.findBone("cape")->active);
  EXPECT_TRUE(skeleton.findIkConstraint("capeAim")->active);
  EXPECT_NEAR(skeleton.findBone("cape")->worldRotationX(), 90, 1e-3);
}

TEST(UpdateCache, ConstraintsRunInTheirGlobalOrder) {
  // The transform constraint (order 0) must see the bone before IK (order 1) turns it.
  auto data = loadJson(R"({"bones":[{"name":"root"},{"name":"arm","parent":"root","length":10},
        {"name":"copy","parent":"root"},{"name":"target","parent":"root","y":50}],
      "ik":[{"name":"aim","order":1,"bones":["arm"],"target":"target"}],
      "transform":[{"name":"mirror","order":0,"bones":["copy"],"target":"arm","translateMix":0,"scaleMix":0,"shearMix":0}]})");
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  EXPECT_NEAR(skeleton.findBone("arm")->worldRotationX(), 90, 1e-3);
  EXPECT_NEAR(skeleton.findBone("copy")->worldRotationX(), 0, 1e-3);
}

}  // namespace
}  // namespace spine::test
