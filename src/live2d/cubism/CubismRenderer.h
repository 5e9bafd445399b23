#pragma once

// The renderer a user model draws through. The base keeps the settings every backend shares and builds the
// frame's draw list; a backend (the graphics layer's, or the software one) turns that list into pixels.
//
// Backends follow the same drawing rules: textures hold premultiplied alpha (converted at binding when
// the image is straight); a texel c becomes c.rgb·multiply, then c.rgb + screen·c.a − c.rgb·screen, then
// c·baseColor. Blending (premultiplied source): normal = src + dst·(1 − src.a); additive adds rgb and
// keeps dst alpha; multiplicative = src.rgb·dst.rgb + dst.rgb·(1 − src.a), keeping dst alpha. A clipped
// drawable is scaled by the coverage of its context's masks (their texture alpha, the greatest where
// several overlap), or by 1 − coverage when its mask is inverted.

#include "live2d/cubism/CubismDrawList.h"
#include "live2d/cubism/CubismMatrix44.h"
#include "live2d/cubism/CubismModel.h"

namespace live2d::cubism {

class CubismRenderer {
 public:
  virtual ~CubismRenderer() = default;

  // The model is borrowed: the user model that owns both keeps it alive for the renderer's lifetime.
  virtual void initialize(const CubismModel* model) { m_model = model; }
  void drawModel();

  void setMvpMatrix(const CubismMatrix44& matrix) { m_mvp = matrix; }
  const CubismMatrix44& getMvpMatrix() const { return m_mvp; }
  void setModelColor(float r, float g, float b, float a) { m_modelColor = {r, g, b, a}; }
  CubismTextureColor getModelColor() const { return m_modelColor; }
  void setIsPremultipliedAlpha(bool premultiplied) { m_premultipliedAlpha = premultiplied; }
  bool isPremultipliedAlpha() const { return m_premultipliedAlpha; }
  void setIsCulling(bool culling) { m_culling = culling; }
  bool isCulling() const { return m_culling; }
  void setAnisotropy(float anisotropy) { m_anisotropy = anisotropy; }
  float getAnisotropy() const { return m_anisotropy; }
  const CubismModel* getModel() const { return m_model; }

 protected:
  virtual void doDrawModel(const CubismDrawList& list) = 0;

 private:
  const CubismModel* m_model = nullptr;
  CubismMatrix44 m_mvp;
  CubismTextureColor m_modelColor;
  bool m_premultipliedAlpha = false;
  bool m_culling = false;
  float m_anisotropy = 0.0f;
  CubismDrawList m_drawList;
};

}  // namespace live2d::cubism
