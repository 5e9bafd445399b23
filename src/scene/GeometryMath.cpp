#include "scene/GeometryMath.h"

#include <cmath>

namespace scene {

std::optional<std::int32_t> grownTriangleCapacity(std::int32_t capacity, std::int32_t triangle) {
  if (triangle < capacity) return capacity;
  if (triangle >= kMaxGeometryTriangles) return std::nullopt;
  std::int64_t grown = capacity;
  while (grown <= triangle) grown = grown * 2 + 1;
  return static_cast<std::int32_t>(grown);
}

gfx::Matrix4 geometryMatrix(const std::array<float, 16>& rowOrder, bool worldMode) {
  gfx::Matrix4 matrix;
  for (std::size_t row = 0; row < 4; ++row) {
    for (std::size_t column = 0; column < 4; ++column) {
      const float value = rowOrder[row * 4 + column];
      if (worldMode) {
        matrix.m[column][row] = value;
      } else {
        matrix.m[row][column] = value;
      }
    }
  }
  return matrix;
}

gfx::Matrix4 pixelProjection(int screenWidth, int screenHeight) {
  gfx::Matrix4 projection;
  projection.m[0] = {2.0f / static_cast<float>(screenWidth), 0.0f, 0.0f, 0.0f};
  projection.m[1] = {0.0f, -2.0f / static_cast<float>(screenHeight), 0.0f, 0.0f};
  projection.m[2] = {0.0f, 0.0f, 1.0f, 0.0f};
  projection.m[3] = {-1.0f, 1.0f, 0.0f, 1.0f};
  return projection;
}

std::optional<ScreenPoint> screenTransform(const gfx::Matrix4& m, float x, float y, float z, float w) {
  const float in[4] = {x, y, z, w};
  float out[4] = {};
  for (std::size_t row = 0; row < 4; ++row) {
    for (std::size_t column = 0; column < 4; ++column) out[row] += m.m[row][column] * in[column];
  }
  const float divisor = out[3];
  if (divisor == 0.0f || !std::isfinite(divisor)) return std::nullopt;
  ScreenPoint point{out[0] / divisor, out[1] / divisor, out[2] / divisor, 1.0f / divisor};
  if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z) || !std::isfinite(point.rhw)) {
    return std::nullopt;
  }
  return point;
}

gfx::Vertex homogeneousCorner(const ScreenPoint& point) {
  const float w = std::fabs(1.0f / point.rhw);
  gfx::Vertex vertex;
  vertex.x = point.x * w;
  vertex.y = point.y * w;
  vertex.z = point.z * w;
  vertex.w = w;
  return vertex;
}

bool degenerateInSpace(const gfx::Vertex& a, const gfx::Vertex& b, const gfx::Vertex& c) {
  const double ux = static_cast<double>(b.x) - a.x, uy = static_cast<double>(b.y) - a.y,
               uz = static_cast<double>(b.z) - a.z;
  const double vx = static_cast<double>(c.x) - a.x, vy = static_cast<double>(c.y) - a.y,
               vz = static_cast<double>(c.z) - a.z;
  return uy * vz - uz * vy == 0.0 && uz * vx - ux * vz == 0.0 && ux * vy - uy * vx == 0.0;
}

bool degenerateOnScreen(const gfx::Vertex& a, const gfx::Vertex& b, const gfx::Vertex& c) {
  // Three homogeneous points (x, y, w) lie on one line exactly when their determinant is zero.
  const double det = static_cast<double>(a.x) * (static_cast<double>(b.y) * c.w - static_cast<double>(b.w) * c.y) -
                     static_cast<double>(a.y) * (static_cast<double>(b.x) * c.w - static_cast<double>(b.w) * c.x) +
                     static_cast<double>(a.w) * (static_cast<double>(b.x) * c.y - static_cast<double>(b.y) * c.x);
  return det == 0.0;
}

}  // namespace scene
