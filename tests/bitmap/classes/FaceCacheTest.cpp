#include "bitmap/private/FaceCache.h"

#include <gtest/gtest.h>

namespace bitmap {
namespace {

TEST(FaceCache, KeepsRecentFacesAndDropsTheLeastRecentlyUsed) {
  FaceCache cache;
  text::FontFace* first = cache.face({"Liberation Sans", 20, false, false});
  if (first == nullptr) GTEST_SKIP() << "no fonts installed";
  EXPECT_EQ(cache.face({"Liberation Sans", 20, false, false}), first);
  // Any difference in the request is another face.
  text::FontFace* bold = cache.face({"Liberation Sans", 20, true, false});
  EXPECT_NE(bold, first);
  EXPECT_NE(cache.face({"Liberation Sans", 21, false, false}), first);
  EXPECT_EQ(cache.size(), 3u);
  // Using the first again makes it the most recent, so filling the cache drops the bold face instead.
  EXPECT_EQ(cache.face({"Liberation Sans", 20, false, false}), first);
  for (int size = 30; cache.size() < FaceCache::kCapacity; ++size) cache.face({"Liberation Sans", size, false, false});
  cache.face({"Liberation Sans", 60, false, false});
  EXPECT_EQ(cache.size(), FaceCache::kCapacity);
  EXPECT_EQ(cache.face({"Liberation Sans", 20, false, false}), first);
  EXPECT_EQ(cache.size(), FaceCache::kCapacity);
  cache.face({"Liberation Sans", 20, true, false});  // reopened after being dropped
  EXPECT_EQ(cache.size(), FaceCache::kCapacity);
}

}  // namespace
}  // namespace bitmap
