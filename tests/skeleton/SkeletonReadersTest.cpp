#include <cmath>

#include "SkeletonTestSupport.h"
#include "skeleton/runtime/BoundingBoxAttachment.h"
#include "skeleton/runtime/ClippingAttachment.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/PathAttachment.h"
#include "skeleton/runtime/PointAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine::test {
namespace {

// The JSON export rounds most values to two decimals while binary keeps full floats, so the two readers can only
// agree to half of JSON's last digit.
constexpr float kTolerance = 1e-4f;
constexpr float kJsonRounding = 0.0051f;

// Compares two SkeletonData read from different files of one skeleton. Each mismatch names where it is.
class DataComparer {
 public:
  void compare(const SkeletonData& a, const SkeletonData& b) {
    ASSERT_EQ(a.bones.size(), b.bones.size());
    for (size_t i = 0; i < a.bones.size(); ++i) compareBone(*a.bones[i], *b.bones[i]);
    ASSERT_EQ(a.slots.size(), b.slots.size());
    for (size_t i = 0; i < a.slots.size(); ++i) compareSlot(*a.slots[i], *b.slots[i]);
    ASSERT_EQ(a.ikConstraints.size(), b.ikConstraints.size());
    for (size_t i = 0; i < a.ikConstraints.size(); ++i) compareIk(*a.ikConstraints[i], *b.ikConstraints[i]);
    ASSERT_EQ(a.transformConstraints.size(), b.transformConstraints.size());
    for (size_t i = 0; i < a.transformConstraints.size(); ++i)
      compareTransform(*a.transformConstraints[i], *b.transformConstraints[i]);
    ASSERT_EQ(a.pathConstraints.size(), b.pathConstraints.size());
    ASSERT_EQ(a.skins.size(), b.skins.size());
    EXPECT_EQ(a.defaultSkin != nullptr, b.defaultSkin != nullptr);
    for (size_t i = 0; i < a.skins.size(); ++i) compareSkin(*a.skins[i], *b.skins[i]);
    ASSERT_EQ(a.events.size(), b.events.size());
    for (size_t i = 0; i < a.events.size(); ++i) compareEventData(*a.events[i], *b.events[i]);
    ASSERT_EQ(a.animations.size(), b.animations.size());
    for (size_t i = 0; i < a.animations.size(); ++i) compareAnimation(*a.animations[i], *b.animations[i]);
    EXPECT_NEAR(a.width, b.width, 0.01);
    EXPECT_NEAR(a.height, b.height, 0.01);
    EXPECT_EQ(a.version, b.version);
  }

 private:
  static void near(float a, float b, const std::string& where) {
    EXPECT_NEAR(a, b, kJsonRounding + kTolerance * std::abs(a)) << where;
  }
  static void nearAll(const std::vector<float>& a, const std::vector<float>& b, const std::string& where) {
    ASSERT_EQ(a.size(), b.size()) << where;
    for (size_t i = 0; i < a.size(); ++i) near(a[i], b[i], where + "[" + std::to_string(i) + "]");
  }
  static void color(const Color& a, const Color& b, const std::string& where) { EXPECT_EQ(a, b) << where; }
  static std::string boneName(const BoneData* bone) { return bone ? bone->name : "<none>"; }

  void compareBone(const BoneData& a, const BoneData& b) {
    const std::string where = "bone " + a.name;
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(boneName(a.parent), boneName(b.parent)) << where;
    near(a.length, b.length, where + " length");
    near(a.x, b.x, where + " x");
    near(a.y, b.y, where + " y");
    near(a.rotation, b.rotation, where + " rotation");
    near(a.scaleX, b.scaleX, where + " scaleX");
    near(a.scaleY, b.scaleY, where + " scaleY");
    near(a.shearX, b.shearX, where + " shearX");
    near(a.shearY, b.shearY, where + " shearY");
    EXPECT_EQ(a.transformMode, b.transformMode) << where;
    EXPECT_EQ(a.skinRequired, b.skinRequired) << where;
  }

  void compareSlot(const SlotData& a, const SlotData& b) {
    const std::string where = "slot " + a.name;
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.boneData->name, b.boneData->name) << where;
    color(a.color, b.color, where);
    EXPECT_EQ(a.darkColor, b.darkColor) << where;
    EXPECT_EQ(a.attachmentName, b.attachmentName) << where;
    EXPECT_EQ(a.blendMode, b.blendMode) << where;
  }

  void compareConstraint(const ConstraintData& a, const ConstraintData& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.order, b.order) << a.name;
    EXPECT_EQ(a.skinRequired, b.skinRequired) << a.name;
    ASSERT_EQ(a.bones.size(), b.bones.size()) << a.name;
    for (size_t i = 0; i < a.bones.size(); ++i) EXPECT_EQ(a.bones[i]->name, b.bones[i]->name) << a.name;
  }

  void compareIk(const IkConstraintData& a, const IkConstraintData& b) {
    compareConstraint(a, b);
    EXPECT_EQ(a.target->name, b.target->name) << a.name;
    EXPECT_EQ(a.bendDirection, b.bendDirection) << a.name;
    EXPECT_EQ(a.compress, b.compress) << a.name;
    EXPECT_EQ(a.stretch, b.stretch) << a.name;
    EXPECT_EQ(a.uniform, b.uniform) << a.name;
    near(a.mix, b.mix, a.name);
    near(a.softness, b.softness, a.name);
  }

  void compareTransform(const TransformConstraintData& a, const TransformConstraintData& b) {
    compareConstraint(a, b);
    EXPECT_EQ(a.target->name, b.target->name) << a.name;
    EXPECT_EQ(a.local, b.local) << a.name;
    EXPECT_EQ(a.relative, b.relative) << a.name;
    nearAll({a.rotateMix, a.translateMix, a.scaleMix, a.shearMix, a.offsetRotation, a.offsetX, a.offsetY,
             a.offsetScaleX, a.offsetScaleY, a.offsetShearY},
            {b.rotateMix, b.translateMix, b.scaleMix, b.shearMix, b.offsetRotation, b.offsetX, b.offsetY,
             b.offsetScaleX, b.offsetScaleY, b.offsetShearY},
            a.name);
  }

  void compareSkin(const Skin& a, const Skin& b) {
    EXPECT_EQ(a.name(), b.name());
    ASSERT_EQ(a.bones.size(), b.bones.size()) << a.name();
    for (size_t i = 0; i < a.bones.size(); ++i) EXPECT_EQ(a.bones[i]->name, b.bones[i]->name);
    ASSERT_EQ(a.constraints.size(), b.constraints.size()) << a.name();
    for (size_t i = 0; i < a.constraints.size(); ++i) EXPECT_EQ(a.constraints[i]->name, b.constraints[i]->name);
    auto entriesA = a.entries(), entriesB = b.entries();
    ASSERT_EQ(entriesA.size(), entriesB.size()) << a.name();
    for (const Skin::Entry* entry : entriesA) {
      Attachment* other = b.getAttachment(entry->slotIndex, entry->name);
      ASSERT_NE(other, nullptr) << "skin " << a.name() << " key " << entry->name;
      compareAttachment(*entry->attachment, *other, "skin " + a.name() + " key " + entry->name);
    }
  }

  void compareVertices(const VertexAttachment& a, const VertexAttachment& b, const std::string& where) {
    EXPECT_EQ(a.bones, b.bones) << where;
    nearAll(a.vertices, b.vertices, where + " vertices");
    EXPECT_EQ(a.worldVerticesLength, b.worldVerticesLength) << where;
    EXPECT_EQ(a.deformAttachment->name, b.deformAttachment->name) << where;
  }

  void compareAttachment(const Attachment& a, const Attachment& b, const std::string& where) {
    EXPECT_EQ(a.name, b.name) << where;
    ASSERT_EQ(a.type(), b.type()) << where;
    switch (a.type()) {
      case AttachmentType::Region: {
        const auto& ra = static_cast<const RegionAttachment&>(a);
        const auto& rb = static_cast<const RegionAttachment&>(b);
        EXPECT_EQ(ra.path, rb.path) << where;
        nearAll({ra.x, ra.y, ra.rotation, ra.scaleX, ra.scaleY, ra.width, ra.height},
                {rb.x, rb.y, rb.rotation, rb.scaleX, rb.scaleY, rb.width, rb.height}, where);
        // Corner offsets compound the rounded position, size and rotation, so they agree less closely.
        for (size_t i = 0; i < ra.offsets.size(); ++i) EXPECT_NEAR(ra.offsets[i], rb.offsets[i], 0.05) << where;
        nearAll({ra.uvs.begin(), ra.uvs.end()}, {rb.uvs.begin(), rb.uvs.end()}, where + " uvs");
        color(ra.color, rb.color, where);
        break;
      }
      case AttachmentType::Mesh: {
        const auto& ma = static_cast<const MeshAttachment&>(a);
        const auto& mb = static_cast<const MeshAttachment&>(b);
        EXPECT_EQ(ma.path, mb.path) << where;
        compareVertices(ma, mb, where);
        nearAll(ma.regionUVs, mb.regionUVs, where + " regionUVs");
        nearAll(ma.uvs, mb.uvs, where + " uvs");
        EXPECT_EQ(ma.triangles, mb.triangles) << where;
        EXPECT_EQ(ma.hullLength, mb.hullLength) << where;
        EXPECT_EQ(ma.edges, mb.edges) << where;
        EXPECT_EQ(ma.parentMesh != nullptr, mb.parentMesh != nullptr) << where;
        color(ma.color, mb.color, where);
        break;
      }
      case AttachmentType::BoundingBox:
        compareVertices(static_cast<const VertexAttachment&>(a), static_cast<const VertexAttachment&>(b), where);
        break;
      case AttachmentType::Clipping:
        compareVertices(static_cast<const VertexAttachment&>(a), static_cast<const VertexAttachment&>(b), where);
        EXPECT_EQ(static_cast<const ClippingAttachment&>(a).endSlot, static_cast<const ClippingAttachment&>(b).endSlot);
        break;
      case AttachmentType::Path:
        compareVertices(static_cast<const VertexAttachment&>(a), static_cast<const VertexAttachment&>(b), where);
        nearAll(static_cast<const PathAttachment&>(a).lengths, static_cast<const PathAttachment&>(b).lengths, where);
        break;
      case AttachmentType::Point: {
        const auto& pa = static_cast<const PointAttachment&>(a);
        const auto& pb = static_cast<const PointAttachment&>(b);
        nearAll({pa.x, pa.y, pa.rotation}, {pb.x, pb.y, pb.rotation}, where);
        break;
      }
      case AttachmentType::LinkedMesh:
        ADD_FAILURE() << "unresolved linked mesh " << where;
        break;
    }
  }

  void compareEventData(const EventData& a, const EventData& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.intValue, b.intValue) << a.name;
    near(a.floatValue, b.floatValue, a.name);
    EXPECT_EQ(a.stringValue, b.stringValue) << a.name;
    EXPECT_EQ(a.audioPath, b.audioPath) << a.name;
  }

  void compareAnimation(const Animation& a, const Animation& b) {
    const std::string where = "animation " + a.name();
    EXPECT_EQ(a.name(), b.name());
    near(a.duration(), b.duration(), where + " duration");
    ASSERT_EQ(a.timelines().size(), b.timelines().size()) << where;
    // The two formats list deform timelines in different orders; match every timeline by what it keys.
    for (size_t i = 0; i < a.timelines().size(); ++i) {
      const Timeline& timeline = *a.timelines()[i];
      const Timeline* match = nullptr;
      for (const auto& other : b.timelines())
        if (timelineKey(*other) == timelineKey(timeline)) match = other.get();
      ASSERT_NE(match, nullptr) << where << " timeline " << i;
      compareTimeline(timeline, *match, where + " timeline " + std::to_string(i));
    }
  }

  static std::string timelineKey(const Timeline& timeline) {
    if (timeline.type() == TimelineType::Deform) {
      const auto& deform = static_cast<const DeformTimeline&>(timeline);
      return "deform " + std::to_string(deform.slotIndex) + " " + deform.attachment->name;
    }
    return std::to_string(timeline.propertyId());
  }

  void compareTimeline(const Timeline& a, const Timeline& b, const std::string& where) {
    ASSERT_EQ(a.type(), b.type()) << where;
    nearAll(a.frames, b.frames, where + " frames");
    if (const auto* ca = dynamic_cast<const CurveTimeline*>(&a)) {
      const auto& cb = dynamic_cast<const CurveTimeline&>(b);
      for (size_t f = 0; f + 1 < a.frameCount(); ++f) {
        EXPECT_EQ(ca->curveType(f), cb.curveType(f)) << where << " frame " << f;
        for (float p : {0.1f, 0.35f, 0.5f, 0.8f}) near(ca->curvePercent(f, p), cb.curvePercent(f, p), where + " curve");
      }
    }
    switch (a.type()) {
      case TimelineType::Attachment:
        EXPECT_EQ(static_cast<const AttachmentTimeline&>(a).attachmentNames,
                  static_cast<const AttachmentTimeline&>(b).attachmentNames)
            << where;
        break;
      case TimelineType::Deform: {
        const auto& da = static_cast<const DeformTimeline&>(a);
        const auto& db = static_cast<const DeformTimeline&>(b);
        EXPECT_EQ(da.slotIndex, db.slotIndex) << where;
        EXPECT_EQ(da.attachment->name, db.attachment->name) << where;
        ASSERT_EQ(da.frameVertices.size(), db.frameVertices.size());
        for (size_t f = 0; f < da.frameVertices.size(); ++f)
          nearAll(da.frameVertices[f], db.frameVertices[f], where + " deform frame " + std::to_string(f));
        break;
      }
      case TimelineType::DrawOrder:
        EXPECT_EQ(static_cast<const DrawOrderTimeline&>(a).drawOrders,
                  static_cast<const DrawOrderTimeline&>(b).drawOrders)
            << where;
        break;
      case TimelineType::Event: {
        const auto& ea = static_cast<const EventTimeline&>(a).events;
        const auto& eb = static_cast<const EventTimeline&>(b).events;
        ASSERT_EQ(ea.size(), eb.size());
        for (size_t i = 0; i < ea.size(); ++i) {
          EXPECT_EQ(ea[i].data->name, eb[i].data->name) << where;
          EXPECT_EQ(ea[i].intValue, eb[i].intValue) << where;
          EXPECT_EQ(ea[i].stringValue, eb[i].stringValue) << where;
          near(ea[i].floatValue, eb[i].floatValue, where);
        }
        break;
      }
      default:
        break;
    }
  }
};

class SampleReaders : public ::testing::TestWithParam<Sample> {};

TEST_P(SampleReaders, JsonAndBinaryGiveTheSameSkeletonData) {
  SKIP_WITHOUT_SAMPLES();
  LoadedSample json = loadSample(GetParam(), false);
  ASSERT_TRUE(json.data) << json.error;
  LoadedSample binary = loadSample(GetParam(), true);
  ASSERT_TRUE(binary.data) << binary.error;
  EXPECT_FALSE(json.data->animations.empty());
  DataComparer().compare(*json.data, *binary.data);
}

// The editor records the setup pose's bounds; posing the setup pose must reproduce them.
TEST_P(SampleReaders, SetupPoseMatchesTheExportedBounds) {
  SKIP_WITHOUT_SAMPLES();
  for (bool binary : {false, true}) {
    LoadedSample sample = loadSample(GetParam(), binary);
    ASSERT_TRUE(sample.data) << sample.error;
    const SkeletonData& data = *sample.data;
    std::vector<Skin*> skins;
    for (const auto& skin : data.skins)
      if (skin.get() != data.defaultSkin) skins.push_back(skin.get());
    if (skins.empty()) skins.push_back(nullptr);
    for (Skin* skin : skins) {
      Skeleton skeleton(data);
      if (skin) {
        skeleton.setSkin(skin);
        skeleton.setSlotsToSetupPose();
      }
      skeleton.updateWorldTransform();
      float x, y, width, height;
      std::vector<float> scratch;
      ASSERT_TRUE(skeleton.getBounds(x, y, width, height, scratch));
      const std::string where = GetParam().stem + (skin ? " skin " + skin->name() : "");
      EXPECT_NEAR(x, data.x, 0.1) << where;
      EXPECT_NEAR(y, data.y, 0.1) << where;
      EXPECT_NEAR(width, data.width, 0.1) << where;
      EXPECT_NEAR(height, data.height, 0.1) << where;
    }
  }
}

// Every animation, posed from either reader's data at the same times, gives the same skeleton.
TEST_P(SampleReaders, AnimationsPoseTheSameFromBothReaders) {
  SKIP_WITHOUT_SAMPLES();
  LoadedSample json = loadSample(GetParam(), false);
  LoadedSample binary = loadSample(GetParam(), true);
  ASSERT_TRUE(json.data && binary.data);
  Skeleton fromJson(*json.data), fromBinary(*binary.data);
  for (size_t a = 0; a < json.data->animations.size(); ++a) {
    const Animation& animationJ = *json.data->animations[a];
    const Animation& animationB = *binary.data->animations[a];
    for (float time = 0; time <= animationJ.duration() + 0.05f; time += 0.1f) {
      std::vector<const Event*> eventsJ, eventsB;
      animationJ.apply(fromJson, time - 0.1f, time, false, &eventsJ, 1, MixBlend::Setup, MixDirection::In);
      animationB.apply(fromBinary, time - 0.1f, time, false, &eventsB, 1, MixBlend::Setup, MixDirection::In);
      fromJson.updateWorldTransform();
      fromBinary.updateWorldTransform();
      const std::string where = animationJ.name() + " at " + std::to_string(time);
      EXPECT_EQ(eventsJ.size(), eventsB.size()) << where;
      for (size_t i = 0; i < fromJson.bones.size(); ++i) {
        const Bone& j = *fromJson.bones[i];
        const Bone& b = *fromBinary.bones[i];
        // JSON rounds key times, values and curve handles; over a fast move of hundreds of units that
        // reaches about a unit. A wrong key, scale or index is off by far more.
        EXPECT_NEAR(j.worldX, b.worldX, 1.5) << where << " " << j.data.name;
        EXPECT_NEAR(j.worldY, b.worldY, 1.5) << where << " " << j.data.name;
        // IK turns those small offsets into small angles.
        EXPECT_NEAR(std::remainder(j.worldRotationX() - b.worldRotationX(), 360.0f), 0, 1.0)
            << where << " " << j.data.name;
        EXPECT_NEAR(j.worldScaleX(), b.worldScaleX(), 5e-3) << where << " " << j.data.name;
      }
      for (size_t i = 0; i < fromJson.slots.size(); ++i) {
        const Slot& j = *fromJson.slots[i];
        const Slot& b = *fromBinary.slots[i];
        EXPECT_EQ(j.attachment ? j.attachment->name : "", b.attachment ? b.attachment->name : "") << where;
        EXPECT_EQ(fromJson.drawOrder[i]->data.index, fromBinary.drawOrder[i]->data.index) << where;
        EXPECT_EQ(j.deform.size(), b.deform.size()) << where;
      }
    }
    fromJson.setToSetupPose();
    fromBinary.setToSetupPose();
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReaders, ::testing::ValuesIn(allSamples()),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                           std::string name = info.param.stem;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(SampleReaders, AnimationsKeepFileOrder) {
  SKIP_WITHOUT_SAMPLES();
  LoadedSample sample = loadSample({"spineboy", "spineboy.atlas", "spineboy-ess"}, false);
  ASSERT_TRUE(sample.data) << sample.error;
  std::vector<std::string> names;
  for (const auto& animation : sample.data->animations) names.push_back(animation->name());
  EXPECT_EQ(names, (std::vector<std::string>{"death", "hit", "idle", "jump", "run", "shoot", "walk"}));
  EXPECT_EQ(sample.data->findEvent("footstep")->name, "footstep");
}

}  // namespace
}  // namespace spine::test
