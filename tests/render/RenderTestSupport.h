#pragma once

// A renderer on a hidden window for pixel tests, and a minimal scene that draws one texture over the screen
// through a named pass of the effect, as scene objects will.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Texture.h"
#include "render/FrameScene.h"
#include "render/Renderer.h"

namespace rendertest {

class TestScene final : public render::FrameScene {
 public:
  TestScene();
  ~TestScene() override;

  // The picture: a whole-screen texture of one colour, or of the given pixels (screen size, row by row).
  void setColour(std::uint32_t colour);
  void setPixels(int width, int height, const std::vector<std::uint32_t>& pixels);
  void setPass(std::string pass) { m_pass = std::move(pass); }
  // Extra quads drawn after the picture, for benchmarks.
  void setExtraQuads(int count) { m_extraQuads = count; }

  void prepareFrame(render::Renderer&, double) override { ++prepared; }
  void renderViewports(render::Renderer&) override {}
  void drawScreen(render::Renderer& renderer) override;
  void releaseDeviceResources(render::Renderer&) override { ++released; }
  void restoreDeviceResources(render::Renderer&) override { ++restored; }
  void screenResized(render::Renderer&, int width, int height) override {
    screenWidth = width;
    screenHeight = height;
  }

  int prepared = 0;
  int released = 0;
  int restored = 0;
  int screenWidth = 0;
  int screenHeight = 0;

 private:
  std::unique_ptr<gfx::Texture> m_texture;
  std::unique_ptr<gfx::Texture> m_quad;
  std::string m_pass = "AlphaBlend";
  int m_extraQuads = 0;
};

// A renderer for a screen of the given size on a hidden window of the given size. Null (the test should skip)
// when no GL context can be made here.
std::unique_ptr<render::Renderer> makeRenderer(int screenWidth, int screenHeight, int windowWidth,
                                               int windowHeight);

// The back buffer after a frame that is drawn but not shown.
std::vector<std::uint32_t> renderBackBuffer(render::Renderer& renderer);
std::uint32_t backBufferPixel(render::Renderer& renderer, int x, int y);

// Channel `shift` (16 red, 8 green, 0 blue, 24 alpha) of an A8R8G8B8 pixel.
constexpr int channel(std::uint32_t pixel, int shift) {
  return static_cast<int>((pixel >> shift) & 0xFF);
}

}  // namespace rendertest
