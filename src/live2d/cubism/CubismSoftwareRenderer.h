#pragma once

// A renderer on the processor: draws a model into an RGBA image with the same rules as the graphics
// backend (see CubismRenderer). Used for headless renders, tests and visual review. Textures are
// mip-mapped so models drawn far below texture size do not shimmer.

#include <cstdint>
#include <vector>

#include "live2d/cubism/CubismRenderer.h"

namespace live2d::cubism {

// 8-bit RGBA rows, top row first.
struct CubismImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

class CubismSoftwareRenderer : public CubismRenderer {
 public:
  // Maps the model's canvas onto a width × height image at a uniform scale (width / canvas width), the
  // canvas's top-left corner at the image's.
  static CubismMatrix44 canvasProjection(const CubismModel& model, int width, int height);
  static int canvasImageHeight(const CubismModel& model, int width);

  void setTarget(int width, int height);
  void clear(float r, float g, float b, float a);
  // Binds an image as model texture `index`; straight images are premultiplied here unless the renderer
  // is told its textures are premultiplied already.
  void bindTexture(int index, const CubismImage& image);
  void unbindTextures() { m_textures.clear(); }

  int width() const { return m_width; }
  int height() const { return m_height; }
  // Premultiplied RGBA floats, top row first.
  const std::vector<float>& pixels() const { return m_pixels; }
  // The frame composited over an opaque colour.
  CubismImage compositeOver(float r, float g, float b) const;

 protected:
  void doDrawModel(const CubismDrawList& list) override;

 private:
  struct MipLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // premultiplied
  };
  struct Texture {
    std::vector<MipLevel> levels;
  };
  struct ScreenVertex {
    float x = 0.0f;
    float y = 0.0f;
  };

  void toScreen(std::span<const float> positions);
  const std::vector<float>& maskCoverage(const CubismDrawList& list, int context);
  template <class Shade>
  void rasterize(const CubismDrawItem& item, const Texture* texture, Shade&& shade);

  int m_width = 0;
  int m_height = 0;
  std::vector<float> m_pixels;
  std::vector<Texture> m_textures;
  std::vector<ScreenVertex> m_screen;
  std::vector<std::vector<float>> m_coverage;
  std::vector<std::uint8_t> m_coverageReady;
};

}  // namespace live2d::cubism
