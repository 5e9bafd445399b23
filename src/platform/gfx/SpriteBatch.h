#pragma once

// The sprite batch of Direct3D's extension library: quads queued between begin and end, each a texture's source
// rectangle moved by -centre + position and then by the batch transform (row vectors), drawn at flush with the
// device's current program and states. Coordinates are render-target pixels; the device viewport only clips.
// An untransformed quad at integer coordinates maps texel to pixel exactly, with point or linear filtering.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/Device.h"
#include "platform/gfx/Types.h"

namespace gfx {

class Texture;

class SpriteBatch {
 public:
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
  // Draws the queued quads in order, one draw call per run of quads with the same texture.
  void flush();

  std::size_t queuedQuads() const { return m_vertices.size() / 4; }
  // Drops the queued quads of a texture that is going away.
  void forgetTexture(const Texture* texture);

 private:
  struct Run {
    const Texture* texture = nullptr;
    std::size_t quads = 0;
  };

  Device& m_device;
  bool m_begun = false;
  Matrix4 m_transform;
  StateBlock m_saved;
  const Texture* m_savedTexture = nullptr;
  std::vector<Vertex> m_vertices;
  std::vector<Run> m_runs;
};

}  // namespace gfx
