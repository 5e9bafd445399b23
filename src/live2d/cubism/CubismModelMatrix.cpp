#include "live2d/cubism/CubismModelMatrix.h"

namespace live2d::cubism {

CubismModelMatrix::CubismModelMatrix(float width, float height) : m_width(width), m_height(height) { setHeight(2.0f); }

void CubismModelMatrix::setWidth(float width) {
  const float s = m_width != 0.0f ? width / m_width : 1.0f;
  scale(s, s);
}

void CubismModelMatrix::setHeight(float height) {
  const float s = m_height != 0.0f ? height / m_height : 1.0f;
  scale(s, s);
}

void CubismModelMatrix::setCenterPosition(float x, float y) {
  centerX(x);
  centerY(y);
}

void CubismModelMatrix::centerX(float x) { translateX(x - m_width * getScaleX() / 2.0f); }
void CubismModelMatrix::centerY(float y) { translateY(y - m_height * getScaleY() / 2.0f); }
void CubismModelMatrix::bottom(float y) { translateY(y - m_height * getScaleY()); }
void CubismModelMatrix::right(float x) { translateX(x - m_width * getScaleX()); }

void CubismModelMatrix::setupFromLayout(const std::map<std::string, float>& layout) {
  for (const auto& [key, value] : layout) {
    if (key == "width") {
      setWidth(value);
    } else if (key == "height") {
      setHeight(value);
    }
  }
  for (const auto& [key, value] : layout) {
    if (key == "x") {
      setX(value);
    } else if (key == "y") {
      setY(value);
    } else if (key == "center_x") {
      centerX(value);
    } else if (key == "center_y") {
      centerY(value);
    } else if (key == "top") {
      top(value);
    } else if (key == "bottom") {
      bottom(value);
    } else if (key == "left") {
      left(value);
    } else if (key == "right") {
      right(value);
    }
  }
}

}  // namespace live2d::cubism
