// What a posed skeleton becomes before it is drawn: vertex colours, batches in draw order, and clipping by a
// (possibly concave) polygon up to its end slot.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "skeleton/draw/SkeletonClipping.h"
#include "skeleton/draw/SkeletonMesh.h"
#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonJson.h"

namespace skeleton {
namespace {

using spine::BlendMode;

std::string page(const std::string& name, const std::string& region) {
  return name + "\nsize: 16,16\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n" + region +
         "\n  rotate: false\n  xy: 0, 0\n  size: 8, 8\n  orig: 8, 8\n  offset: 0, 0\n  index: -1\n";
}

std::string square(const std::string& path, int size, int x = 0) {
  return R"({"path":")" + path + R"(","width":)" + std::to_string(size) + R"(,"height":)" + std::to_string(size) +
         R"(,"x":)" + std::to_string(x) + "}";
}

// Slots a1 a2 (page one, normal), add (page one, additive), b (page two, additive), a3 (page one, normal); then a
// clip from (-5, -5) to (5, 5) ending at `in`, and `out` after it.
class SkeletonMeshTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    atlas = spine::Atlas::parse("\n" + page("one.png", "a") + "\n" + page("two.png", "b"), "", nullptr, error);
    ASSERT_TRUE(atlas) << error;
    loader = std::make_unique<spine::AtlasAttachmentLoader>(atlas.get());
    spine::SkeletonJson reader(*loader);
    const std::string slots =
        R"({"name":"a1","bone":"root","attachment":"a"},{"name":"a2","bone":"root","attachment":"a"},
      {"name":"add","bone":"root","attachment":"a","blend":"additive"},
      {"name":"b","bone":"root","attachment":"b","blend":"additive"},{"name":"a3","bone":"root","attachment":"a"},
      {"name":"clip","bone":"root","attachment":"clip"},{"name":"in","bone":"root","attachment":"a"},
      {"name":"out","bone":"root","attachment":"a"})";
    const std::string attachments = R"("a1":{"a":)" + square("a", 4) + R"(},"a2":{"a":)" + square("a", 4) +
                                    R"(},"add":{"a":)" + square("a", 4) + R"(},"b":{"b":)" + square("b", 4) +
                                    R"(},"a3":{"a":)" + square("a", 4) + R"(},"in":{"a":)" + square("a", 20) +
                                    R"(},"out":{"a":)" + square("a", 20, 40) + R"(},
      "clip":{"clip":{"type":"clipping","end":"in","vertexCount":4,"vertices":[-5,-5,5,-5,5,5,-5,5]}})";
    data = reader.readSkeletonData(R"({"bones":[{"name":"root"}],"slots":[)" + slots +
                                   R"(],"skins":[{"name":"default","attachments":{)" + attachments + "}}]}");
    ASSERT_TRUE(data) << reader.error();
    pose = std::make_unique<spine::Skeleton>(*data);
    pose->updateWorldTransform();
  }

  const spine::AtlasPage* pageOne() const { return atlas->pages()[0].get(); }
  const spine::AtlasPage* pageTwo() const { return atlas->pages()[1].get(); }

  std::unique_ptr<spine::Atlas> atlas;
  std::unique_ptr<spine::AtlasAttachmentLoader> loader;
  std::unique_ptr<spine::SkeletonData> data;
  std::unique_ptr<spine::Skeleton> pose;
};

TEST(SlotVertexColourTest, TintAndOpacityBytes) {
  const spine::Color white;
  EXPECT_EQ(slotVertexColour(white, white, 255), 0xFFFFFFFFu);
  EXPECT_EQ(slotVertexColour(white, white, 128), 0x80FFFFFFu);
  EXPECT_EQ(slotVertexColour(white, white, 0), 0x00FFFFFFu);
  EXPECT_EQ(slotVertexColour(white, spine::Color::fromRgba8888(0xC3CBFF80), 255), 0x80C3CBFFu);
  EXPECT_EQ(slotVertexColour({0.5f, 2.0f, 0.9f / 255, 1}, {0.5f, 1, 1, 0.5f}, 255), 0x7F3FFF00u);
}

TEST_F(SkeletonMeshTest, BatchesJoinOnlyNeighboursOfOnePageAndBlendMode) {
  SkeletonMesh mesh;
  mesh.build(*pose, 255);
  // a3, the clipped `in` and `out` share page one and the normal mode: one batch to the end.
  const auto rest = static_cast<std::uint32_t>(mesh.indices().size() - 24);
  const std::vector<SkeletonBatch> expected = {{pageOne(), BlendMode::Normal, 0, 12},
                                               {pageOne(), BlendMode::Additive, 12, 6},
                                               {pageTwo(), BlendMode::Additive, 18, 6},
                                               {pageOne(), BlendMode::Normal, 24, rest}};
  EXPECT_EQ(mesh.batches(), expected);

  // The draw order decides: with `b` first, page two's batch comes first.
  std::rotate(pose->drawOrder.begin(), pose->drawOrder.begin() + 3, pose->drawOrder.begin() + 4);
  mesh.build(*pose, 255);
  EXPECT_EQ(mesh.batches().front().page, pageTwo());
}

TEST_F(SkeletonMeshTest, ClipsSlotsUpToTheEndSlot) {
  SkeletonMesh mesh;
  mesh.build(*pose, 255);
  // `in` is the 20 x 20 square from index 30 on: only the clip's 10 x 10 remains. `out` follows, whole.
  const std::vector<std::uint32_t>& indices = mesh.indices();
  const std::vector<gfx::Vertex>& vertices = mesh.vertices();
  ASSERT_GT(indices.size(), 36u);
  double area = 0;
  float extent = 0;
  for (std::size_t t = 30; t + 6 < indices.size(); t += 3) {
    const gfx::Vertex &a = vertices[indices[t]], &b = vertices[indices[t + 1]], &c = vertices[indices[t + 2]];
    area += std::abs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
    for (const gfx::Vertex* v : {&a, &b, &c}) extent = std::max({extent, std::abs(v->x), std::abs(v->y)});
  }
  EXPECT_NEAR(area, 100, 1e-3);
  EXPECT_NEAR(extent, 5, 1e-4);
  const gfx::Vertex& last = vertices[indices.back()];
  EXPECT_GT(std::abs(last.x - 40), 9.9f);  // a corner of the unclipped `out`
}

TEST(PolygonClippingTest, ConcavePolygonsOfEitherWindingAreCoveredExactly) {
  std::vector<float> shape = {-10, -10, 10, -10, 10, 0, 0, 0, 0, 10, -10, 10};
  for (int winding = 0; winding < 2; ++winding) {
    double area = 0;
    for (const auto& t : triangulatePolygon(shape)) {
      const double turn = (t[2] - t[0]) * (t[5] - t[1]) - (t[3] - t[1]) * (t[4] - t[0]);
      EXPECT_GT(turn, 0);
      area += turn / 2;
    }
    EXPECT_NEAR(area, 300, 1e-3) << "winding " << winding;
    std::vector<float> reversed;
    for (std::size_t i = shape.size(); i >= 2; i -= 2) reversed.insert(reversed.end(), {shape[i - 2], shape[i - 1]});
    shape = reversed;
  }
  // A figure eight has no proper ears; the cut still ends.
  EXPECT_LE(triangulatePolygon({0, 0, 10, 10, 10, 0, 0, 10}).size(), 2u);
}

TEST(PolygonClippingTest, TriangleKeepsItsPartInside) {
  const std::vector<float> inside = clipToTriangle({0, 0, 4, 0, 0, 4}, {-10, -10, 10, -10, 0, 10});
  EXPECT_EQ(inside.size(), 6u);
  EXPECT_TRUE(clipToTriangle({20, 20, 24, 20, 20, 24}, {-10, -10, 10, -10, 0, 10}).empty());
  // A square cut by the triangle's right edge: a pentagon.
  EXPECT_EQ(clipToTriangle({-2, -2, 2, -2, 2, 2, -2, 2}, {-10, -10, 11, -10, -10, 11}).size() / 2, 5u);
}

}  // namespace
}  // namespace skeleton
