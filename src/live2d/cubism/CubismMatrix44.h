#pragma once

// 4×4 matrices for 2D placement, stored as 16 floats in rows for row vectors: a point p maps to p·M, so
// the x scale is element 0, the y scale element 5 and the translation elements 12 and 13.

#include <array>

namespace live2d::cubism {

class CubismMatrix44 {
 public:
  CubismMatrix44() { loadIdentity(); }

  void loadIdentity();
  const float* getArray() const { return m_tr.data(); }
  void setMatrix(const float* sixteen);

  // dst = a·b: applying dst applies a first, then b. dst may alias a or b.
  static void multiply(const float* a, const float* b, float* dst);
  // this = m·this: afterwards this applies m first, then what it applied before.
  void multiplyByMatrix(const CubismMatrix44& m);

  float getScaleX() const { return m_tr[0]; }
  float getScaleY() const { return m_tr[5]; }
  float getTranslateX() const { return m_tr[12]; }
  float getTranslateY() const { return m_tr[13]; }

  float transformX(float src) const { return m_tr[0] * src + m_tr[12]; }
  float transformY(float src) const { return m_tr[5] * src + m_tr[13]; }
  float invertTransformX(float src) const { return m_tr[0] != 0.0f ? (src - m_tr[12]) / m_tr[0] : 0.0f; }
  float invertTransformY(float src) const { return m_tr[5] != 0.0f ? (src - m_tr[13]) / m_tr[5] : 0.0f; }

  // The set* forms overwrite the entries, the relative forms compose with what is there.
  void translateRelative(float x, float y);
  void translate(float x, float y);
  void translateX(float x) { m_tr[12] = x; }
  void translateY(float y) { m_tr[13] = y; }
  void scaleRelative(float x, float y);
  void scale(float x, float y);

 protected:
  std::array<float, 16> m_tr{};
};

}  // namespace live2d::cubism
