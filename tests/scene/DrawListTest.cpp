// The draw list: objects in the order they entered; leaving leaves holes that a read closes, in order.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "scene/DrawList.h"
#include "scene/Sprite.h"

namespace {

using scene::Sprite;

TEST(DrawList, LeavingKeepsTheOthersInOrderAndTheirPlacesCurrent) {
  std::array<Sprite, 5> objects;
  scene::DrawList list;
  for (Sprite& object : objects) list.append(&object);
  list.remove(&objects[1]);
  list.remove(&objects[3]);
  EXPECT_EQ(list, (std::vector<Sprite*>{&objects[0], &objects[2], &objects[4]}));
  // Places changed by closing the holes still find their objects.
  list.remove(&objects[4]);
  list.remove(&objects[0]);
  EXPECT_EQ(list, std::vector<Sprite*>{&objects[2]});
}

TEST(DrawList, RemovingAnObjectThatLeftOrWasNeverInChangesNothing) {
  std::array<Sprite, 3> objects;
  scene::DrawList list;
  scene::DrawList other;
  list.append(&objects[0]);
  list.append(&objects[1]);
  other.append(&objects[2]);
  list.remove(&objects[0]);
  list.remove(&objects[0]);
  list.remove(&objects[2]);
  list.append(&objects[0]);  // back in, at the end
  EXPECT_EQ(list, (std::vector<Sprite*>{&objects[1], &objects[0]}));
  EXPECT_EQ(other, std::vector<Sprite*>{&objects[2]});
}

}  // namespace
