#include "live2d/cubism/CubismOffscreenFrame_D3D9.h"

#include <algorithm>
#include <cmath>

#include "live2d/cubism/CubismFramework.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"

namespace live2d::cubism {

std::uint32_t argbFromFloats(float r, float g, float b, float a) {
  const auto byte = [](float v) {
    // NaN reads as 0 rather than reaching an undefined conversion.
    const float clamped = v > 0.0f ? std::min(v, 1.0f) : 0.0f;
    return static_cast<std::uint32_t>(std::lround(clamped * 255.0f));
  };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

CubismOffscreenFrame_D3D9::CubismOffscreenFrame_D3D9() = default;

CubismOffscreenFrame_D3D9::~CubismOffscreenFrame_D3D9() { destroyOffscreenFrame(); }

bool CubismOffscreenFrame_D3D9::createOffscreenFrame(gfx::Device& device, int width, int height) {
  if (m_texture && m_device == &device && m_texture->width() == width && m_texture->height() == height) return true;
  destroyOffscreenFrame();
  m_texture = gfx::Texture::createRenderTarget(width, height);
  if (!m_texture) {
    CUBISM_LOG_ERROR("can't create an offscreen frame of %d x %d\n", width, height);
    return false;
  }
  m_device = &device;
  return true;
}

void CubismOffscreenFrame_D3D9::destroyOffscreenFrame() {
  if (m_drawing) endDraw();
  m_texture.reset();
  m_device = nullptr;
}

bool CubismOffscreenFrame_D3D9::beginDraw() {
  if (!m_texture || m_drawing) return false;
  gfx::Device& device = *m_device;
  for (int index = 0; index < gfx::kRenderTargetCount; ++index) {
    m_previousTargets[static_cast<std::size_t>(index)] = device.renderTarget(index);
  }
  m_previousViewport = device.viewport();
  for (int index = gfx::kRenderTargetCount - 1; index > 0; --index) device.setRenderTarget(index, nullptr);
  device.setRenderTarget(0, m_texture.get());
  m_drawing = true;
  return true;
}

void CubismOffscreenFrame_D3D9::endDraw() {
  if (!m_drawing) return;
  m_drawing = false;
  gfx::Device& device = *m_device;
  device.setRenderTarget(0, m_previousTargets[0]);
  for (int index = 1; index < gfx::kRenderTargetCount; ++index) {
    device.setRenderTarget(index, m_previousTargets[static_cast<std::size_t>(index)]);
  }
  device.setViewport(m_previousViewport);
}

void CubismOffscreenFrame_D3D9::clear(float r, float g, float b, float a) {
  if (!m_texture) return;
  if (m_drawing) {
    const gfx::Viewport whole{0, 0, m_texture->width(), m_texture->height(), 0.0f, 1.0f};
    const gfx::Viewport kept = m_device->viewport();
    m_device->setViewport(whole);
    m_device->clear(gfx::ClearFlags::Target, argbFromFloats(r, g, b, a));
    m_device->setViewport(kept);
  } else {
    m_texture->fill(argbFromFloats(r, g, b, a));
  }
}

int CubismOffscreenFrame_D3D9::getBufferWidth() const { return m_texture ? m_texture->width() : 0; }

int CubismOffscreenFrame_D3D9::getBufferHeight() const { return m_texture ? m_texture->height() : 0; }

}  // namespace live2d::cubism
