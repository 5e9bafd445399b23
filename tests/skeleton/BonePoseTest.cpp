#include <cmath>

#include "SkeletonTestSupport.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine::test {
namespace {

constexpr double kDegRad = 3.14159265358979323846 / 180;

// root -> parent (at 10,5, rotated 30, scaled by `parentScale`) -> child (at 20,0, rotated 45) in `mode`.
std::string chainJson(const char* mode, float parentScaleX, float parentScaleY) {
  return std::string(R"({"bones":[{"name":"root"},
        {"name":"parent","parent":"root","x":10,"y":5,"rotation":30,"scaleX":)") +
         std::to_string(parentScaleX) + R"(,"scaleY":)" + std::to_string(parentScaleY) + R"(},
        {"name":"child","parent":"parent","x":20,"rotation":45,"transform":")" +
         mode + R"("}]})";
}

struct Pose {
  float a, b, c, d, x, y;
};

Pose childPose(const char* mode, float parentScaleX, float parentScaleY, float skeletonScaleX = 1) {
  auto data = loadJson(chainJson(mode, parentScaleX, parentScaleY));
  EXPECT_TRUE(data);
  if (!data) return {};
  Skeleton skeleton(*data);
  skeleton.scaleX = skeletonScaleX;
  skeleton.updateWorldTransform();
  const Bone& child = *skeleton.findBone("child");
  return {child.a, child.b, child.c, child.d, child.worldX, child.worldY};
}

void expectPosition(const Pose& pose, double x, double y) {
  EXPECT_NEAR(pose.x, x, 1e-3);
  EXPECT_NEAR(pose.y, y, 1e-3);
}

// The child's position always follows the full parent transform; only its axes depend on the mode.
double childWorldX(double scale) { return 10 + 20 * scale * std::cos(30 * kDegRad); }
double childWorldY(double scale) { return 5 + 20 * scale * std::sin(30 * kDegRad); }

TEST(BonePose, NormalComposesParentRotationAndScale) {
  Pose pose = childPose("normal", 2, 2);
  expectPosition(pose, childWorldX(2), childWorldY(2));
  EXPECT_NEAR(pose.a, 2 * std::cos(75 * kDegRad), 1e-4);
  EXPECT_NEAR(pose.c, 2 * std::sin(75 * kDegRad), 1e-4);
  EXPECT_NEAR(pose.b, 2 * std::cos(165 * kDegRad), 1e-4);
  EXPECT_NEAR(pose.d, 2 * std::sin(165 * kDegRad), 1e-4);
}

TEST(BonePose, NormalWithNonUniformParentScaleSkewsTheChild) {
  Pose pose = childPose("normal", 2, 1);
  // M = R(30) * diag(2, 1) * R(45)
  const double c30 = std::cos(30 * kDegRad), s30 = std::sin(30 * kDegRad);
  const double c45 = std::cos(45 * kDegRad), s45 = std::sin(45 * kDegRad);
  const double pa = 2 * c30, pb = -s30, pc = 2 * s30, pd = c30;
  EXPECT_NEAR(pose.a, pa * c45 + pb * s45, 1e-4);
  EXPECT_NEAR(pose.b, pa * -s45 + pb * c45, 1e-4);
  EXPECT_NEAR(pose.c, pc * c45 + pd * s45, 1e-4);
  EXPECT_NEAR(pose.d, pc * -s45 + pd * c45, 1e-4);
}

TEST(BonePose, OnlyTranslationIgnoresParentRotationAndScale) {
  Pose pose = childPose("onlyTranslation", 2, 2);
  expectPosition(pose, childWorldX(2), childWorldY(2));
  EXPECT_NEAR(pose.a, std::cos(45 * kDegRad), 1e-4);
  EXPECT_NEAR(pose.c, std::sin(45 * kDegRad), 1e-4);
  EXPECT_NEAR(pose.b, -std::sin(45 * kDegRad), 1e-4);
  EXPECT_NEAR(pose.d, std::cos(45 * kDegRad), 1e-4);
}

TEST(BonePose, NoRotationOrReflectionKeepsParentScaleOnly) {
  Pose pose = childPose("noRotationOrReflection", 2, 2);
  expectPosition(pose, childWorldX(2), childWorldY(2));
  EXPECT_NEAR(std::atan2(pose.c, pose.a) / kDegRad, 45, 1e-3);
  EXPECT_NEAR(std::hypot(pose.a, pose.c), 2, 1e-4);
  EXPECT_NEAR(std::hypot(pose.b, pose.d), 2, 1e-4);
}

TEST(BonePose, NoScaleKeepsParentRotationOnly) {
  for (const char* mode : {"noScale", "noScaleOrReflection"}) {
    Pose pose = childPose(mode, 2, 2);
    expectPosition(pose, childWorldX(2), childWorldY(2));
    EXPECT_NEAR(std::atan2(pose.c, pose.a) / kDegRad, 75, 1e-3) << mode;
    EXPECT_NEAR(std::hypot(pose.a, pose.c), 1, 1e-4) << mode;
    EXPECT_NEAR(pose.a * pose.d - pose.b * pose.c, 1, 1e-4) << mode;
  }
}

TEST(BonePose, NoScaleInheritsReflectionButNoScaleOrReflectionDoesNot) {
  Pose reflected = childPose("noScale", 2, -2);
  EXPECT_NEAR(reflected.a * reflected.d - reflected.b * reflected.c, -1, 1e-4);
  Pose unreflected = childPose("noScaleOrReflection", 2, -2);
  EXPECT_NEAR(unreflected.a * unreflected.d - unreflected.b * unreflected.c, 1, 1e-4);
}

TEST(BonePose, SkeletonFlipMirrorsEveryMode) {
  for (const char* mode : {"normal", "onlyTranslation", "noRotationOrReflection", "noScale", "noScaleOrReflection"}) {
    Pose pose = childPose(mode, 2, 2);
    Pose flipped = childPose(mode, 2, 2, -1);
    EXPECT_NEAR(flipped.x, -pose.x, 1e-3) << mode;
    EXPECT_NEAR(flipped.y, pose.y, 1e-3) << mode;
    EXPECT_NEAR(flipped.a, -pose.a, 1e-4) << mode;
    EXPECT_NEAR(flipped.b, -pose.b, 1e-4) << mode;
    EXPECT_NEAR(flipped.c, pose.c, 1e-4) << mode;
    EXPECT_NEAR(flipped.d, pose.d, 1e-4) << mode;
  }
}

TEST(BonePose, SkeletonPositionAndScaleEnterAtTheRoot) {
  auto data = loadJson(chainJson("normal", 1, 1));
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.x = 100;
  skeleton.y = -50;
  skeleton.scaleY = 3;
  skeleton.updateWorldTransform();
  const Bone& parent = *skeleton.findBone("parent");
  EXPECT_NEAR(parent.worldX, 110, 1e-4);
  EXPECT_NEAR(parent.worldY, -50 + 15, 1e-4);
  EXPECT_NEAR(parent.c, 3 * std::sin(30 * kDegRad), 1e-4);
}

TEST(BonePose, AppliedTransformRecoversLocalValues) {
  auto data = loadJson(chainJson("normal", 1.5f, 0.5f));
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  Bone& child = *skeleton.findBone("child");
  child.updateAppliedTransform();
  EXPECT_NEAR(child.ax, 20, 1e-3);
  EXPECT_NEAR(child.ay, 0, 1e-3);
  EXPECT_NEAR(child.arotation, 45, 1e-3);
  EXPECT_NEAR(child.ascaleX, 1, 1e-4);
  EXPECT_NEAR(child.ascaleY, 1, 1e-4);
}

TEST(BonePose, VeryLongBoneChainPosesWithoutDeepRecursion) {
  constexpr int kBones = 100000;
  std::string json = R"({"bones":[{"name":"b0"})";
  for (int i = 1; i < kBones; ++i)
    json += ",{\"name\":\"b" + std::to_string(i) + "\",\"parent\":\"b" + std::to_string(i - 1) + "\",\"x\":1}";
  json += "]}";
  auto data = loadJson(json);
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  EXPECT_NEAR(skeleton.bones.back()->worldX, kBones - 1, 1e-3);
}

const char* kAttachmentsJson = R"({
  "bones":[{"name":"root"},{"name":"a","parent":"root","x":100},{"name":"b","parent":"root","y":100,"rotation":90}],
  "slots":[{"name":"quad","bone":"a","attachment":"quad"},{"name":"mesh","bone":"root","attachment":"mesh"},
           {"name":"plain","bone":"a","attachment":"plain"}],
  "skins":[{"name":"default","attachments":{
    "quad":{"quad":{"x":10,"rotation":90,"width":20,"height":10}},
    "mesh":{"mesh":{"type":"mesh","uvs":[0,0,1,0],"triangles":[],
                    "vertices":[2, 1,10,0,0.5, 2,10,0,0.5,  1, 2,0,5,1]}},
    "plain":{"plain":{"type":"mesh","uvs":[0,0,1,0,0,1],"triangles":[0,1,2],"vertices":[0,0,10,0,0,10]}}}}],
  "animations":{"bend":{"deform":{"default":{"plain":{"plain":[{"offset":2,"vertices":[5,5]}]}}}}}
})";

TEST(AttachmentVertices, RegionCornersFollowTheBone) {
  auto data = loadJson(kAttachmentsJson);
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  const Slot& slot = *skeleton.findSlot("quad");
  const auto& region = static_cast<const RegionAttachment&>(*slot.attachment);
  float world[8];
  region.computeWorldVertices(slot.bone, world, 0, 2);
  // 20 x 10 quad turned 90 degrees about its centre at (10, 0) on the bone at x = 100: BR, BL, UL, UR.
  const float expected[8] = {115, 10, 115, -10, 105, -10, 105, 10};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(world[i], expected[i], 1e-3) << i;
}

TEST(AttachmentVertices, WeightedMeshBlendsItsBones) {
  auto data = loadJson(kAttachmentsJson);
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  skeleton.updateWorldTransform();
  const Slot& slot = *skeleton.findSlot("mesh");
  const auto& mesh = static_cast<const MeshAttachment&>(*slot.attachment);
  float world[4];
  mesh.computeWorldVertices(slot, world);
  // Vertex 0: half of (10,0) on bone a (at 100,0) and half of (10,0) on bone b (at 0,100, turned 90).
  EXPECT_NEAR(world[0], (110 + 0) / 2.0, 1e-3);
  EXPECT_NEAR(world[1], (0 + 110) / 2.0, 1e-3);
  // Vertex 1: all of (0,5) on bone b.
  EXPECT_NEAR(world[2], -5, 1e-3);
  EXPECT_NEAR(world[3], 100, 1e-3);
}

TEST(AttachmentVertices, DeformReplacesUnweightedVertices) {
  auto data = loadJson(kAttachmentsJson);
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  data->findAnimation("bend")->apply(skeleton, 0, 0, false, nullptr, 1, MixBlend::Setup, MixDirection::In);
  skeleton.updateWorldTransform();
  const Slot& slot = *skeleton.findSlot("plain");
  ASSERT_EQ(slot.deform.size(), 6u);
  float world[6];
  static_cast<const MeshAttachment&>(*slot.attachment).computeWorldVertices(slot, world);
  // The key moves vertex 1 from (10, 0) by (5, 5); the bone sits at x = 100.
  EXPECT_NEAR(world[0], 100, 1e-3);
  EXPECT_NEAR(world[2], 115, 1e-3);
  EXPECT_NEAR(world[3], 5, 1e-3);
  EXPECT_NEAR(world[5], 10, 1e-3);
  skeleton.setSlotsToSetupPose();
  EXPECT_TRUE(skeleton.findSlot("plain")->deform.empty());
}

}  // namespace
}  // namespace spine::test
