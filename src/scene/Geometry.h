#pragma once

// The record behind a `Geometry` script object: free-form triangles, each corner with a position, a texture
// coordinate and a colour, drawn as one triangle list at the object's place in the scene's order. In world mode the
// corners are (x, y, z) points that the device moves by the object's matrix and a pixel projection; in screen mode
// they are (x, y, z, w) points that the processor multiplies by the matrix and divides by w.
//
// Vertex data reaches the GPU only after it changed, in one upload; capacity grows geometrically, so setting
// triangles one after another reallocates only O(log n) times.

#include <cstdint>
#include <memory>
#include <vector>

#include "bindings/Color.h"
#include "platform/gfx/Types.h"
#include "scene/Sprite.h"

namespace gfx {
class VertexBuffer;
}

namespace scene {

class Geometry final : public Sprite {
 public:
  // A live record in world mode on the screen's list, as allocation makes it; setup() gives it its mode.
  Geometry();
  ~Geometry() override;

  // (Re)starts the record in a mode, on `viewport`'s list (null: the screen's): no triangles, identity matrix, no
  // texture, visible, and a private transparent 1×1 bitmap as the base for the common draw procedure.
  void setup(Viewport* viewport, bool worldMode);

  void dispose() override;
  bool drawsItself() const override { return true; }
  void drawCustom(render::Renderer& renderer) override;

  // A corner's position, texture coordinate or colour. False, changing nothing, for a negative triangle, a corner
  // outside 0…2 or a triangle past the capacity limit (reported by triangleOutOfRange()).
  bool setPointPosition(int triangle, int corner, float x, float y, float z, float w);
  bool setPointTexcoord(int triangle, int corner, float u, float v);
  bool setPointColor(int triangle, int corner, const bindings::Color& colour);
  // Sixteen numbers in row order, applied to column vectors.
  void setTransformMatrix(const std::array<float, 16>& rowOrder);
  // The bitmap whose texture the triangles take; null draws them in their vertex colours.
  void setTexture(bitmap::Bitmap* texture) { m_texture = texture; }

  bool worldMode() const { return m_worldMode; }
  std::int32_t triangleCapacity() const { return m_capacity; }
  bool dirty() const { return m_dirty; }
  const gfx::Matrix4& matrix() const { return m_matrix; }
  bitmap::Bitmap* textureBitmap() const { return m_texture; }
  // Corner `corner` of triangle `triangle` as set (screen mode: the position before the transform); both in range.
  const gfx::Vertex& corner(int triangle, int corner) const;
  // Uploads of vertex data so far.
  std::uint64_t uploadCount() const;
  // Whether `triangle` is past what one object may hold (the setters refuse it).
  static bool triangleOutOfRange(int triangle);

 private:
  // The corner's vertex after growing to fit `triangle`; null when the indices are refused.
  gfx::Vertex* cornerForWrite(int triangle, int corner);
  void releaseResources();
  void upload();

  bool m_dirty = false;
  bool m_worldMode = true;
  std::int32_t m_capacity = 0;
  // Three per triangle: world mode x, y, z (w unused); screen mode x, y, z, w before the transform.
  std::vector<gfx::Vertex> m_vertices;
  // What the last upload sent: the triangles that cover pixels, transformed in screen mode.
  std::vector<gfx::Vertex> m_uploadVertices;
  std::unique_ptr<gfx::VertexBuffer> m_buffer;
  bitmap::Bitmap* m_texture = nullptr;  // the script keeps it alive through the object's "bitmap" variable
  gfx::Matrix4 m_matrix;
  std::uint64_t m_uploads = 0;
};

}  // namespace scene
