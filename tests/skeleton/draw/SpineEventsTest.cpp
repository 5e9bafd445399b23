// The event table scripts poll, the names notifications are recorded under, and the path and skin-name rules of
// loading and set_skin.

#include <gtest/gtest.h>

#include "skeleton/Spine.h"
#include "skeleton/SpineEvents.h"
#include "skeleton/runtime/EventData.h"

namespace skeleton {
namespace {

TEST(SpineEventsTest, TriggeredIsClearedUnlessKept) {
  EventTable table;
  const int owner = 0, other = 0;
  EXPECT_FALSE(table.takeTriggered("__End", 0, &owner, false));
  EXPECT_EQ(table.size(), 0u);  // asking does not insert

  table.record("__End", 0, &owner, nullptr);
  EXPECT_FALSE(table.takeTriggered("__End", 1, &owner, false));
  EXPECT_FALSE(table.takeTriggered("__End", 0, &other, false));
  EXPECT_TRUE(table.takeTriggered("__End", 0, &owner, true));
  EXPECT_TRUE(table.takeTriggered("__End", 0, &owner, false));
  EXPECT_FALSE(table.takeTriggered("__End", 0, &owner, false));
}

TEST(SpineEventsTest, KeyedEventsStoreTheirValuesAndOthersKeepThem) {
  EventTable table;
  const int owner = 0, other = 0;
  spine::EventData data{"hit", 0, 0, "", "", 1, 0};
  const spine::Event event{&data, 0.5f, 7, 2.5f, "pow"};
  table.record("hit", 2, &owner, &event);
  table.record("hit", 2, &owner, nullptr);
  const EventRecord* entry = table.find("hit", 2, &owner);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->intData, 7);
  EXPECT_EQ(entry->floatData, 2.5f);
  EXPECT_EQ(entry->stringData, "pow");
  table.record("hit", 2, &other, nullptr);
  table.dropOwner(&owner);
  EXPECT_EQ(table.find("hit", 2, &owner), nullptr);
  EXPECT_NE(table.find("hit", 2, &other), nullptr);
}

TEST(SpineEventsTest, RecordedNames) {
  spine::EventData data{"footstep", 0, 0, "", "", 1, 0};
  const spine::Event event{&data, 0, 0, 0, ""};
  const std::pair<spine::EventType, std::string_view> names[] = {
      {spine::EventType::Start, "__Start"},     {spine::EventType::Interrupt, "__Interrupt"},
      {spine::EventType::End, "__End"},         {spine::EventType::Complete, "__Complete"},
      {spine::EventType::Dispose, "__Dispose"}, {spine::EventType::Event, "footstep"}};
  for (const auto& [type, name] : names) EXPECT_EQ(recordedEventName(type, &event), name);
}

TEST(SpineLoadingTest, SkeletonFormatIsTheExactExtension) {
  EXPECT_EQ(skeletonFormat("a/b.json"), SkeletonFormat::Json);
  EXPECT_EQ(skeletonFormat("b.skel"), SkeletonFormat::Binary);
  EXPECT_EQ(skeletonFormat("b.JSON"), SkeletonFormat::Unknown);
  EXPECT_EQ(skeletonFormat("b"), SkeletonFormat::Unknown);
  EXPECT_EQ(skeletonFormat("v1.json/b"), SkeletonFormat::Unknown);
  EXPECT_EQ(directoryOf("Graphics/Spine\\a.atlas"), "Graphics/Spine\\");
  EXPECT_EQ(directoryOf("Graphics\\Spine/a.atlas"), "Graphics\\Spine/");
  EXPECT_EQ(directoryOf("a.atlas"), "");
  EXPECT_EQ(combinedSkinName({"hat", "missing"}), "_hat_missing");
  EXPECT_EQ(combinedSkinName({}), "");
}

}  // namespace
}  // namespace skeleton
