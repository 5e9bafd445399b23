#pragma once

// The sprite batch of Direct3D's extension library: quads queued between begin and end, each a texture's source
// rectangle moved by -centre + position and then by the batch transform (row vectors), drawn at flush with the
// device's current program and states. Coordinates are render-target pixels; the device viewport only clips.
// An untransformed quad at integer coordinates maps texel to pixel exactly, with point or linear filtering.
//
// Shaded quads are our own addition: each brings its sampler state, its blend and values of its own, and is drawn
// by the batch's shading programs instead of the device's current program and blend, so that neighbouring quads of
// different textures, colours and blends share one draw call. They keep their place among the other quads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/gfx/Types.h"

namespace gfx {

class Texture;

namespace detail {
struct ShaderProgram;
}

// The blends of shaded quads, those of the built-in effect's first three passes on premultiplied colour: normal
// (source one, destination inverse source alpha), additive (one, one) and subtractive (reverse subtraction of one,
// one); the alpha channel always blends one, inverse source alpha.
enum class QuadBlend : std::uint8_t { Normal, Additive, Subtractive };

// A shading of shaded quads (SpriteBatch::setShading): its GLSL function and how many of a quad's value vectors it
// reads, from the first; only those are sent.
struct ShadingSource {
  std::string function;
  int valueVectors = 0;
};

struct ShadedQuad {
  const Texture* texture = nullptr;
  Rect source;
  Vector3 position;
  std::uint32_t colour = 0xFFFFFFFF;  // A8R8G8B8
  QuadBlend blend = QuadBlend::Normal;
  SamplerState sampler;
  const QuadValues* values = nullptr;  // required
  // The least general of the batch's shadings that draws the quad alike (0: its values change nothing).
  int shading = 0;
};

class SpriteBatch {
 public:
  // Textures one draw call of shaded quads can sample.
  static constexpr int kShadedTextures = 8;

  // The device must outlive the batch.
  explicit SpriteBatch(Device& device);
  ~SpriteBatch();
  SpriteBatch(const SpriteBatch&) = delete;
  SpriteBatch& operator=(const SpriteBatch&) = delete;

  // Saves the device states and sets the batch's own: no culling, no depth changes, sampler 0 clamped and
  // linear; with `alphaBlend`, blending source alpha over inverse source alpha and the alpha test dropping fully
  // transparent pixels. False when the batch has begun already.
  bool begin(bool alphaBlend);
  // Flushes, then restores the states saved by begin.
  void end();
  bool isBegun() const { return m_begun; }

  // Applies to quads drawn after it.
  void setTransform(const Matrix4& transform) { m_transform = transform; }
  const Matrix4& transform() const { return m_transform; }

  // Queues one quad. `source` null: the whole texture; `centre` and `position` null: the origin. Colour is
  // A8R8G8B8, multiplied into the texels. Ignored outside begin/end, without a texture or with an empty source.
  // A texture destroyed before the flush is dropped from the queue with its quads.
  void draw(const Texture* texture, const Rect* source, const Vector3* centre, const Vector3* position,
            std::uint32_t colour);
  // Queues a shaded quad under the current transform, with the same rules. Without shading set nothing is drawn.
  void drawShaded(const ShadedQuad& quad);
  // Draws the queued quads in order: one draw call per run of quads with the same texture, and per run of shaded
  // quads that blend alike (normal and additive together) and sample at most kShadedTextures textures.
  void flush();

  // The shadings of shaded quads, from the least general: GLSL 3.30 functions `vec4 shadeQuad(vec2 coordinate,
  // vec4 colour)` returning the premultiplied colour of a pixel from its texture coordinate and the quad's colour.
  // They sample the quad's texture with `quadTexel(vec2 coordinate)` and read the quad's values as `quadValues[0]`
  // to `quadValues[valueVectors - 1]`. A run is drawn with the most general shading its quads need, so that quads
  // needing less cost no more than they must. Programs are made when first needed.
  void setShading(std::vector<ShadingSource> shadings);

  // Whether a shaded run picks each quad's texture by index rather than by a branch per texture; by default where
  // the device allows it.
  void setIndexedTextures(bool indexed);

  std::size_t queuedQuads() const { return m_vertices.size() / 4 + m_shadedVertices.size() / 4; }
  // Drops the queued quads of a texture that is going away.
  void forgetTexture(const Texture* texture);

 private:
  struct Run {
    const Texture* texture = nullptr;  // plain-program runs
    std::size_t quads = 0;
    bool shaded = false;
    bool subtractive = false;
    int shading = 0;  // the most general its quads need
    int textureCount = 0;
    double pixels = 0.0;  // the quads' area on the target
    std::array<const Texture*, kShadedTextures> textures{};
    std::array<SamplerState, kShadedTextures> samplers{};
  };

  void corners(const Rect& area, const Vector3& place, const Texture& texture, std::uint32_t colour, Vertex* out) const;
  // The unit of `texture` sampled as `sampler` in the shaded run at the back, starting a new run when the quad
  // cannot join it.
  int shadedUnit(const ShadedQuad& quad, double pixels);
  void drawShadedRun(const Run& run, std::size_t firstQuad);
  const detail::ShaderProgram* shadingProgram(int shading, int textureCount);

  Device& m_device;
  bool m_indexedTextures;
  bool m_begun = false;
  Matrix4 m_transform;
  StateBlock m_saved;
  const Texture* m_savedTexture = nullptr;
  std::vector<Vertex> m_vertices;
  std::vector<QuadVertex> m_shadedVertices;
  std::vector<QuadValues> m_shadedValues;          // one per shaded quad
  std::vector<std::array<float, 4>> m_sentValues;  // a run's values, as many vectors a quad as its shading reads
  std::vector<Run> m_runs;
  std::vector<ShadingSource> m_shadings;
  // By (shading, texture count); null where the program did not build.
  std::map<std::pair<int, int>, std::unique_ptr<detail::ShaderProgram>> m_programs;
};

}  // namespace gfx
