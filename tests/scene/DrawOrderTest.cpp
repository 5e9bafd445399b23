#include "scene/DrawOrder.h"

#include <gtest/gtest.h>

#include <vector>

#include "scene/Sprite.h"
#include "scene/Viewport.h"

namespace {

using scene::ScreenItem;
using scene::SortKey;

struct OrderCase {
  const char* name;
  SortKey a;
  SortKey b;
  bool aFirst;
};

class DrawsBefore : public testing::TestWithParam<OrderCase> {};

TEST_P(DrawsBefore, OrdersByZThenYThenSerial) {
  const OrderCase& c = GetParam();
  EXPECT_EQ(scene::drawsBefore(c.a, c.b), c.aFirst);
  EXPECT_FALSE(scene::drawsBefore(c.a, c.b) && scene::drawsBefore(c.b, c.a));
}

INSTANTIATE_TEST_SUITE_P(Keys, DrawsBefore,
                         testing::Values(OrderCase{"LowerZ", {-1.0, 50, 9}, {0.0, 0, 1}, true},
                                         OrderCase{"HigherZ", {2.0, 0, 0}, {1.5, 99, 9}, false},
                                         OrderCase{"EqualZSmallerY", {0.0, 10, 9}, {0.0, 20, 1}, true},
                                         OrderCase{"EqualZLargerY", {0.0, 30, 1}, {0.0, 20, 9}, false},
                                         OrderCase{"FullTieEarlierSerial", {0.0, 5, 3}, {0.0, 5, 4}, true},
                                         OrderCase{"FullTieLaterSerial", {0.0, 5, 4}, {0.0, 5, 3}, false},
                                         OrderCase{"Identical", {1.0, 1, 1}, {1.0, 1, 1}, false}),
                         [](const testing::TestParamInfo<OrderCase>& info) { return info.param.name; });

TEST(DrawListSort, UsesEffectiveZButOwnY) {
  scene::Sprite parent;
  scene::Sprite early;
  scene::Sprite late;
  scene::Sprite childOfParent;
  for (scene::Sprite* s : {&parent, &early, &late, &childOfParent}) s->resetDefaults();
  early.y = 20;
  late.y = 10;  // later, smaller y, same z: below the earlier one
  parent.y = 100;
  childOfParent.y = 0;
  childOfParent.effectiveY = 100;  // inherited y must not count
  parent.z = childOfParent.effectiveZ = 5.0;
  parent.effectiveZ = 5.0;
  std::vector<scene::Sprite*> list{&parent, &early, &childOfParent, &late};
  scene::sortDrawList(list);
  EXPECT_EQ(list, (std::vector<scene::Sprite*>{&late, &early, &childOfParent, &parent}));
}

TEST(DrawListSort, OnlySpriteLikeObjectsOrderEqualZByY) {
  scene::Sprite early;
  scene::Sprite late;
  scene::Sprite above;
  scene::Sprite below;
  for (scene::Sprite* s : {&early, &late, &above, &below}) s->resetDefaults();
  // Window parts, planes and tilemap layers: a later one is on top however high an earlier one stands.
  early.ordersByY = late.ordersByY = false;
  early.y = 300;
  late.y = 10;
  // Against sprites of the same z they count as y 0, so the order stays total.
  above.y = 1;
  below.y = -1;
  std::vector<scene::Sprite*> list{&above, &late, &below, &early};
  scene::sortDrawList(list);
  EXPECT_EQ(list, (std::vector<scene::Sprite*>{&below, &early, &late, &above}));
}

TEST(ViewportSort, ByZKeepingCreationOrderWhateverTheirY) {
  scene::Viewport a;
  scene::Viewport b;
  scene::Viewport c;
  a.z = 1;
  b.z = 0;
  b.rect->y = 50;
  c.z = 0;
  c.rect->y = 10;
  std::vector<scene::Viewport*> list{&a, &b, &c};
  scene::sortViewports(list);
  EXPECT_EQ(list, (std::vector<scene::Viewport*>{&b, &c, &a}));
  EXPECT_EQ(scene::viewportKey(b).y, 0);
}

struct MergeCase {
  const char* name;
  std::vector<SortKey> objects;
  std::vector<SortKey> viewports;
  std::vector<ScreenItem> order;
};

class ScreenMerge : public testing::TestWithParam<MergeCase> {};

TEST_P(ScreenMerge, InterleavesTheTwoRuns) {
  const MergeCase& c = GetParam();
  EXPECT_EQ(scene::mergeScreenOrder(c.objects, c.viewports), c.order);
}

constexpr ScreenItem obj(std::size_t i) { return {false, i}; }
constexpr ScreenItem vp(std::size_t i) { return {true, i}; }

INSTANTIATE_TEST_SUITE_P(
    Runs, ScreenMerge,
    testing::Values(
        MergeCase{"Empty", {}, {}, {}}, MergeCase{"OnlyObjects", {{0, 0, 1}, {0, 1, 2}}, {}, {obj(0), obj(1)}},
        MergeCase{"OnlyViewports", {}, {{0, 0, 1}}, {vp(0)}},
        MergeCase{"ViewportCreatedFirstGoesBelow", {{0, 10, 5}}, {{0, 10, 4}}, {vp(0), obj(0)}},
        MergeCase{"ObjectCreatedFirstGoesBelow", {{0, 10, 4}}, {{0, 10, 5}}, {obj(0), vp(0)}},
        MergeCase{"ZDecidesBeforeSerial", {{1, 0, 0}, {3, 0, 1}}, {{2, 0, 9}}, {obj(0), vp(0), obj(1)}},
        MergeCase{
            "RestOfLongerRunFollows", {{0, 0, 1}}, {{-1, 0, 7}, {5, 0, 8}, {6, 0, 9}}, {vp(0), obj(0), vp(1), vp(2)}}),
    [](const testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

}  // namespace
