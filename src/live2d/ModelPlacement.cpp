#include "live2d/ModelPlacement.h"

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

float storedZoom(double zoom) {
  // NaN is refused too (it would reach the drag target and every model parameter from there), and so is a
  // positive value too small for single precision.
  const auto stored = static_cast<float>(zoom);
  return stored > 0.0f ? stored : 1.0f;
}

}  // namespace live2d
