#pragma once

// The record behind a `Plane` script object: a bitmap repeated without seams over the screen area the plane was
// made for. One quad of the bitmap is stretched over the area; wrap addressing with a texture-coordinate scale and
// offset repeats and scrolls the bitmap inside it, so scrolling and tile zoom never change the area drawn.

#include <cstdint>

#include "scene/Sprite.h"

namespace scene {

// The screen region a plane covers, inclusive bounds.
struct PlaneArea {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = -1;
  std::int32_t bottom = -1;

  std::int32_t width() const { return right - left + 1; }
  std::int32_t height() const { return bottom - top + 1; }
};

class Plane final : public Sprite {
 public:
  // Planes of equal z draw in creation order, whatever their y.
  Plane() { ordersByY = false; }

  // The base reset, an owned source rectangle, no scroll, tile zoom 1 and the whole screen as it is now.
  void resetDefaults() override;
  // No texture for a bitmap without pixels or a tile zoom of 0: the scale and offset would divide by zero.
  gfx::Texture* texture() override;
  // Places the quad over the area and stretches the bitmap to cover it.
  void prepareFrame() override;
  void applySamplerAddress(gfx::Device& device) override;
  float texcoordScaleX() const override;
  float texcoordScaleY() const override;
  float texcoordOffsetX() const override;
  float texcoordOffsetY() const override;

  // Scroll offset in screen pixels; the base ox and oy stay 0.
  std::int32_t planeOx = 0;
  std::int32_t planeOy = 0;
  // The tile's scale; the base zoom is recomputed every frame.
  float planeZoomX = 1.0f;
  float planeZoomY = 1.0f;
  PlaneArea area;

 private:
  bool hasDrawableBitmap() const;
};

}  // namespace scene
