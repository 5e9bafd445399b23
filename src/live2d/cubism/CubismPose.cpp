#include "live2d/cubism/CubismPose.h"

#include <cmath>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/private/Json.h"

namespace live2d::cubism {

namespace {

constexpr float kVisibleThreshold = 0.001f;
constexpr float kPhi = 0.5f;
constexpr float kBackOpacityThreshold = 0.15f;

}  // namespace

std::unique_ptr<CubismPose> CubismPose::create(std::span<const std::uint8_t> bytes) {
  const nlohmann::json root = json::parse(bytes);
  if (root.is_discarded() || !root.is_object()) {
    CUBISM_LOG_ERROR("Invalid pose: not a JSON object.\n");
    return nullptr;
  }
  auto pose = std::make_unique<CubismPose>();
  const float fade = json::number(root, "FadeInTime", 0.5f);
  pose->m_fadeTimeSeconds = fade >= 0.0f && std::isfinite(fade) ? fade : 0.5f;
  CubismIdManager* ids = CubismFramework::getIdManager();
  for (const nlohmann::json& group : json::array(root, "Groups")) {
    if (!group.is_array()) continue;
    int count = 0;
    for (const nlohmann::json& entry : group) {
      const std::string id = json::string(entry, "Id");
      if (id.empty()) continue;
      PartData part;
      part.partId = ids->getId(id);
      for (const nlohmann::json& link : json::array(entry, "Link")) {
        if (link.is_string()) part.links.push_back(PartData{ids->getId(link.get<std::string>()), -1, -1, {}});
      }
      pose->m_parts.push_back(std::move(part));
      ++count;
    }
    if (count > 0) pose->m_groupCounts.push_back(count);
  }
  return pose;
}

void CubismPose::PartData::initialize(CubismModel* model) {
  parameterIndex = model->getParameterIndex(partId);
  partIndex = model->getPartIndex(partId);
  model->setParameterValue(parameterIndex, 1.0f);
}

void CubismPose::reset(CubismModel* model) {
  std::size_t begin = 0;
  for (int count : m_groupCounts) {
    for (int i = 0; i < count; ++i) {
      PartData& part = m_parts[begin + static_cast<std::size_t>(i)];
      part.initialize(model);
      const float value = i == 0 ? 1.0f : 0.0f;
      model->setPartOpacity(part.partIndex, value);
      model->setParameterValue(part.parameterIndex, value);
      for (PartData& link : part.links) link.initialize(model);
    }
    begin += static_cast<std::size_t>(count);
  }
}

void CubismPose::updateParameters(CubismModel* model, float deltaTimeSeconds) {
  if (model != m_lastModel) reset(model);
  m_lastModel = model;
  if (!(deltaTimeSeconds >= 0.0f)) deltaTimeSeconds = 0.0f;
  std::size_t begin = 0;
  for (int count : m_groupCounts) {
    doFade(model, deltaTimeSeconds, begin, count);
    begin += static_cast<std::size_t>(count);
  }
  copyPartOpacities(model);
}

void CubismPose::doFade(CubismModel* model, float deltaTimeSeconds, std::size_t begin, int count) {
  int visible = -1;
  float newOpacity = 1.0f;
  for (int i = 0; i < count; ++i) {
    const PartData& part = m_parts[begin + static_cast<std::size_t>(i)];
    if (model->getParameterValue(part.parameterIndex) > kVisibleThreshold) {
      if (visible >= 0) break;
      visible = i;
      newOpacity = m_fadeTimeSeconds == 0.0f
                       ? 1.0f
                       : std::min(1.0f, model->getPartOpacity(part.partIndex) + deltaTimeSeconds / m_fadeTimeSeconds);
    }
  }
  if (visible < 0) {
    visible = 0;
    newOpacity = 1.0f;
  }
  for (int i = 0; i < count; ++i) {
    const PartData& part = m_parts[begin + static_cast<std::size_t>(i)];
    if (i == visible) {
      model->setPartOpacity(part.partIndex, newOpacity);
      continue;
    }
    // Hidden parts fade out a little behind the visible one's fade-in, so the pair never lets much of the
    // background through.
    float limit = newOpacity < kPhi ? newOpacity * (kPhi - 1.0f) / kPhi + 1.0f
                                    : (1.0f - newOpacity) * kPhi / (1.0f - kPhi);
    const float background = (1.0f - limit) * (1.0f - newOpacity);
    if (background > kBackOpacityThreshold) limit = 1.0f - kBackOpacityThreshold / (1.0f - newOpacity);
    const float opacity = model->getPartOpacity(part.partIndex);
    if (opacity > limit) model->setPartOpacity(part.partIndex, limit);
  }
}

void CubismPose::copyPartOpacities(CubismModel* model) {
  for (const PartData& part : m_parts) {
    const float opacity = model->getPartOpacity(part.partIndex);
    for (const PartData& link : part.links) {
      if (link.partIndex >= 0) model->setPartOpacity(link.partIndex, opacity);
    }
  }
}

}  // namespace live2d::cubism
