#include "live2d/cubism/CubismModel.h"

#include <cmath>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/private/MocData.h"
#include "live2d/cubism/private/ModelEvaluator.h"

namespace live2d::cubism {

namespace {

template <class T>
void collectIds(const std::vector<T>& records, std::vector<CubismIdHandle>& ids,
                std::unordered_map<CubismIdHandle, int>& byId) {
  CubismIdManager* manager = CubismFramework::getIdManager();
  ids.reserve(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    ids.push_back(manager->getId(records[i].id));
    byId.emplace(ids.back(), static_cast<int>(i));  // the first of duplicate ids wins
  }
}

}  // namespace

CubismModel::CubismModel(std::shared_ptr<const CubismMoc> moc)
    : m_moc(std::move(moc)), m_evaluator(std::make_unique<ModelEvaluator>(m_moc->data())) {
  const MocData& data = m_moc->data();
  collectIds(data.parameters, m_parameterIds, m_parameterIndexById);
  collectIds(data.parts, m_partIds, m_partIndexById);
  collectIds(data.artMeshes, m_drawableIds, m_drawableIndexById);
  m_parameterValues.reserve(data.parameters.size());
  for (const MocParameter& p : data.parameters) m_parameterValues.push_back(p.defaultValue);
  m_savedParameters = m_parameterValues;
  m_partOpacities.reserve(data.parts.size());
  for (const MocPart& p : data.parts) m_partOpacities.push_back(p.visible ? 1.0f : 0.0f);
}

CubismModel::~CubismModel() = default;

void CubismModel::update() { m_evaluator->evaluate(m_parameterValues.data(), m_partOpacities.data()); }

float CubismModel::getCanvasWidth() const { return m_moc->data().canvas.width / m_moc->data().canvas.pixelsPerUnit; }
float CubismModel::getCanvasHeight() const { return m_moc->data().canvas.height / m_moc->data().canvas.pixelsPerUnit; }
float CubismModel::getPixelsPerUnit() const { return m_moc->data().canvas.pixelsPerUnit; }
float CubismModel::getCanvasOriginX() const { return m_moc->data().canvas.originX; }
float CubismModel::getCanvasOriginY() const { return m_moc->data().canvas.originY; }

int CubismModel::getParameterCount() const { return static_cast<int>(m_parameterValues.size()); }

int CubismModel::getParameterIndex(CubismIdHandle id) {
  if (auto it = m_parameterIndexById.find(id); it != m_parameterIndexById.end()) return it->second;
  if (auto it = m_extraParameterIndexById.find(id); it != m_extraParameterIndexById.end()) return it->second;
  const int index = getParameterCount() + static_cast<int>(m_extraParameterValues.size());
  m_extraParameterIndexById.emplace(id, index);
  m_extraParameterValues.push_back(0.0f);
  return index;
}

CubismIdHandle CubismModel::getParameterId(int index) const {
  if (index >= 0 && index < getParameterCount()) return m_parameterIds[static_cast<std::size_t>(index)];
  for (const auto& [id, extra] : m_extraParameterIndexById) {
    if (extra == index) return id;
  }
  return nullptr;
}

float CubismModel::getParameterMinimumValue(int index) const {
  return index >= 0 && index < getParameterCount() ? m_moc->data().parameters[static_cast<std::size_t>(index)].minimum : 0.0f;
}
float CubismModel::getParameterMaximumValue(int index) const {
  return index >= 0 && index < getParameterCount() ? m_moc->data().parameters[static_cast<std::size_t>(index)].maximum : 0.0f;
}
float CubismModel::getParameterDefaultValue(int index) const {
  return index >= 0 && index < getParameterCount() ? m_moc->data().parameters[static_cast<std::size_t>(index)].defaultValue
                                                   : 0.0f;
}
bool CubismModel::isParameterRepeat(int index) const {
  return index >= 0 && index < getParameterCount() && m_moc->data().parameters[static_cast<std::size_t>(index)].repeat;
}
bool CubismModel::isParameterBlendShape(int index) const {
  return index >= 0 && index < getParameterCount() &&
         m_moc->data().parameters[static_cast<std::size_t>(index)].type == MocParameterType::BlendShape;
}

float* CubismModel::extraValue(int index) {
  const int extra = index - getParameterCount();
  if (extra < 0 || extra >= static_cast<int>(m_extraParameterValues.size())) return nullptr;
  return &m_extraParameterValues[static_cast<std::size_t>(extra)];
}

float CubismModel::getParameterValue(int index) const {
  if (index >= 0 && index < getParameterCount()) return m_parameterValues[static_cast<std::size_t>(index)];
  const int extra = index - getParameterCount();
  if (extra >= 0 && extra < static_cast<int>(m_extraParameterValues.size())) {
    return m_extraParameterValues[static_cast<std::size_t>(extra)];
  }
  return 0.0f;
}

int CubismModel::findParameterIndex(CubismIdHandle id) const {
  if (auto it = m_parameterIndexById.find(id); it != m_parameterIndexById.end()) return it->second;
  if (auto it = m_extraParameterIndexById.find(id); it != m_extraParameterIndexById.end()) return it->second;
  return -1;
}

float CubismModel::getParameterValue(CubismIdHandle id) const { return getParameterValue(findParameterIndex(id)); }

float CubismModel::clampOrWrap(int index, float value) const {
  const MocParameter& p = m_moc->data().parameters[static_cast<std::size_t>(index)];
  if (std::isnan(value)) return p.defaultValue;
  if (p.repeat) {
    const float size = p.maximum - p.minimum;
    if (size <= 0.0f) return p.minimum;
    if (value < p.minimum || value > p.maximum) {
      float folded = std::fmod(value - p.minimum, size);
      if (folded < 0.0f) folded += size;
      return p.minimum + folded;
    }
    return value;
  }
  return value < p.minimum ? p.minimum : (value > p.maximum ? p.maximum : value);
}

void CubismModel::setParameterValue(int index, float value, float weight) {
  if (index >= 0 && index < getParameterCount()) {
    float& current = m_parameterValues[static_cast<std::size_t>(index)];
    current = clampOrWrap(index, weight == 1.0f ? value : current * (1.0f - weight) + value * weight);
  } else if (float* extra = extraValue(index)) {
    *extra = weight == 1.0f ? value : *extra * (1.0f - weight) + value * weight;
  }
}

void CubismModel::setParameterValue(CubismIdHandle id, float value, float weight) {
  setParameterValue(getParameterIndex(id), value, weight);
}

void CubismModel::addParameterValue(int index, float value, float weight) {
  setParameterValue(index, getParameterValue(index) + value * weight);
}

void CubismModel::addParameterValue(CubismIdHandle id, float value, float weight) {
  addParameterValue(getParameterIndex(id), value, weight);
}

void CubismModel::multiplyParameterValue(int index, float value, float weight) {
  setParameterValue(index, getParameterValue(index) * (1.0f + (value - 1.0f) * weight));
}

void CubismModel::multiplyParameterValue(CubismIdHandle id, float value, float weight) {
  multiplyParameterValue(getParameterIndex(id), value, weight);
}

void CubismModel::saveParameters() { m_savedParameters = m_parameterValues; }
void CubismModel::loadParameters() { m_parameterValues = m_savedParameters; }

int CubismModel::getPartCount() const { return static_cast<int>(m_partOpacities.size()); }

int CubismModel::getPartIndex(CubismIdHandle id) {
  if (auto it = m_partIndexById.find(id); it != m_partIndexById.end()) return it->second;
  if (auto it = m_extraPartIndexById.find(id); it != m_extraPartIndexById.end()) return it->second;
  const int index = getPartCount() + static_cast<int>(m_extraPartOpacities.size());
  m_extraPartIndexById.emplace(id, index);
  m_extraPartOpacities.push_back(0.0f);
  return index;
}

CubismIdHandle CubismModel::getPartId(int index) const {
  return index >= 0 && index < getPartCount() ? m_partIds[static_cast<std::size_t>(index)] : nullptr;
}

int CubismModel::getPartParentPartIndex(int index) const {
  return index >= 0 && index < getPartCount() ? m_moc->data().parts[static_cast<std::size_t>(index)].parentPartIndex : -1;
}

float CubismModel::getPartOpacity(int index) const {
  if (index >= 0 && index < getPartCount()) return m_partOpacities[static_cast<std::size_t>(index)];
  const int extra = index - getPartCount();
  if (extra >= 0 && extra < static_cast<int>(m_extraPartOpacities.size())) {
    return m_extraPartOpacities[static_cast<std::size_t>(extra)];
  }
  return 0.0f;
}

int CubismModel::findPartIndex(CubismIdHandle id) const {
  if (auto it = m_partIndexById.find(id); it != m_partIndexById.end()) return it->second;
  if (auto it = m_extraPartIndexById.find(id); it != m_extraPartIndexById.end()) return it->second;
  return -1;
}

float CubismModel::getPartOpacity(CubismIdHandle id) const { return getPartOpacity(findPartIndex(id)); }

void CubismModel::setPartOpacity(int index, float opacity) {
  if (index >= 0 && index < getPartCount()) {
    m_partOpacities[static_cast<std::size_t>(index)] = opacity;
    return;
  }
  const int extra = index - getPartCount();
  if (extra >= 0 && extra < static_cast<int>(m_extraPartOpacities.size())) {
    m_extraPartOpacities[static_cast<std::size_t>(extra)] = opacity;
  }
}

void CubismModel::setPartOpacity(CubismIdHandle id, float opacity) { setPartOpacity(getPartIndex(id), opacity); }

int CubismModel::getDrawableCount() const { return static_cast<int>(m_drawableIds.size()); }

int CubismModel::getDrawableIndex(CubismIdHandle id) const {
  auto it = m_drawableIndexById.find(id);
  return it == m_drawableIndexById.end() ? -1 : it->second;
}

#define CUBISM_MESH(index) m_moc->data().artMeshes[static_cast<std::size_t>(index)]

CubismIdHandle CubismModel::getDrawableId(int index) const { return m_drawableIds[static_cast<std::size_t>(index)]; }
int CubismModel::getDrawableTextureIndex(int index) const { return CUBISM_MESH(index).textureIndex; }
CubismBlendMode CubismModel::getDrawableBlendMode(int index) const {
  switch (CUBISM_MESH(index).flags & 0x3) {
    case 1: return CubismBlendMode::Additive;
    case 2: return CubismBlendMode::Multiplicative;
    default: return CubismBlendMode::Normal;
  }
}
bool CubismModel::getDrawableCulling(int index) const { return (CUBISM_MESH(index).flags & 0x4) == 0; }
bool CubismModel::getDrawableInvertedMask(int index) const { return (CUBISM_MESH(index).flags & 0x8) != 0; }
int CubismModel::getDrawableParentPartIndex(int index) const { return CUBISM_MESH(index).parentPartIndex; }
int CubismModel::getDrawableVertexCount(int index) const { return CUBISM_MESH(index).vertexCount; }

std::span<const float> CubismModel::getDrawableVertexPositions(int index) const {
  const auto i = static_cast<std::size_t>(index);
  return {m_evaluator->positions.data() + m_evaluator->positionOffsets[i],
          2 * static_cast<std::size_t>(CUBISM_MESH(index).vertexCount)};
}

std::span<const float> CubismModel::getDrawableVertexUvs(int index) const {
  const MocArtMesh& mesh = CUBISM_MESH(index);
  return {m_moc->data().uvs.data() + mesh.uvBegin, 2 * static_cast<std::size_t>(mesh.vertexCount)};
}

std::span<const std::uint16_t> CubismModel::getDrawableVertexIndices(int index) const {
  const MocArtMesh& mesh = CUBISM_MESH(index);
  return {m_moc->data().positionIndices.data() + mesh.indexBegin, static_cast<std::size_t>(mesh.indexCount)};
}

std::span<const int> CubismModel::getDrawableMasks(int index) const {
  const MocArtMesh& mesh = CUBISM_MESH(index);
  return {m_moc->data().drawableMasks.data() + mesh.maskBegin, static_cast<std::size_t>(mesh.maskCount)};
}

#undef CUBISM_MESH

float CubismModel::getDrawableOpacity(int index) const { return m_evaluator->opacities[static_cast<std::size_t>(index)]; }
int CubismModel::getDrawableDrawOrder(int index) const {
  const float order = m_evaluator->drawOrders[static_cast<std::size_t>(index)];
  return std::isfinite(order) ? static_cast<int>(std::lround(order)) : 0;
}
int CubismModel::getDrawableRenderOrder(int index) const {
  return m_evaluator->renderOrders[static_cast<std::size_t>(index)];
}
bool CubismModel::getDrawableEnabled(int index) const { return m_evaluator->enabled[static_cast<std::size_t>(index)] != 0; }
bool CubismModel::isDrawableVisible(int index) const {
  return getDrawableEnabled(index) && getDrawableOpacity(index) > 0.0f && getDrawableRenderOrder(index) >= 0;
}

CubismTextureColor CubismModel::getDrawableMultiplyColor(int index) const {
  const Rgb& c = m_evaluator->multiplyColors[static_cast<std::size_t>(index)];
  return {c.r, c.g, c.b, 1.0f};
}

CubismTextureColor CubismModel::getDrawableScreenColor(int index) const {
  const Rgb& c = m_evaluator->screenColors[static_cast<std::size_t>(index)];
  return {c.r, c.g, c.b, 1.0f};
}

std::span<const int> CubismModel::getRenderOrderedDrawables() const { return m_evaluator->drawSequence; }

}  // namespace live2d::cubism
