#pragma once

// Where an L2D's model sits on the screen. The model is drawn into a screen-sized frame under a projection that
// scales it by its zoom (the height also by the screen's aspect, so view units are square) and moves it by its
// offset in pixels; screen points are taken back through the same projection into the model's view units.

#include "live2d/cubism/CubismMatrix44.h"
#include "platform/gfx/Types.h"

namespace live2d::cubism {
class CubismModel;
}

namespace live2d {

struct ModelPlacement {
  int screenWidth = 0;
  int screenHeight = 0;
  int x = 0;
  int y = 0;  // down is positive
  float zoomX = 1.0f;
  float zoomY = 1.0f;
};

struct ViewPoint {
  float x = 0.0f;
  float y = 0.0f;  // up is positive
};

cubism::CubismMatrix44 modelProjection(const ModelPlacement& placement);
// The view point under the screen pixel (px, py), computed in double precision.
ViewPoint screenToView(const ModelPlacement& placement, int px, int py);

// The screen pixels that the model's visible drawables reach under `mvp` (clip space to a width × height screen), a
// pixel wider on each side for filtering, within the screen; empty when nothing shows.
gfx::Rect drawnBounds(const cubism::CubismModel& model, const cubism::CubismMatrix44& mvp, int screenWidth,
                      int screenHeight);

// A zoom as the setters store it: what is not a positive number becomes 1.
float storedZoom(double zoom);

}  // namespace live2d
