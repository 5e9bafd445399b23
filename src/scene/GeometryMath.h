#pragma once

// The pure arithmetic of Geometry objects: how the triangle capacity grows, the matrix a script's sixteen numbers
// become, the pixel projection of world mode and the processor-side transform of screen mode.

#include <array>
#include <cstdint>
#include <optional>

#include "platform/gfx/Types.h"

namespace scene {

// The most triangles one Geometry holds (2^20 - 1, a capacity the growth reaches exactly): about 88 MB of
// vertices, far beyond any script's mesh, and short of an allocation that would take the process down.
inline constexpr std::int32_t kMaxGeometryTriangles = (1 << 20) - 1;

// The capacity after a setter names `triangle`: unchanged when it already fits, else c = 2c + 1 until it does
// (0, 1, 3, 7, 15, ...). Empty when the triangle is beyond kMaxGeometryTriangles.
std::optional<std::int32_t> grownTriangleCapacity(std::int32_t capacity, std::int32_t triangle);

// Sixteen numbers in row order, applied to column vectors (p' = M · p), as the matrix a Geometry stores: world mode
// keeps the transpose, so the row-vector convention of the device computes the same p'; screen mode keeps M as it is.
gfx::Matrix4 geometryMatrix(const std::array<float, 16>& rowOrder, bool worldMode);

// World mode's projection (row vectors): screen pixels with y down to clip space, z passed through.
gfx::Matrix4 pixelProjection(int screenWidth, int screenHeight);

// A screen-mode corner after the transform: x/W, y/W, z/W and 1/W, as pretransformed vertices carry them.
struct ScreenPoint {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float rhw = 1.0f;
};

// (X, Y, Z, W) = M · (x, y, z, w), divided by W. Empty when W is 0 or anything is not finite: the point has no place
// on the screen.
std::optional<ScreenPoint> screenTransform(const gfx::Matrix4& m, float x, float y, float z, float w);

// The homogeneous position the device interpolates with perspective as Direct3D does with 1/W: the same pixel,
// z and 1/W, with a positive w so that no corner is clipped away for being behind.
gfx::Vertex homogeneousCorner(const ScreenPoint& point);

// Whether a triangle covers no pixels whatever the matrix: its corners lie on one line in space (world mode: x, y, z)
// or, for homogeneous corners (screen mode after the transform), on one line on the screen.
bool degenerateInSpace(const gfx::Vertex& a, const gfx::Vertex& b, const gfx::Vertex& c);
bool degenerateOnScreen(const gfx::Vertex& a, const gfx::Vertex& b, const gfx::Vertex& c);

}  // namespace scene
