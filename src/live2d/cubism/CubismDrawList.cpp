#include "live2d/cubism/CubismDrawList.h"

#include "live2d/cubism/CubismMoc.h"

#include <algorithm>
#include <limits>

namespace live2d::cubism {

void CubismDrawList::buildContexts(const CubismModel& model) {
  m_contexts.clear();
  m_contextOfDrawable.assign(static_cast<std::size_t>(model.getDrawableCount()), -1);
  std::map<std::vector<int>, int> bySet;
  for (int i = 0; i < model.getDrawableCount(); ++i) {
    std::vector<int> masks;
    for (int m : model.getDrawableMasks(i)) {
      if (m >= 0) masks.push_back(m);
    }
    if (masks.empty()) continue;
    std::sort(masks.begin(), masks.end());
    masks.erase(std::unique(masks.begin(), masks.end()), masks.end());
    auto [it, inserted] = bySet.emplace(masks, static_cast<int>(m_contexts.size()));
    if (inserted) {
      CubismClipContext context;
      context.maskDrawables = masks;
      m_contexts.push_back(std::move(context));
    }
    m_contextOfDrawable[static_cast<std::size_t>(i)] = it->second;
    m_contexts[static_cast<std::size_t>(it->second)].clippedDrawables.push_back(i);
  }
  m_contextsFor = &model;
  m_contextsForMoc = &model.moc();
}

void CubismDrawList::build(const CubismModel& model, const CubismTextureColor& modelColor, bool cullingEnabled) {
  if (m_contextsFor != &model || m_contextsForMoc != &model.moc() ||
      m_contextOfDrawable.size() != static_cast<std::size_t>(model.getDrawableCount())) {
    buildContexts(model);
  }
  for (CubismClipContext& context : m_contexts) {
    float minX = std::numeric_limits<float>::max();
    float minY = std::numeric_limits<float>::max();
    float maxX = std::numeric_limits<float>::lowest();
    float maxY = std::numeric_limits<float>::lowest();
    for (int m : context.maskDrawables) {
      const std::span<const float> p = model.getDrawableVertexPositions(m);
      for (std::size_t k = 0; k + 1 < p.size(); k += 2) {
        minX = std::min(minX, p[k]);
        maxX = std::max(maxX, p[k]);
        minY = std::min(minY, p[k + 1]);
        maxY = std::max(maxY, p[k + 1]);
      }
    }
    context.empty = !(minX < maxX && minY < maxY);
    context.minX = context.empty ? 0.0f : minX;
    context.minY = context.empty ? 0.0f : minY;
    context.maxX = context.empty ? 0.0f : maxX;
    context.maxY = context.empty ? 0.0f : maxY;
  }

  m_items.clear();
  const float modelOpacity = model.getModelOpacity();
  for (int index : model.getRenderOrderedDrawables()) {
    if (!model.isDrawableVisible(index)) continue;
    CubismDrawItem item;
    item.drawableIndex = index;
    item.textureIndex = model.getDrawableTextureIndex(index);
    item.blendMode = model.getDrawableBlendMode(index);
    item.culling = cullingEnabled && model.getDrawableCulling(index);
    item.invertedMask = model.getDrawableInvertedMask(index);
    item.clipContext = m_contextOfDrawable[static_cast<std::size_t>(index)];
    const float alpha = modelColor.a * model.getDrawableOpacity(index) * modelOpacity;
    item.baseColor = {modelColor.r * alpha, modelColor.g * alpha, modelColor.b * alpha, alpha};
    item.multiplyColor = model.getDrawableMultiplyColor(index);
    item.screenColor = model.getDrawableScreenColor(index);
    item.positions = model.getDrawableVertexPositions(index);
    item.uvs = model.getDrawableVertexUvs(index);
    item.indices = model.getDrawableVertexIndices(index);
    m_items.push_back(item);
  }
}

}  // namespace live2d::cubism
