#pragma once

// Draws a SkeletonMesh through the graphics layer: its vertices and indices go up in one upload when they changed,
// and each batch is one indexed draw with its page texture, sampled as the atlas asks, and its blend mode. The
// skeleton's pixels are blended premultiplied, so that multiply and screen slots darken and lighten what lies
// below as they do in the editor; normal and additive slots look as they would blended straight. The depth test
// passes at or below depth 0.5, where every vertex lies, and writes it where a pixel is not fully transparent.
//
// The game's `Spine` objects and the spine-render tool both draw through this. Page textures are the bitmaps of
// MyTextureLoader. The device's states are left as the last batch set them.

#include <cstdint>

#include "platform/gfx/Types.h"
#include "platform/gfx/VertexBuffer.h"
#include "skeleton/runtime/SlotData.h"

namespace gfx {
class Device;
}

namespace skeleton {

class SkeletonMesh;

// Source and destination factors of the colour channels for a blend mode, with premultiplied source colours.
struct BlendFactors {
  gfx::Blend source = gfx::Blend::One;
  gfx::Blend destination = gfx::Blend::InvSrcAlpha;
  bool operator==(const BlendFactors&) const = default;
};
BlendFactors blendFactors(spine::BlendMode mode);

class SkeletonDrawer {
 public:
  // Draws into the device's current target with the skeleton origin at target pixel (originX, originY) and y up.
  // `changed` says the mesh differs from the one last drawn; a buffer that lost its GPU copy is filled again anyway.
  void draw(gfx::Device& device, const SkeletonMesh& mesh, bool changed, float originX, float originY);

  // Vertex uploads so far.
  std::uint64_t uploadCount() const { return m_buffer.uploadCount(); }

 private:
  gfx::VertexBuffer m_buffer;
};

}  // namespace skeleton
