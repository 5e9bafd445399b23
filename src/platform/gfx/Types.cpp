#include "platform/gfx/Types.h"

namespace gfx {

Matrix4 Matrix4::translation(float x, float y, float z) {
  Matrix4 result;
  result.m[3] = {x, y, z, 1.0f};
  return result;
}

Matrix4 Matrix4::scaling(float x, float y, float z) {
  Matrix4 result;
  result.m[0][0] = x;
  result.m[1][1] = y;
  result.m[2][2] = z;
  return result;
}

Matrix4 Matrix4::operator*(const Matrix4& other) const {
  Matrix4 result;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += m[row][k] * other.m[k][column];
      result.m[row][column] = sum;
    }
  }
  return result;
}

Vector3 Matrix4::transformPoint(const Vector3& p) const {
  const float x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
  const float y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
  const float z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
  const float w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
  if (w != 1.0f && w != 0.0f) return {x / w, y / w, z / w};
  return {x, y, z};
}

}  // namespace gfx
