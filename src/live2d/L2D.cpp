#include "live2d/L2D.h"

#include <algorithm>

#include "live2d/LAppModel.h"
#include "live2d/StraightAlpha.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"

namespace live2d {

namespace {

std::vector<L2D*>& list() {
  static std::vector<L2D*> objects;
  return objects;
}

}  // namespace

const std::vector<L2D*>& l2dList() { return list(); }

L2D::L2D() {
  Sprite::resetDefaults();
  L2D::resetDefaults();
  ownSourceRect();
  list().push_back(this);
}

L2D::~L2D() {
  if (!disposed()) L2D::dispose();
}

void L2D::resetDefaults() {
  modelZoomX = modelZoomY = 1.0f;
  modelX = modelY = 0;
  lookX = lookY = 0;
}

void L2D::dispose() {
  if (disposed()) return;
  Sprite::dispose();
  m_picture.reset();
  m_model.reset();
  std::erase(list(), this);
}

gfx::Texture* L2D::texture() { return m_picture.get(); }

void L2D::load(const std::string& dir, const std::string& fileName, int screenWidth, int screenHeight) {
  m_picture.reset();
  m_model.reset();
  m_model = std::make_unique<LAppModel>();
  m_model->loadAssets(dir, fileName);
  if (sourceRect != nullptr) *sourceRect = {0, 0, screenWidth, screenHeight};
}

bool L2D::modelLoaded() const { return m_model != nullptr && m_model->isLoaded(); }

cubism::CubismIdHandle L2D::parameterId(std::string_view name) {
  if (auto found = m_parameterIds.find(name); found != m_parameterIds.end()) return found->second;
  const cubism::CubismIdHandle id = cubism::CubismFramework::getIdManager()->getId(name);
  m_parameterIds.emplace(std::string(name), id);
  return id;
}

ModelPlacement L2D::placement(int screenWidth, int screenHeight) const {
  return {screenWidth, screenHeight, modelX, modelY, modelZoomX, modelZoomY};
}

void L2D::renderFrame(gfx::Device& device, int screenWidth, int screenHeight, float elapsedSeconds) {
  if (!m_model) return;
  // Time runs for a hidden model too, so it shows where it would have been when it appears.
  m_model->update(elapsedSeconds);
  if (!m_model->isLoaded() || m_model->renderer() == nullptr) return;
  if (!visible || !inDrawList) return;

  cubism::CubismOffscreenFrame_D3D9& frame = m_model->renderBuffer();
  if (!frame.createOffscreenFrame(device, screenWidth, screenHeight) || !frame.beginDraw()) return;
  frame.clear(0.0f, 0.0f, 0.0f, 0.0f);
  cubism::CubismMatrix44 mvp = modelProjection(placement(screenWidth, screenHeight));
  mvp.multiplyByMatrix(*m_model->getModelMatrix());
  m_model->renderer()->setMvpMatrix(mvp);
  m_model->renderer()->drawModel();
  frame.endDraw();
  const gfx::Rect drawn = drawnBounds(*m_model->getModel(), mvp, screenWidth, screenHeight);

  if (!m_picture || m_picture->width() != screenWidth || m_picture->height() != screenHeight) {
    m_picture = gfx::Texture::createRenderTarget(screenWidth, screenHeight);
  }
  if (m_picture && !copyStraightAlpha(device, *frame.getTexture(), *m_picture, drawn)) m_picture.reset();
  if (sourceRect != nullptr) *sourceRect = {0, 0, screenWidth, screenHeight};
}

void L2D::releaseDeviceResources() {
  m_picture.reset();
  if (m_model) m_model->releaseDeviceResources();
}

void L2D::restoreDeviceResources() {
  if (m_model) m_model->restoreDeviceResources();
}

}  // namespace live2d
