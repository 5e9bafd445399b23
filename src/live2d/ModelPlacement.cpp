#include "live2d/ModelPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "live2d/cubism/CubismModel.h"

namespace live2d {

cubism::CubismMatrix44 modelProjection(const ModelPlacement& p) {
  const auto width = static_cast<float>(p.screenWidth);
  const auto height = static_cast<float>(p.screenHeight);
  cubism::CubismMatrix44 projection;
  projection.scale(p.zoomX, p.zoomY * width / height);
  projection.translateX(static_cast<float>(p.x) * 2.0f / width);
  projection.translateY(-static_cast<float>(p.y) * 2.0f / height);
  return projection;
}

ViewPoint screenToView(const ModelPlacement& p, int px, int py) {
  const double width = p.screenWidth;
  const double height = p.screenHeight;
  const double mx = ((static_cast<double>(px) - p.x) * 2.0 / width - 1.0) / p.zoomX;
  const float aspect = static_cast<float>(p.screenWidth) * p.zoomY / static_cast<float>(p.screenHeight);
  const double my = -(((static_cast<double>(py) - p.y) * 2.0 / height - 1.0) / aspect);
  return {static_cast<float>(mx), static_cast<float>(my)};
}

gfx::Rect drawnBounds(const cubism::CubismModel& model, const cubism::CubismMatrix44& mvp, int screenWidth,
                      int screenHeight) {
  const float* m = mvp.getArray();
  float minX = std::numeric_limits<float>::max();
  float minY = minX;
  float maxX = std::numeric_limits<float>::lowest();
  float maxY = maxX;
  for (int drawable = 0; drawable < model.getDrawableCount(); ++drawable) {
    if (!model.isDrawableVisible(drawable)) continue;
    const std::span<const float> positions = model.getDrawableVertexPositions(drawable);
    for (std::size_t k = 0; k + 1 < positions.size(); k += 2) {
      const float x = positions[k] * m[0] + positions[k + 1] * m[4] + m[12];
      const float y = positions[k] * m[1] + positions[k + 1] * m[5] + m[13];
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  }
  if (!(minX <= maxX) || !(minY <= maxY)) return {};
  // Clip space has y up; pixels count rows down. Far-away values are held just off the screen before rounding.
  const auto toPixel = [](float value, int size) {
    return std::clamp(value * static_cast<float>(size) / 2.0f, -2.0f, static_cast<float>(size) + 2.0f);
  };
  const gfx::Rect bounds{
      std::max(0, static_cast<int>(std::floor(toPixel(minX + 1.0f, screenWidth))) - 1),
      std::max(0, static_cast<int>(std::floor(toPixel(1.0f - maxY, screenHeight))) - 1),
      std::min(screenWidth, static_cast<int>(std::ceil(toPixel(maxX + 1.0f, screenWidth))) + 1),
      std::min(screenHeight, static_cast<int>(std::ceil(toPixel(1.0f - minY, screenHeight))) + 1),
  };
  if (bounds.left >= bounds.right || bounds.top >= bounds.bottom) return {};
  return bounds;
}

float storedZoom(double zoom) {
  // NaN is refused too (it would reach the drag target and every model parameter from there), and so is a
  // positive value too small for single precision.
  const auto stored = static_cast<float>(zoom);
  return stored > 0.0f ? stored : 1.0f;
}

}  // namespace live2d
