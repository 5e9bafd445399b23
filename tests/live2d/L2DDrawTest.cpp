// L2D records drawn by the real renderer through the scene's frame and the Live2D frame pass: the screen shows the
// model's frame as straight colour over what lies below, a hidden model draws nothing, and screen resizes and a
// renderer made anew give the model new textures and frames.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bitmap/Bitmap.h"
#include "live2d/L2D.h"
#include "live2d/L2DFramePass.h"
#include "live2d/LAppModel.h"
#include "live2d/LAppTextureManager.h"
#include "live2d/Live2D.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "tests/live2d/cubism/CubismTestSupport.h"
#include "tests/render/RenderTestSupport.h"

namespace {

constexpr int kWidth = 136;
constexpr int kHeight = 104;

using rendertest::channel;

class L2DDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!live2d::cubism::test::haveSamples()) {
      GTEST_SKIP() << "Live2D samples not found under " << live2d::cubism::test::sampleDir();
    }
    m_renderer = rendertest::makeRenderer(kWidth, kHeight, kWidth, kHeight);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
    scene::installSceneFrame();
    live2d::installFramePass();
    live2d::startFramework();
  }

  void TearDown() override {
    m_model.reset();
    m_background.reset();
    m_white.reset();
    m_renderer.reset();
  }

  // A white sprite under everything, as a script's backdrop.
  void whiteBackground() {
    m_white = std::make_unique<bitmap::Bitmap>();
    const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth * kHeight), 0xFFFFFFFFu);
    ASSERT_TRUE(m_white->adopt(bitmap::ConstPixelView(pixels.data(), kWidth, kHeight, kWidth)));
    m_background = std::make_unique<scene::Sprite>();
    m_background->initialize(nullptr);
    m_background->ownSourceRect();
    m_background->ownColor();
    m_background->ownTone();
    m_background->setBitmap(m_white.get(), nullptr);
    m_background->z = -1;
  }

  live2d::L2D& model(const char* name) {
    m_model = std::make_unique<live2d::L2D>();
    m_model->ownColor();
    m_model->ownTone();
    m_model->load(live2d::cubism::test::sampleDir() + "/" + name + "/", std::string(name) + ".model3.json", kWidth,
                  kHeight);
    m_model->attach(nullptr);
    return *m_model;
  }

  std::vector<std::uint32_t> screen() { return rendertest::renderBackBuffer(*m_renderer); }

  static int covered(const std::vector<std::uint32_t>& pixels, std::uint32_t background) {
    return static_cast<int>(
        std::count_if(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return (p | 0xFF000000u) != background; }));
  }

  std::unique_ptr<render::Renderer> m_renderer;
  std::unique_ptr<bitmap::Bitmap> m_white;
  std::unique_ptr<scene::Sprite> m_background;
  std::unique_ptr<live2d::L2D> m_model;
};

// Translucent texels would come out darker than the frame says if its premultiplied colour were multiplied by
// alpha once more.
TEST_F(L2DDrawTest, FrameIsComposedOverTheSceneAsStraightColour) {
  whiteBackground();
  live2d::L2D& object = model("Mark");
  const std::vector<std::uint32_t> pixels = screen();
  const gfx::Texture* frame = object.model()->renderBuffer().getTexture();
  ASSERT_NE(frame, nullptr);
  std::vector<std::uint32_t> premultiplied(pixels.size());
  ASSERT_TRUE(frame->readPixels({0, 0, kWidth, kHeight}, premultiplied.data(), kWidth * 4));
  int translucent = 0;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const int alpha = channel(premultiplied[i], 24);
    if (alpha > 20 && alpha < 235) ++translucent;
    for (int shift : {16, 8, 0}) {
      ASSERT_NEAR(channel(pixels[i], shift), std::min(255, channel(premultiplied[i], shift) + 255 - alpha), 3)
          << "pixel " << i % kWidth << "," << i / kWidth;
    }
  }
  EXPECT_GT(translucent, 10);
  EXPECT_GT(covered(pixels, 0xFFFFFFFFu), kWidth * kHeight / 10);
}

TEST_F(L2DDrawTest, HiddenModelDrawsNothingButKeepsItsTime) {
  live2d::L2D& object = model("Mark");
  EXPECT_GT(covered(screen(), 0xFF000000u), 0);
  object.visible = false;
  const float before = object.model()->getMotionManager()->getUserTimeSeconds();
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(covered(screen(), 0xFF000000u), 0);
  EXPECT_GT(object.model()->getMotionManager()->getUserTimeSeconds(), before);
}

TEST_F(L2DDrawTest, ResizeAndNewRendererRemakeTexturesAndFrames) {
  live2d::L2D& object = model("Mark");
  screen();
  const std::uint64_t firstId = object.model()->boundTextureIds().at(0);
  m_renderer->resizeScreen(kWidth * 2, kHeight);
  EXPECT_GT(covered(screen(), 0xFF000000u), 0);
  const std::uint64_t resizedId = object.model()->boundTextureIds().at(0);
  EXPECT_GT(resizedId, firstId);
  EXPECT_EQ(object.model()->renderBuffer().getBufferWidth(), kWidth * 2);

  // A new renderer, as Graphics.__reset__ makes: the old context takes the model's resources with it. A model made
  // before the next frame has its textures already and keeps only one set.
  m_renderer.reset();
  m_renderer = rendertest::makeRenderer(kWidth, kHeight, kWidth, kHeight);
  ASSERT_NE(m_renderer, nullptr);
  live2d::L2D later;
  later.load(live2d::cubism::test::sampleDir() + "/Mark/", "Mark.model3.json", kWidth, kHeight);
  EXPECT_GT(covered(screen(), 0xFF000000u), 0);
  EXPECT_GT(object.model()->boundTextureIds().at(0), resizedId);
  EXPECT_EQ(live2d::textureManager().size(), 2u);
}

}  // namespace
