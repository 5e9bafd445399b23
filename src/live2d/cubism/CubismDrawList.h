#pragma once

// What a renderer needs to draw one frame of a model, without any graphics API: the visible drawables in
// drawing order with their geometry, texture slot, blend mode, culling, colours and clipping, plus the
// clipping contexts (one per distinct set of mask drawables, shared by every drawable clipped by that
// set) so a renderer draws each mask once per frame.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "live2d/cubism/CubismModel.h"

namespace live2d::cubism {

struct CubismDrawItem {
  int drawableIndex = 0;
  int textureIndex = 0;
  CubismBlendMode blendMode = CubismBlendMode::Normal;
  // Cull back faces (clockwise in y-up clip space): the renderer's culling switch and a single-sided mesh.
  bool culling = false;
  bool invertedMask = false;
  int clipContext = -1;  // into CubismDrawList::clipContexts(), -1 when not clipped
  // Model colour times drawable and model opacity, rgb premultiplied by that alpha.
  CubismTextureColor baseColor;
  CubismTextureColor multiplyColor;
  CubismTextureColor screenColor;
  std::span<const float> positions;  // x, y pairs, model units, y up
  std::span<const float> uvs;        // u, v pairs, v down
  std::span<const std::uint16_t> indices;
};

struct CubismClipContext {
  std::vector<int> maskDrawables;     // sorted drawable indices whose coverage forms the mask
  std::vector<int> clippedDrawables;  // drawables using this context
  // Bounds of the masks' current vertices (model units); empty when every mask is degenerate.
  float minX = 0.0f;
  float minY = 0.0f;
  float maxX = 0.0f;
  float maxY = 0.0f;
  bool empty = true;
};

class CubismDrawList {
 public:
  // Rebuilds the list from the model's last update().
  void build(const CubismModel& model, const CubismTextureColor& modelColor, bool cullingEnabled);

  const std::vector<CubismDrawItem>& items() const { return m_items; }
  const std::vector<CubismClipContext>& clipContexts() const { return m_contexts; }

 private:
  void buildContexts(const CubismModel& model);

  // The contexts depend only on the moc; a different model or moc at a reused address must rebuild them.
  const CubismModel* m_contextsFor = nullptr;
  const CubismMoc* m_contextsForMoc = nullptr;
  std::vector<int> m_contextOfDrawable;
  std::vector<CubismClipContext> m_contexts;
  std::vector<CubismDrawItem> m_items;
};

}  // namespace live2d::cubism
