#pragma once

// Places a model of canvas size width × height (model units) in view units: a uniform scale plus a
// translation. Size setters go first; the position setters then place the scaled canvas.

#include <map>
#include <string>

#include "live2d/cubism/CubismMatrix44.h"

namespace live2d::cubism {

class CubismModelMatrix : public CubismMatrix44 {
 public:
  CubismModelMatrix() = default;
  // Starts at the default placement: two view units tall, centred on the canvas origin.
  CubismModelMatrix(float width, float height);

  void setWidth(float width);
  void setHeight(float height);
  void setPosition(float x, float y) { translate(x, y); }
  void setCenterPosition(float x, float y);
  void centerX(float x);
  void centerY(float y);
  void setX(float x) { translateX(x); }
  void setY(float y) { translateY(y); }
  void top(float y) { setY(y); }
  void bottom(float y);
  void left(float x) { setX(x); }
  void right(float x);

  // model3.json "Layout": width/height first, then the position keys, whatever order the file lists.
  void setupFromLayout(const std::map<std::string, float>& layout);

 private:
  float m_width = 0.0f;
  float m_height = 0.0f;
};

}  // namespace live2d::cubism
