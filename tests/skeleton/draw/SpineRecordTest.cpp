// Atlas pages as bitmaps released exactly once, the Spine record's loading and stepping, and the drawer's one
// upload per changed mesh; with files written to a temporary folder and a headless GL context.

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "GfxTestSupport.h"
#include "bitmap/core/ImageCodec.h"
#include "skeleton/Spine.h"
#include "skeleton/draw/MyTextureLoader.h"
#include "skeleton/draw/SkeletonDrawer.h"
#include "skeleton/draw/SkeletonMesh.h"
#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/Skeleton.h"

namespace skeleton {
namespace {

std::string atlasText(const std::string& secondPage) {
  std::string text;
  for (const std::string& name : {std::string("page.png"), secondPage}) {
    text += "\n" + name + "\nsize: 16,16\nformat: RGBA8888\nfilter: Nearest,Nearest\nrepeat: none\n" + "r" + name +
            "\n  rotate: false\n  xy: 0, 0\n  size: 8, 8\n  orig: 8, 8\n  offset: 0, 0\n  index: -1\n";
  }
  return text;
}

class SpineFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    GFX_REQUIRE_DEVICE();
    dir = std::filesystem::temp_directory_path() / ("quillon-spine-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::optional<bitmap::PixelBuffer> white = bitmap::PixelBuffer::create(8, 8);
    std::fill(white->data(), white->data() + 64, 0xFFFFFFFFu);
    ASSERT_TRUE(bitmap::savePng(white->view(), (dir / "page.png").string()));
    write("two.atlas", atlasText("page.png"));
    write("gone.atlas", atlasText("gone.png"));
    write("square.json", R"({"bones":[{"name":"root"}],"slots":[{"name":"s","bone":"root","attachment":"rpage.png"}],
      "skins":[{"name":"default","attachments":{"s":{"rpage.png":{"width":8,"height":8}}}}]})");
    write("garbage.skel", "not a skeleton");
  }
  void TearDown() override {
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }
  std::string path(const std::string& name) const { return (dir / name).string(); }

  std::filesystem::path dir;
};

TEST(PagePathTest, FitsTheBufferCountedInUtf16Units) {
  EXPECT_TRUE(pagePathFits(std::string(259, 'a')));
  EXPECT_FALSE(pagePathFits(std::string(260, 'a')));
  std::string wide;
  for (int i = 0; i < 129; ++i) wide += "\xF0\x9F\x98\x80";  // two units each
  EXPECT_TRUE(pagePathFits(wide + "a"));
  EXPECT_FALSE(pagePathFits(wide + "\xF0\x9F\x98\x80"));
}

TEST_F(SpineFilesTest, PageBitmapsAreReleasedOnce) {
  MyTextureLoader loader;
  std::string error;
  {
    std::unique_ptr<spine::Atlas> atlas =
        spine::Atlas::parse(atlasText("page.png"), dir.string() + "/", &loader, error);
    ASSERT_TRUE(atlas) << error;
    EXPECT_EQ(loader.liveBitmaps(), 2u);
    EXPECT_EQ(atlas->pages()[0]->width, 8);  // the image's size, not the atlas's
    int stranger = 0;
    loader.unload(&stranger);
    EXPECT_EQ(loader.liveBitmaps(), 2u);
  }
  EXPECT_EQ(loader.liveBitmaps(), 0u);
  try {
    spine::Atlas::parse(atlasText("gone.png"), dir.string() + "/", &loader, error);
    ADD_FAILURE() << "a missing page loaded";
  } catch (const PageLoadError& failure) {
    EXPECT_EQ(failure.failure, bitmap::LoadFailure::NotFound);
    EXPECT_EQ(failure.path, path("gone.png"));
  }
  EXPECT_EQ(loader.liveBitmaps(), 0u);  // the first page went with the atlas that was never made
}

TEST_F(SpineFilesTest, RecordLoadsAndKeepsThePositionOfAZeroZoom) {
  Spine record;
  EXPECT_EQ(record.load(path("two.atlas"), path("square.JSON")), LoadResult::UnknownFormat);
  EXPECT_EQ(record.load(path("none.atlas"), path("square.json")), LoadResult::AtlasFailed);
  EXPECT_EQ(record.load(path("two.atlas"), path("garbage.skel")), LoadResult::BinaryFailed);
  EXPECT_FALSE(record.loaded());
  ASSERT_EQ(record.load(path("two.atlas"), path("square.json")), LoadResult::Loaded);
  record.setPosition(50, 30);
  record.step();
  EXPECT_EQ(record.skeleton()->x, 50);
  EXPECT_EQ(record.skeleton()->y, -30);
  record.setSkeletonZoom(0, 1);
  record.setPosition(120, 40);
  record.step();
  EXPECT_EQ(record.skeleton()->x, 50);
  EXPECT_EQ(record.skeleton()->y, -40);
}

TEST_F(SpineFilesTest, DrawerUploadsOnlyChangedMeshes) {
  Spine record;
  ASSERT_EQ(record.load(path("two.atlas"), path("square.json")), LoadResult::Loaded);
  SkeletonMesh mesh;
  mesh.build(*record.skeleton(), 255);
  std::unique_ptr<gfx::Texture> target = gfx::Texture::createRenderTarget(16, 16);
  gfx::Device& device = *gfxtest::device();
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Both, 0xFF000000, 1.0f);
  SkeletonDrawer drawer;
  drawer.draw(device, mesh, true, 8, 8);
  drawer.draw(device, mesh, false, 8, 8);
  EXPECT_EQ(drawer.uploadCount(), 1u);
  drawer.draw(device, mesh, true, 8, 8);
  EXPECT_EQ(drawer.uploadCount(), 2u);
  const std::vector<std::uint32_t> pixels = gfxtest::readTarget(*target);
  EXPECT_EQ(pixels[4 * 16 + 4], 0xFFFFFFFFu);
  EXPECT_EQ(pixels[3 * 16 + 3], 0xFF000000u);
  device.setRenderTarget(0, nullptr);
}

}  // namespace
}  // namespace skeleton
