#include "live2d/cubism/CubismMatrix44.h"

#include <algorithm>

namespace live2d::cubism {

void CubismMatrix44::loadIdentity() {
  m_tr.fill(0.0f);
  m_tr[0] = m_tr[5] = m_tr[10] = m_tr[15] = 1.0f;
}

void CubismMatrix44::setMatrix(const float* sixteen) { std::copy(sixteen, sixteen + 16, m_tr.begin()); }

void CubismMatrix44::multiply(const float* a, const float* b, float* dst) {
  float result[16] = {};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[row * 4 + k] * b[k * 4 + column];
      result[row * 4 + column] = sum;
    }
  }
  std::copy(result, result + 16, dst);
}

void CubismMatrix44::multiplyByMatrix(const CubismMatrix44& m) { multiply(m.getArray(), m_tr.data(), m_tr.data()); }

void CubismMatrix44::translateRelative(float x, float y) {
  CubismMatrix44 t;
  t.translate(x, y);
  multiply(m_tr.data(), t.getArray(), m_tr.data());
}

void CubismMatrix44::translate(float x, float y) {
  m_tr[12] = x;
  m_tr[13] = y;
}

void CubismMatrix44::scaleRelative(float x, float y) {
  CubismMatrix44 s;
  s.scale(x, y);
  multiply(m_tr.data(), s.getArray(), m_tr.data());
}

void CubismMatrix44::scale(float x, float y) {
  m_tr[0] = x;
  m_tr[5] = y;
}

}  // namespace live2d::cubism
