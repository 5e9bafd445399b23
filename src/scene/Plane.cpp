#include "scene/Plane.h"

#include <cmath>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/window/Screen.h"

namespace scene {

void Plane::resetDefaults() {
  Sprite::resetDefaults();
  ownSourceRect();
  planeOx = planeOy = 0;
  planeZoomX = planeZoomY = 1.0f;
  area = {0, 0, windowing::g_screenWidth - 1, windowing::g_screenHeight - 1};
}

bool Plane::hasDrawableBitmap() const {
  // A zero tile zoom would need infinitely many tiles: nothing sensible to draw, so nothing is.
  return bitmap != nullptr && bitmap->width() > 0 && bitmap->height() > 0 && planeZoomX != 0.0f && planeZoomY != 0.0f &&
         std::isfinite(planeZoomX) && std::isfinite(planeZoomY);
}

gfx::Texture* Plane::texture() { return hasDrawableBitmap() ? Sprite::texture() : nullptr; }

void Plane::prepareFrame() {
  if (!hasDrawableBitmap()) return;
  x = area.left;
  y = area.top;
  ox = oy = 0;
  zoomX = static_cast<float>(area.width()) / static_cast<float>(bitmap->width());
  zoomY = static_cast<float>(area.height()) / static_cast<float>(bitmap->height());
}

void Plane::applySamplerAddress(gfx::Device& device) {
  gfx::SamplerState& sampler = device.samplerState(0);
  sampler.addressU = gfx::Address::Wrap;
  sampler.addressV = gfx::Address::Wrap;
}

// The effect samples (coordinate × scale − offset): a pixel u screen pixels from the area's left edge reads
// (u + ox) ÷ (bitmap width × tile zoom), wrapped; likewise down. Double precision, as the scroll can be large.
float Plane::texcoordScaleX() const {
  if (!hasDrawableBitmap()) return 1.0f;
  return static_cast<float>(1.0 / planeZoomX / bitmap->width() * area.width());
}

float Plane::texcoordScaleY() const {
  if (!hasDrawableBitmap()) return 1.0f;
  return static_cast<float>(1.0 / planeZoomY / bitmap->height() * area.height());
}

float Plane::texcoordOffsetX() const {
  if (!hasDrawableBitmap()) return 0.0f;
  return static_cast<float>(-static_cast<double>(planeOx) / bitmap->width() / planeZoomX);
}

float Plane::texcoordOffsetY() const {
  if (!hasDrawableBitmap()) return 0.0f;
  return static_cast<float>(-static_cast<double>(planeOy) / bitmap->height() / planeZoomY);
}

}  // namespace scene
