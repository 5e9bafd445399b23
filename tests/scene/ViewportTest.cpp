#include "scene/Viewport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "scene/Sprite.h"

namespace {

using scene::Sprite;
using scene::Viewport;

bool listed(const Viewport* viewport) {
  const auto& list = scene::viewportList();
  return std::find(list.begin(), list.end(), viewport) != list.end();
}

TEST(ViewportRecord, SerialsComeFromTheCounterSpritesUse) {
  Sprite before;
  before.resetDefaults();
  Viewport viewport;
  Sprite after;
  after.resetDefaults();
  EXPECT_EQ(viewport.creationSerial, before.creationSerial + 1);
  EXPECT_EQ(after.creationSerial, viewport.creationSerial + 1);
}

TEST(ViewportRecord, GlobalListHoldsTheScreenAndLiveViewportsInCreationOrder) {
  Viewport& screen = scene::screenViewport();
  EXPECT_TRUE(listed(&screen));
  auto a = std::make_unique<Viewport>();
  auto b = std::make_unique<Viewport>();
  const auto& list = scene::viewportList();
  const auto posA = std::find(list.begin(), list.end(), a.get());
  const auto posB = std::find(list.begin(), list.end(), b.get());
  ASSERT_NE(posA, list.end());
  EXPECT_LT(posA, posB);
  a.reset();
  EXPECT_FALSE(listed(a.get()));
  EXPECT_TRUE(listed(b.get()));
}

TEST(ViewportRecord, DisposeLeavesObjectsUndrawnUntilAttachedAgain) {
  Viewport viewport;
  Viewport other;
  Sprite sprite;
  sprite.initialize(&viewport);
  viewport.dispose();
  EXPECT_TRUE(viewport.drawList.empty());
  EXPECT_FALSE(sprite.inDrawList);
  EXPECT_EQ(sprite.viewport, &viewport);
  // The same viewport again: the object is not in its list, so it is appended rather than skipped.
  sprite.attach(&viewport);
  EXPECT_EQ(viewport.drawList, std::vector<Sprite*>{&sprite});
  sprite.attach(&other);
  EXPECT_TRUE(viewport.drawList.empty());
  EXPECT_EQ(other.drawList, std::vector<Sprite*>{&sprite});
  sprite.dispose();
  EXPECT_TRUE(other.drawList.empty());
}

TEST(ViewportRecord, OwnsItsRectangleColourAndToneUntilPointedElsewhere) {
  Viewport viewport;
  ASSERT_NE(viewport.rect, nullptr);
  EXPECT_EQ(viewport.rectangle().width, 0);
  engine::RectData shared{1, 2, 3, 4};
  viewport.rect = &shared;
  EXPECT_EQ(viewport.rectangle().y, 2);
  EXPECT_NE(viewport.color, nullptr);
  EXPECT_NE(viewport.tone, nullptr);
}

}  // namespace
