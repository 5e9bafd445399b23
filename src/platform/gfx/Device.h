#pragma once

// The device: render and sampler states, bound textures, render targets, the viewport, clears and draws, in the
// manner of a Direct3D 9 device. States are recorded at once and reach OpenGL at the next clear or draw, so
// setting a state to the value it already has costs nothing.
//
// Render targets keep Direct3D's orientation: row 0 is the top of the picture in every target, the back buffer
// included, so coordinates are render-target pixels with y downwards everywhere.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Types.h"

namespace gfx {

class Context;
class Texture;
class VertexBuffer;

namespace detail {
struct ShaderProgram;
}

// The states a sprite batch or an effect technique saves when it begins and restores when it ends.
struct StateBlock {
  RenderState render;
  std::array<SamplerState, kSamplerCount> samplers;
  const detail::ShaderProgram* program = nullptr;  // null: fixed function (texture × vertex colour)
};

enum class ClearFlags : std::uint8_t { Target = 1, ZBuffer = 2, Both = 3 };

// How drawTriangles reads vertex positions: render-target pixels (w the homogeneous divisor, as pretransformed
// vertices), or Direct3D clip space (x, y in −w…w with y up, z in 0…w) mapped through the viewport.
enum class VertexSpace : std::uint8_t { TargetPixels, Clip };

class Device {
 public:
  // The context must be current and outlive the device; there is one device per context.
  explicit Device(Context& context);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  Context& context() { return m_context; }

  RenderState& renderState();
  SamplerState& samplerState(int unit);
  StateBlock captureState() const;
  void applyState(const StateBlock& block);

  // Unit 0 is what fixed-function drawing and the sprite batch sample. A unit outside 0…15 is ignored.
  void setTexture(int unit, const Texture* texture);
  const Texture* texture(int unit) const;

  // Target 0 null draws into the back buffer; targets 1…3 null unbind. Only render-target textures qualify.
  // Setting target 0 resets the viewport to the whole target, as Direct3D does.
  bool setRenderTarget(int index, Texture* target);
  Texture* renderTarget(int index) const;
  int targetWidth() const;
  int targetHeight() const;

  void setViewport(const Viewport& viewport);
  const Viewport& viewport() const;

  // Clears within the viewport, as Direct3D does; write masks do not apply. Colour is A8R8G8B8. Direct3D has one
  // depth surface for every target; here each target size has its own, so a depth clear also reaches the others,
  // as a whole, when they are next drawn into.
  void clear(ClearFlags flags, std::uint32_t colour, float z = 1.0f);

  // Triangle lists in the layer's vertex format, drawn with the current program and states.
  void drawTriangles(const Vertex* vertices, std::size_t vertexCount, VertexSpace space = VertexSpace::TargetPixels);
  // `count` vertices of a buffer from `first`, as a triangle list; positions are multiplied by `positionTransform`
  // (row vectors: world, view and projection in one) before `space` reads them. Nothing for a buffer that is not
  // resident.
  void drawTriangles(const VertexBuffer& buffer, std::size_t first, std::size_t count, VertexSpace space,
                     const Matrix4& positionTransform);
  // Indices [firstIndex, firstIndex + count) of the buffer's index list as a triangle list, positions multiplied by
  // `positionTransform` as above. Nothing for a buffer that is not resident or whose indices name missing vertices.
  void drawIndexedTriangles(const VertexBuffer& buffer, std::size_t firstIndex, std::size_t count, VertexSpace space,
                            const Matrix4& positionTransform);
  // Quads of four vertices each (top-left, top-right, bottom-left, bottom-right), in render-target pixels.
  void drawQuads(const Vertex* vertices, std::size_t quadCount);
  // Shaded quads (SpriteBatch::drawShaded), four corners each as drawQuads takes them, for a program that reads the
  // info word at attribute location 3 (an unsigned integer). `vectors`, when given, go into the buffer texture that
  // such a program reads at texture unit kQuadValueUnit, one texel each, from texel `uQuadValueBase`.
  void drawQuads(const QuadVertex* vertices, std::size_t quadCount, const std::array<float, 4>* vectors = nullptr,
                 std::size_t vectorCount = 0);
  static constexpr int kQuadValueUnit = 17;
  // An indexed triangle list (three indices per triangle), as meshes are drawn; a triangle naming a vertex past
  // `vertexCount` is left out.
  void drawIndexedTriangles(const Vertex* vertices, std::size_t vertexCount, const std::uint16_t* indices,
                            std::size_t indexCount, VertexSpace space = VertexSpace::Clip);

  // The program that replaces fixed-function colouring, or null; set by effect passes.
  void setProgram(const detail::ShaderProgram* program);
  const detail::ShaderProgram* program() const;
  // Effects share linked programs by key (their GLSL) for the life of the device, and bind one to set its
  // uniforms.
  std::shared_ptr<detail::ShaderProgram> cachedProgram(const std::string& key) const;
  void cacheProgram(const std::string& key, std::shared_ptr<detail::ShaderProgram> program);
  void bindProgramForUniforms(const detail::ShaderProgram* program);

  // Shows the back buffer. False when the context was lost.
  [[nodiscard]] bool present();
  // Back buffer pixels of `rect`, top row first, as A8R8G8B8 words. False for a rectangle outside it.
  bool readBackBuffer(const Rect& rect, std::vector<std::uint32_t>& pixels);
  int backBufferWidth() const;
  int backBufferHeight() const;

  // Forgets what the device believes OpenGL's state to be; call after code outside the layer drew with GL.
  void invalidateGlState();
  // The texture named `glName` is being deleted. OpenGL unbinds it from every unit, and a texture made later may be
  // given the same name, so the device must not believe that name is still bound.
  void textureDeleted(unsigned glName);
  // `program` is being destroyed: a program made later at the same address must not pass for the one in use.
  void programDeleted(const detail::ShaderProgram* program);

  // Whether the driver rasterises on the processor, where a shader runs every branch it names for every pixel.
  bool softwareRasteriser() const;
  // Whether a fragment shader may pick a texture of a sampler array by a flat input: where the driver shades each
  // triangle's pixels apart from every other triangle's (the processor rasterisers) and GLSL 4.00 allows the index.
  bool indexesSamplersPerTriangle() const;

  // Draw calls since construction, for benchmarks.
  std::uint64_t drawCallCount() const;
  // Waits until the GPU has carried out every command given so far, so that a benchmark's time includes them.
  void finish();

 private:
  struct Impl;

  Context& m_context;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace gfx
