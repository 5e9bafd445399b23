#include "RenderTestSupport.h"

#include <cstdio>
#include <stdexcept>

#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/window/Screen.h"

namespace rendertest {

TestScene::TestScene() {
  render::setFrameScene(this);
}

TestScene::~TestScene() {
  if (render::frameScene() == this) {
    render::setFrameScene(nullptr);
  }
}

void TestScene::setColour(std::uint32_t colour) {
  setPixels(1, 1, {colour});
}

void TestScene::setPixels(int width, int height, const std::vector<std::uint32_t>& pixels) {
  m_texture = gfx::Texture::createManaged(width, height);
  m_texture->update({0, 0, width, height}, pixels.data(), width * 4);
}

void TestScene::drawScreen(render::Renderer& renderer) {
  if (!m_texture) {
    return;
  }
  gfx::SpriteBatch& batch = renderer.batch();
  renderer.effect().resetParameters();
  renderer.effect().beginPassByName(m_pass);
  // A one-pixel picture is stretched over the screen; a screen-sized one lands texel for pixel.
  batch.setTransform(gfx::Matrix4::scaling(static_cast<float>(renderer.screenWidth()) / m_texture->width(),
                                           static_cast<float>(renderer.screenHeight()) / m_texture->height()));
  batch.draw(m_texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.flush();
  batch.setTransform(renderer.baseTransform());
  if (m_extraQuads > 0) {
    if (!m_quad) {
      m_quad = gfx::Texture::createManaged(16, 16);
      m_quad->fill(0x80FF8040);
    }
    for (int i = 0; i < m_extraQuads; ++i) {
      const gfx::Vector3 position{static_cast<float>(i * 7 % renderer.screenWidth()),
                                  static_cast<float>(i * 13 % renderer.screenHeight()), 0.0f};
      batch.draw(m_quad.get(), nullptr, nullptr, &position, 0xFFFFFFFF);
    }
    batch.flush();
  }
  renderer.effect().endPass();
}

std::unique_ptr<render::Renderer> makeRenderer(int screenWidth, int screenHeight, int windowWidth,
                                               int windowHeight) {
  windowing::g_screenWidth = screenWidth;
  windowing::g_screenHeight = screenHeight;
  windowing::g_windowWidth = windowWidth;
  windowing::g_windowHeight = windowHeight;
  try {
    return std::make_unique<render::Renderer>(nullptr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "no renderer here: %s\n", error.what());
    return nullptr;
  }
}

std::vector<std::uint32_t> renderBackBuffer(render::Renderer& renderer) {
  renderer.render(false);
  gfx::Device& device = renderer.device();
  std::vector<std::uint32_t> pixels;
  if (!device.readBackBuffer({0, 0, device.backBufferWidth(), device.backBufferHeight()}, pixels)) {
    throw std::runtime_error("back buffer not readable");
  }
  return pixels;
}

std::uint32_t backBufferPixel(render::Renderer& renderer, int x, int y) {
  const std::vector<std::uint32_t> pixels = renderBackBuffer(renderer);
  return pixels.at(static_cast<std::size_t>(y * renderer.device().backBufferWidth() + x));
}

}  // namespace rendertest
