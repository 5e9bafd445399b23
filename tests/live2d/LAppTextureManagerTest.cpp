// The texture cache: ids from 1 that are never given out twice, records of the image, premultiplied texels,
// release of one or all, and load failures logged.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bitmap/core/ImageCodec.h"
#include "live2d/LAppLog.h"
#include "live2d/LAppTextureManager.h"
#include "platform/gfx/Texture.h"
#include "tests/render/RenderTestSupport.h"

namespace {

std::vector<std::string>& logged() {
  static std::vector<std::string> lines;
  return lines;
}

void capture(std::string_view line) { logged().emplace_back(line); }

class LAppTextureManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    m_renderer = rendertest::makeRenderer(16, 16, 16, 16);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
    // Each process its own folder: the cases run side by side.
    m_folder = std::filesystem::temp_directory_path() / ("quillon-l2d-textures-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_folder);
    // One opaque red texel and one half-transparent white one.
    const std::vector<bitmap::Pixel> pixels = {0xFFFF0000u, 0x80FFFFFFu};
    ASSERT_TRUE(bitmap::savePng(bitmap::ConstPixelView(pixels.data(), 2, 1, 2), path("two.png")));
    std::FILE* junk = std::fopen(path("junk.png").c_str(), "wb");
    std::fputs("not an image", junk);
    std::fclose(junk);
  }
  void TearDown() override {
    live2d::setDebugLogEnabled(false);
    live2d::setLogSink(nullptr);
    m_manager.releaseTextures();
    m_renderer.reset();
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder);
  }
  std::string path(const char* name) const { return (m_folder / name).string(); }

  std::unique_ptr<render::Renderer> m_renderer;
  std::filesystem::path m_folder;
  live2d::LAppTextureManager m_manager;
};

TEST_F(LAppTextureManagerTest, IdsCountFromOneAndAreNeverReused) {
  EXPECT_EQ(m_manager.createTextureFromPngFile(path("two.png")), 1u);
  EXPECT_EQ(m_manager.createTextureFromPngFile(path("two.png")), 2u);
  EXPECT_EQ(m_manager.createTextureFromPngFile(path("two.png")), 3u);
  m_manager.releaseTexture(2);
  m_manager.releaseTexture(2);
  EXPECT_EQ(m_manager.size(), 2u);
  EXPECT_EQ(m_manager.texture(2), nullptr);
  EXPECT_NE(m_manager.texture(3), nullptr);
  m_manager.releaseTextures();
  EXPECT_EQ(m_manager.size(), 0u);
  EXPECT_EQ(m_manager.createTextureFromPngFile(path("two.png")), 4u);
}

TEST_F(LAppTextureManagerTest, RecordsTheImageAndPremultipliesItsTexels) {
  const std::uint64_t id = m_manager.createTextureFromPngFile(path("two.png"));
  const auto* info = m_manager.info(id);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->width, 2);
  EXPECT_EQ(info->height, 1);
  EXPECT_EQ(info->fileName, path("two.png"));
  const gfx::Texture& texture = *m_manager.texture(id);
  EXPECT_TRUE(texture.hasMipmaps());
  std::uint32_t texels[2] = {};
  ASSERT_TRUE(texture.readPixels({0, 0, 2, 1}, texels, 8));
  EXPECT_EQ(texels[0], 0xFFFF0000u);
  EXPECT_EQ(texels[1], 0x80808080u);
}

TEST_F(LAppTextureManagerTest, FilesThatAreNotImagesAreLogged) {
  live2d::setLogSink(capture);
  live2d::setDebugLogEnabled(true);
  logged().clear();
  EXPECT_EQ(m_manager.createTextureFromPngFile(path("missing.png")), 0u);
  EXPECT_EQ(m_manager.createTextureFromPngFile(path("junk.png")), 0u);
  ASSERT_EQ(logged().size(), 2u);
  EXPECT_EQ(logged()[0], "Texture Load Error : " + path("missing.png") + "\n");
  EXPECT_EQ(m_manager.size(), 0u);
}

}  // namespace
