#include "SkeletonTestSupport.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine::test {
namespace {

const char* kSkinsJson = R"({
  "bones":[{"name":"root"}],
  "slots":[{"name":"head","bone":"root","attachment":"head"},{"name":"hat","bone":"root","attachment":"hat"},
           {"name":"badge","bone":"root","attachment":"badge"},{"name":"empty","bone":"root"}],
  "skins":[
    {"name":"default","attachments":{"badge":{"badge":{"width":1,"height":1}},
                                     "head":{"head":{"name":"plain-head","width":1,"height":1}}}},
    {"name":"red","attachments":{"head":{"head":{"name":"red-head","width":1,"height":1}},
                                 "hat":{"hat":{"name":"red-hat","width":1,"height":1},
                                        "cap":{"name":"red-cap","width":1,"height":1}}}},
    {"name":"blue","attachments":{"head":{"head":{"name":"blue-head","width":1,"height":1}},
                                  "hat":{"hat":{"name":"blue-hat","width":1,"height":1}}}}]
})";

class Skins : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    data = loadJson(kSkinsJson, &error);
    ASSERT_TRUE(data) << error;
    skeleton = std::make_unique<Skeleton>(*data);
  }
  std::string shown(const char* slot) {
    const Attachment* attachment = skeleton->findSlot(slot)->attachment;
    return attachment ? attachment->name : "";
  }
  std::unique_ptr<SkeletonData> data;
  std::unique_ptr<Skeleton> skeleton;
};

TEST_F(Skins, WithoutASkinTheDefaultSkinIsUsed) {
  EXPECT_EQ(shown("head"), "plain-head");
  EXPECT_EQ(shown("hat"), "");  // only the red and blue skins have one
  EXPECT_EQ(shown("badge"), "badge");
}

TEST_F(Skins, FirstSkinTakesSetupAttachmentsFromThatSkinOnly) {
  ASSERT_TRUE(skeleton->setSkin("red"));
  EXPECT_EQ(shown("head"), "red-head");
  EXPECT_EQ(shown("hat"), "red-hat");
  EXPECT_EQ(shown("badge"), "badge");
}

TEST_F(Skins, SwitchingSkinsFollowsOnlySlotsShowingTheOldSkin) {
  ASSERT_TRUE(skeleton->setSkin("red"));
  std::string cap = "cap";
  ASSERT_TRUE(skeleton->setAttachment("hat", &cap));
  ASSERT_TRUE(skeleton->setSkin("blue"));
  EXPECT_EQ(shown("head"), "blue-head");
  // The cap is the red skin's too, but blue has no "cap" key, so it stays.
  EXPECT_EQ(shown("hat"), "red-cap");
  EXPECT_EQ(shown("badge"), "badge");
  skeleton->setSlotsToSetupPose();
  EXPECT_EQ(shown("hat"), "blue-hat");
}

TEST_F(Skins, LookupFallsBackToTheDefaultSkin) {
  ASSERT_TRUE(skeleton->setSkin("blue"));
  EXPECT_NE(skeleton->getAttachment("badge", "badge"), nullptr);
  EXPECT_EQ(skeleton->getAttachment("badge", "nothing"), nullptr);
  std::string unknown = "nothing";
  EXPECT_FALSE(skeleton->setAttachment("hat", &unknown));
  EXPECT_FALSE(skeleton->setAttachment("no-such-slot", nullptr));
  EXPECT_TRUE(skeleton->setAttachment("hat", nullptr));
  EXPECT_EQ(shown("hat"), "");
  EXPECT_FALSE(skeleton->setSkin("missing"));
}

TEST_F(Skins, ClearingTheSkinKeepsAttachments) {
  ASSERT_TRUE(skeleton->setSkin("red"));
  skeleton->setSkin(nullptr);
  EXPECT_EQ(skeleton->skin(), nullptr);
  EXPECT_EQ(shown("hat"), "red-hat");
  skeleton->setSlotsToSetupPose();
  EXPECT_EQ(shown("hat"), "");
}

TEST_F(Skins, CombinedSkinLaterSkinsOverrideEarlierOnes) {
  Skin combined("_red_blue");
  for (const char* name : {"red", "blue"})
    for (const Skin::Entry* entry : data->findSkin(name)->entries())
      combined.setAttachment(entry->slotIndex, entry->name, entry->attachment);
  EXPECT_EQ(combined.getAttachment(data->findSlotIndex("head"), "head")->name, "blue-head");
  EXPECT_EQ(combined.getAttachment(data->findSlotIndex("hat"), "cap")->name, "red-cap");
  EXPECT_EQ(combined.entriesForSlot(data->findSlotIndex("hat")).size(), 2u);
  skeleton->setSkin(&combined);
  EXPECT_EQ(shown("head"), "blue-head");
  EXPECT_EQ(shown("hat"), "blue-hat");
  skeleton->setSkin(nullptr);  // before the combined skin goes away
}

TEST(SlotState, ChangingAttachmentRestartsItsTimeAndDeform) {
  auto data = loadJson(kSkinsJson);
  ASSERT_TRUE(data);
  Skeleton skeleton(*data);
  Slot& head = *skeleton.findSlot("head");
  skeleton.update(2);
  EXPECT_FLOAT_EQ(head.attachmentTime(), 2);
  head.deform = {1, 2};
  head.setAttachment(head.attachment);  // the same one: nothing restarts
  EXPECT_FLOAT_EQ(head.attachmentTime(), 2);
  EXPECT_EQ(head.deform.size(), 2u);
  head.setAttachment(nullptr);
  EXPECT_FLOAT_EQ(head.attachmentTime(), 0);
  EXPECT_TRUE(head.deform.empty());
}

}  // namespace
}  // namespace spine::test
