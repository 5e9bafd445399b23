#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "RenderTestSupport.h"
#include "render/Graphics.h"

namespace {

TEST(GraphicsTest, MovieScriptNamesTheFileAndRefusesNamesThatDoNotFit) {
  char buffer[4096];
  ASSERT_TRUE(render::movieScript("Movies/Intro.wmv", buffer, sizeof(buffer)));
  const std::string script = buffer;
  EXPECT_EQ(script.rfind("$__RGSS_movie_sprite = Sprite.new;$__RGSS_movie_sprite.z = 9999;", 0), 0u);
  EXPECT_NE(script.find("start_video(\"Movies/Intro.wmv\");"), std::string::npos);
  EXPECT_EQ(script.substr(script.size() - 15), "Audio.bgm_stop;");
  const std::string longName(4000, 'a');
  EXPECT_FALSE(render::movieScript(longName.c_str(), buffer, sizeof(buffer)));
}

TEST(GraphicsTest, TransitionImagesLoadFromDiskAndMissingOnesGiveNothing) {
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  if (!renderer) GTEST_SKIP() << "no GL context here";
  EXPECT_EQ(render::loadTransitionImage("/nonexistent/wipe.png"), nullptr);
  const std::string path = QUILLON_SOURCE_DIR "/tests/scripts/graphics_wipe.png";
  auto image = render::loadTransitionImage(path.c_str());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width(), 8);
  EXPECT_EQ(image->height(), 4);
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(image->pixels().data());
  EXPECT_EQ(pixels[3], 0xFF606060u);  // column 3 of the grey ramp
  const std::string notAnImage = QUILLON_SOURCE_DIR "/tests/render/CMakeLists.txt";
  EXPECT_EQ(render::loadTransitionImage(notAnImage.c_str()), nullptr);
}

}  // namespace
