#include "scene/Sprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "scene/Viewport.h"

namespace {

using scene::Sprite;
using scene::Viewport;

std::unique_ptr<Sprite> scriptSprite(Viewport* viewport = nullptr) {
  auto sprite = std::make_unique<Sprite>();
  sprite->initialize(viewport);
  return sprite;
}

int countIn(const std::vector<Sprite*>& list, const Sprite* sprite) {
  return static_cast<int>(std::count(list.begin(), list.end(), sprite));
}

TEST(SpriteRecord, ResetGivesTheDocumentedDefaultsAndAFreshSerial) {
  Sprite sprite;
  sprite.resetDefaults();
  const std::int32_t first = sprite.creationSerial;
  sprite.opacity = 3;
  sprite.waveLength = 7;
  sprite.bushOpacity = 1;
  sprite.addressModeU = 1;
  sprite.zoomX = 4.0f;
  sprite.effectiveOpacity = 2.0f;
  sprite.visible = false;
  sprite.resetDefaults();
  EXPECT_EQ(sprite.creationSerial, first + 1);
  EXPECT_EQ(sprite.opacity, 255);
  EXPECT_EQ(sprite.bushOpacity, 128);
  EXPECT_EQ(sprite.waveLength, 360);
  EXPECT_EQ(sprite.addressModeU, 4);
  EXPECT_EQ(sprite.addressModeV, 4);
  EXPECT_FLOAT_EQ(sprite.zoomX, 1.0f);
  EXPECT_FLOAT_EQ(sprite.effectiveOpacity, 255.0f);
  EXPECT_TRUE(sprite.visible);
  EXPECT_FALSE(sprite.inDrawList);
  EXPECT_EQ(sprite.sourceRect, nullptr);
}

TEST(SpriteRecord, InitializingAgainKeepsOneListEntry) {
  Viewport viewport;
  Sprite sprite;
  sprite.initialize(&viewport);
  sprite.initialize(nullptr);
  EXPECT_EQ(countIn(viewport.drawList, &sprite), 0);
  EXPECT_EQ(countIn(scene::screenViewport().drawList, &sprite), 1);
  sprite.dispose();
  EXPECT_EQ(countIn(scene::screenViewport().drawList, &sprite), 0);
}

TEST(SpriteRecord, PlayerObjectsOwnTheirStorageAndJoinTheScreen) {
  Sprite owned(Sprite::PlayerOwned{});
  ASSERT_NE(owned.sourceRect, nullptr);
  ASSERT_NE(owned.color, nullptr);
  ASSERT_NE(owned.tone, nullptr);
  EXPECT_EQ(owned.sourceRect, owned.ownedSourceRect.get());
  EXPECT_EQ(countIn(scene::screenViewport().drawList, &owned), 1);

  Sprite detached(Sprite::PlayerOwned{false});
  EXPECT_FALSE(detached.inDrawList);
  EXPECT_EQ(countIn(scene::screenViewport().drawList, &detached), 0);
}

TEST(SpriteRecord, AttachMovesBetweenListsButNotWithinOne) {
  Viewport viewport;
  auto a = scriptSprite(&viewport);
  auto b = scriptSprite(&viewport);
  a->attach(&viewport);
  ASSERT_EQ(viewport.drawList, (std::vector<Sprite*>{a.get(), b.get()}));

  a->attach(nullptr);
  EXPECT_EQ(viewport.drawList, std::vector<Sprite*>{b.get()});
  EXPECT_EQ(countIn(scene::screenViewport().drawList, a.get()), 1);
  EXPECT_EQ(a->viewport, nullptr);
  a->attach(&viewport);
  EXPECT_EQ(viewport.drawList, (std::vector<Sprite*>{b.get(), a.get()}));
  EXPECT_EQ(countIn(scene::screenViewport().drawList, a.get()), 0);
}

TEST(SpriteRecord, DisposeLeavesListAndFamilyOnce) {
  auto parent = scriptSprite();
  auto child = scriptSprite();
  auto grandchild = scriptSprite();
  ASSERT_TRUE(parent->addChild(child.get()));
  ASSERT_TRUE(child->addChild(grandchild.get()));

  child->dispose();
  EXPECT_TRUE(child->disposed());
  EXPECT_TRUE(parent->children.empty());
  EXPECT_EQ(grandchild->parent, nullptr);
  EXPECT_TRUE(child->children.empty());
  EXPECT_EQ(countIn(scene::screenViewport().drawList, child.get()), 0);
  EXPECT_EQ(countIn(scene::screenViewport().drawList, grandchild.get()), 1);
  child->dispose();
  EXPECT_EQ(countIn(scene::screenViewport().drawList, grandchild.get()), 1);
}

TEST(SpriteRecord, RecordsFreedInAnyOrderLeaveNoLinksBehind) {
  auto viewport = std::make_unique<Viewport>();
  auto parent = scriptSprite(viewport.get());
  auto child = scriptSprite(viewport.get());
  ASSERT_TRUE(parent->addChild(child.get()));
  viewport.reset();
  EXPECT_FALSE(parent->inDrawList);
  parent.reset();
  EXPECT_EQ(child->parent, nullptr);
  child.reset();  // would touch the freed viewport's list or parent if a link
                  // survived
}

TEST(SpriteRecord, ChildLinksRefuseCyclesAndSecondParents) {
  auto a = scriptSprite();
  auto b = scriptSprite();
  auto c = scriptSprite();
  EXPECT_FALSE(a->addChild(a.get()));
  ASSERT_TRUE(a->addChild(b.get()));
  ASSERT_TRUE(b->addChild(c.get()));
  EXPECT_FALSE(c->addChild(a.get()));
  EXPECT_FALSE(a->addChild(c.get()));  // c has a parent already
  EXPECT_EQ(c->parent, b.get());
  EXPECT_FALSE(a->removeChild(c.get()));
  EXPECT_TRUE(b->removeChild(c.get()));
  EXPECT_EQ(c->parent, nullptr);
  EXPECT_TRUE(b->children.empty());
}

TEST(SpriteRecord, ChildInheritsPositionZoomOpacityButNotAngle) {
  auto parent = scriptSprite();
  auto child = scriptSprite();
  parent->ownColor();
  parent->ownTone();
  child->ownColor();
  child->ownTone();
  parent->x = 100;
  parent->y = 5;
  parent->z = 3;
  parent->zoomX = 2.0f;
  parent->opacity = 128;
  parent->angle = 45.0f;
  parent->visible = false;
  child->x = 10;
  child->y = -2;
  child->z = 1;
  child->zoomX = 1.5f;
  child->opacity = 255;
  child->angle = 10.0f;
  *child->color = {0, 0, 255, 128};  // blue, green, red, alpha
  ASSERT_TRUE(parent->addChild(child.get()));

  parent->computeEffective();
  EXPECT_EQ(child->effectiveX, 110);
  EXPECT_EQ(child->effectiveY, 3);
  EXPECT_DOUBLE_EQ(child->effectiveZ, 4.0);
  EXPECT_FLOAT_EQ(child->effectiveZoomX, 3.0f);
  EXPECT_FLOAT_EQ(child->effectiveZoomY, 1.0f);
  EXPECT_FLOAT_EQ(child->effectiveOpacity, 128.0f);
  EXPECT_FALSE(child->effectiveVisible);
  EXPECT_EQ(child->effectiveColor, (bindings::Color{0, 0, 255, 128}));
  EXPECT_FLOAT_EQ(child->angle, 10.0f);

  parent->dispose();
  child->computeEffective();
  EXPECT_EQ(child->effectiveX, 10);
  EXPECT_TRUE(child->effectiveVisible);
  EXPECT_EQ(countIn(scene::screenViewport().drawList, child.get()), 1);
}

TEST(SpriteRecord, SetBitmapWithoutStorageRewritesTheCurrentRectangle) {
  Sprite sprite(Sprite::PlayerOwned{false});
  *sprite.sourceRect = {1, 2, 3, 4};
  sprite.setBitmap(nullptr, nullptr);
  EXPECT_EQ(sprite.sourceRect->width, 0);
  EXPECT_EQ(sprite.sourceRect->x, 0);
  engine::RectData shared{5, 6, 7, 8};
  sprite.setBitmap(nullptr, &shared);
  EXPECT_EQ(sprite.sourceRect, &shared);
  sprite.setSourceRect(9, 10, 11, 12);
  EXPECT_EQ(shared.height, 12);
}

TEST(SpriteRecord, UpdateStepsTheWaveByWholeQuotients) {
  Sprite sprite(Sprite::PlayerOwned{false});
  sprite.waveSpeed = 359;
  sprite.update();
  EXPECT_FLOAT_EQ(sprite.waveAngle, 0.0f);
  sprite.waveSpeed = 1000;
  sprite.update();
  EXPECT_FLOAT_EQ(sprite.waveAngle, 2.0f);
  sprite.waveLength = 0;
  sprite.update();
  EXPECT_FLOAT_EQ(sprite.waveAngle, 2.0f);
  sprite.waveLength = -1;
  sprite.waveSpeed = INT32_MIN;
  sprite.update();  // no overflow trap
  EXPECT_EQ(sprite.updateCount, 4);
}

}  // namespace
