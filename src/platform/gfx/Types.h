#pragma once

// Values of the graphics layer: the render and sampler states the renderer sets, rectangles, viewports and the
// row-vector matrices the sprite batch uses. Enumerators keep Direct3D 9's numbering, so a state read from effect
// text or a number stored by a script (a sprite's address mode 4 = border) means what it meant there.

#include <array>
#include <cstdint>

namespace gfx {

enum class Blend : std::uint8_t {
  Zero = 1,
  One = 2,
  SrcColor = 3,
  InvSrcColor = 4,
  SrcAlpha = 5,
  InvSrcAlpha = 6,
  DestAlpha = 7,
  InvDestAlpha = 8,
  DestColor = 9,
  InvDestColor = 10,
  SrcAlphaSat = 11,
  BlendFactor = 14,
  InvBlendFactor = 15,
  // The second colour a shader writes (dual-source blending), as Direct3D 9Ex numbers them.
  SrcColor2 = 16,
  InvSrcColor2 = 17,
};

enum class BlendOp : std::uint8_t { Add = 1, Subtract = 2, RevSubtract = 3, Min = 4, Max = 5 };

enum class Compare : std::uint8_t {
  Never = 1,
  Less = 2,
  Equal = 3,
  LessEqual = 4,
  Greater = 5,
  NotEqual = 6,
  GreaterEqual = 7,
  Always = 8,
};

enum class Cull : std::uint8_t { None = 1, Clockwise = 2, CounterClockwise = 3 };

enum class Address : std::uint8_t { Wrap = 1, Mirror = 2, Clamp = 3, Border = 4, MirrorOnce = 5 };

enum class Filter : std::uint8_t { None = 0, Point = 1, Linear = 2 };

// Device render states with Direct3D 9's defaults for a device created with a depth buffer.
struct RenderState {
  bool alphaBlendEnable = false;
  Blend srcBlend = Blend::One;
  Blend destBlend = Blend::Zero;
  BlendOp blendOp = BlendOp::Add;
  bool separateAlphaBlendEnable = false;
  Blend srcBlendAlpha = Blend::One;
  Blend destBlendAlpha = Blend::Zero;
  BlendOp blendOpAlpha = BlendOp::Add;
  std::uint32_t blendFactor = 0xFFFFFFFF;  // A8R8G8B8
  bool zEnable = true;
  bool zWriteEnable = true;
  Compare zFunc = Compare::LessEqual;
  bool alphaTestEnable = false;
  Compare alphaFunc = Compare::Always;
  std::uint8_t alphaRef = 0;
  Cull cullMode = Cull::CounterClockwise;
  std::uint8_t colorWriteMask = 0xF;  // bit 0 red, 1 green, 2 blue, 3 alpha

  bool operator==(const RenderState&) const = default;
};

struct SamplerState {
  Address addressU = Address::Wrap;
  Address addressV = Address::Wrap;
  Filter minFilter = Filter::Point;
  Filter magFilter = Filter::Point;
  Filter mipFilter = Filter::None;
  std::uint32_t borderColor = 0;  // A8R8G8B8

  bool operator==(const SamplerState&) const = default;
};

inline constexpr int kSamplerCount = 16;
inline constexpr int kRenderTargetCount = 4;

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

// Render-target pixels, y downwards; the depth range maps clip z 0..1.
struct Viewport {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  float minZ = 0.0f;
  float maxZ = 1.0f;

  bool operator==(const Viewport&) const = default;
};

struct Vector2 {
  float x = 0.0f;
  float y = 0.0f;
};

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// Row-vector convention: a point is the row (x, y, z, 1) multiplied on the left, so translation sits in row 3.
struct Matrix4 {
  std::array<std::array<float, 4>, 4> m{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

  static Matrix4 identity() { return {}; }
  static Matrix4 translation(float x, float y, float z = 0.0f);
  static Matrix4 scaling(float x, float y, float z = 1.0f);

  // this · other: applies this first, then other.
  Matrix4 operator*(const Matrix4& other) const;
  Vector3 transformPoint(const Vector3& p) const;
  bool operator==(const Matrix4&) const = default;
};

// One vertex of the layer's single format. Position in render-target pixels (y down) or, for drawTriangles in
// clip space, clip coordinates; w is the homogeneous divisor (1 for flat 2D). Colour is A8R8G8B8.
struct Vertex {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;
  std::uint32_t colour = 0xFFFFFFFF;
  float u = 0.0f;
  float v = 0.0f;
};

// Values a shaded quad carries to its batch's shading program beside its texture and colour (SpriteBatch::drawShaded),
// the same at its four corners.
inline constexpr int kQuadValueVectors = 6;
using QuadValues = std::array<std::array<float, 4>, kQuadValueVectors>;

// The vertex of shaded quads. `quadInfo` tells the program which of its textures the quad samples (low four bits),
// whether it adds to the target (bit 4) and where its values are among those of its draw call (from bit 5).
struct QuadVertex {
  Vertex vertex;
  std::uint32_t quadInfo = 0;
};

}  // namespace gfx
