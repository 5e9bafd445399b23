#pragma once

// One instance of a model: parameter values, part opacities and the evaluated drawables. update() turns
// the current parameters into vertex positions, opacities, colours and the render order.
//
// Conventions of the results: positions are in model units (canvas pixels / pixels per unit) relative to
// the canvas origin with y pointing UP, as the framework's matrices expect. UVs are as authored: v grows
// downward, so v = 0 is the top row of the texture image.

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismMoc;
class ModelEvaluator;

enum class CubismBlendMode { Normal = 0, Additive = 1, Multiplicative = 2 };

struct CubismTextureColor {
  float r = 1.0f;
  float g = 1.0f;
  float b = 1.0f;
  float a = 1.0f;
};

class CubismModel {
 public:
  explicit CubismModel(std::shared_ptr<const CubismMoc> moc);
  ~CubismModel();
  CubismModel(const CubismModel&) = delete;
  CubismModel& operator=(const CubismModel&) = delete;

  // Evaluates the model for the current parameter values and part opacities.
  void update();

  const CubismMoc& moc() const { return *m_moc; }

  // Canvas, in model units (width and height) and in pixels (origin).
  float getCanvasWidth() const;
  float getCanvasHeight() const;
  float getPixelsPerUnit() const;
  float getCanvasOriginX() const;
  float getCanvasOriginY() const;

  // Parameters. An id the model does not have gets an index past getParameterCount(): its value is kept
  // (unclamped) so motions and poses can use such ids as plain variables.
  int getParameterCount() const;
  int getParameterIndex(CubismIdHandle id);
  CubismIdHandle getParameterId(int index) const;
  float getParameterMinimumValue(int index) const;
  float getParameterMaximumValue(int index) const;
  float getParameterDefaultValue(int index) const;
  bool isParameterRepeat(int index) const;
  bool isParameterBlendShape(int index) const;
  float getParameterValue(int index) const;
  float getParameterValue(CubismIdHandle id) const;  // 0 for an id never used with this model
  // value·weight + current·(1 − weight); clamped to the range, or wrapped for repeat parameters.
  void setParameterValue(int index, float value, float weight = 1.0f);
  void setParameterValue(CubismIdHandle id, float value, float weight = 1.0f);
  void addParameterValue(int index, float value, float weight = 1.0f);
  void addParameterValue(CubismIdHandle id, float value, float weight = 1.0f);
  void multiplyParameterValue(int index, float value, float weight = 1.0f);
  void multiplyParameterValue(CubismIdHandle id, float value, float weight = 1.0f);
  // The saved set is the base each frame starts from.
  void saveParameters();
  void loadParameters();

  // Parts. Opacities are runtime values; they start at the authored visibility (1 or 0).
  int getPartCount() const;
  int getPartIndex(CubismIdHandle id);
  CubismIdHandle getPartId(int index) const;
  int getPartParentPartIndex(int index) const;
  float getPartOpacity(int index) const;
  float getPartOpacity(CubismIdHandle id) const;
  void setPartOpacity(int index, float opacity);
  void setPartOpacity(CubismIdHandle id, float opacity);

  // Drawables (art meshes), by moc index. Results are those of the last update().
  int getDrawableCount() const;
  int getDrawableIndex(CubismIdHandle id) const;
  CubismIdHandle getDrawableId(int index) const;
  int getDrawableTextureIndex(int index) const;
  CubismBlendMode getDrawableBlendMode(int index) const;
  bool getDrawableCulling(int index) const;  // true for single-sided meshes
  bool getDrawableInvertedMask(int index) const;
  int getDrawableParentPartIndex(int index) const;
  int getDrawableVertexCount(int index) const;
  std::span<const float> getDrawableVertexPositions(int index) const;  // x, y pairs
  std::span<const float> getDrawableVertexUvs(int index) const;        // u, v pairs
  std::span<const std::uint16_t> getDrawableVertexIndices(int index) const;
  std::span<const int> getDrawableMasks(int index) const;
  float getDrawableOpacity(int index) const;
  int getDrawableDrawOrder(int index) const;
  int getDrawableRenderOrder(int index) const;
  bool getDrawableEnabled(int index) const;
  // Enabled and not fully transparent.
  bool isDrawableVisible(int index) const;
  CubismTextureColor getDrawableMultiplyColor(int index) const;
  CubismTextureColor getDrawableScreenColor(int index) const;
  // Drawable indices in the order they are drawn, back to front.
  std::span<const int> getRenderOrderedDrawables() const;

  // Whole-model opacity (motions' "Opacity" curve); renderers multiply it in.
  float getModelOpacity() const { return m_modelOpacity; }
  void setModelOpacity(float opacity) { m_modelOpacity = opacity; }

 private:
  float clampOrWrap(int index, float value) const;
  int findParameterIndex(CubismIdHandle id) const;
  int findPartIndex(CubismIdHandle id) const;
  float* extraValue(int index);

  std::shared_ptr<const CubismMoc> m_moc;
  std::unique_ptr<ModelEvaluator> m_evaluator;
  std::vector<CubismIdHandle> m_parameterIds;
  std::vector<CubismIdHandle> m_partIds;
  std::vector<CubismIdHandle> m_drawableIds;
  std::unordered_map<CubismIdHandle, int> m_parameterIndexById;
  std::unordered_map<CubismIdHandle, int> m_partIndexById;
  std::unordered_map<CubismIdHandle, int> m_drawableIndexById;
  std::vector<float> m_parameterValues;
  std::vector<float> m_savedParameters;
  std::vector<float> m_partOpacities;
  // Values of ids the model does not have, indexed from getParameterCount() / getPartCount().
  std::unordered_map<CubismIdHandle, int> m_extraParameterIndexById;
  std::vector<float> m_extraParameterValues;
  std::unordered_map<CubismIdHandle, int> m_extraPartIndexById;
  std::vector<float> m_extraPartOpacities;
  float m_modelOpacity = 1.0f;
};

}  // namespace live2d::cubism
