#include "live2d/L2DFramePass.h"

#include "live2d/L2D.h"
#include "live2d/L2DClass.h"
#include "live2d/LAppAllocator.h"
#include "live2d/LAppLog.h"
#include "live2d/LAppTextureManager.h"
#include "live2d/Live2D.h"
#include "live2d/StraightAlpha.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"
#include "render/Renderer.h"

namespace live2d {

namespace {

// Set when a renderer's context went with the models' device resources; the next frame makes them again.
bool g_restorePending = false;

void releaseWithContext() {
  releaseL2DDeviceResources();
  g_restorePending = true;
}

}  // namespace

void startFramework() {
  static bool started = false;
  if (started) return;
  started = true;
  static LAppAllocator allocator;
  cubism::CubismFrameworkOption option;
  option.logFunction = frameworkLog;
  option.loggingLevel = cubism::LogLevel::Verbose;
  cubism::CubismFramework::startUp(&allocator, &option);
  cubism::CubismFramework::initialize();
  if (render::Renderer* renderer = render::currentRenderer()) {
    cubism::CubismRenderer_D3D9::initializeConstantSettings(1, &renderer->device());
  }
  render::addContextReleaseHook(releaseWithContext);
}

void defineLive2D() {
  startFramework();
  defineL2DClass();
}

void renderL2DFrames(render::Renderer& renderer, double seconds) {
  if (g_restorePending) {
    g_restorePending = false;
    restoreL2DDeviceResources();
  }
  const int width = renderer.screenWidth();
  const int height = renderer.screenHeight();
  gfx::Device& device = renderer.device();
  cubism::CubismRenderer_D3D9::startFrame(&device, width, height);
  const auto elapsed = static_cast<float>(seconds);
  // A model's update runs no script, so the list cannot change during the walk.
  for (L2D* object : l2dList()) object->renderFrame(device, width, height, elapsed);
  cubism::CubismRenderer_D3D9::endFrame(&device);
}

void releaseL2DDeviceResources() {
  for (L2D* object : l2dList()) object->releaseDeviceResources();
  cubism::CubismRenderer_D3D9::onDeviceLost();
  textureManager().releaseTextures();
  releaseStraightAlphaShader();
}

void restoreL2DDeviceResources() {
  for (L2D* object : l2dList()) object->restoreDeviceResources();
}

void L2DFrameScene::prepareFrame(render::Renderer& renderer, double seconds) {
  // The scene settles the collector first, so no garbage L2D is still listed when the models are drawn.
  m_scene.prepareFrame(renderer, seconds);
  renderL2DFrames(renderer, seconds);
}

void L2DFrameScene::releaseDeviceResources(render::Renderer& renderer) {
  releaseL2DDeviceResources();
  m_scene.releaseDeviceResources(renderer);
}

void L2DFrameScene::restoreDeviceResources(render::Renderer& renderer) {
  m_scene.restoreDeviceResources(renderer);
  g_restorePending = false;
  restoreL2DDeviceResources();
}

void installFramePass() {
  render::FrameScene* current = render::frameScene();
  if (current == nullptr || dynamic_cast<L2DFrameScene*>(current) != nullptr) return;
  // Never destroyed, like the scene it wraps: renderers may reach it until the process ends.
  static L2DFrameScene* wrapper = nullptr;
  if (wrapper == nullptr || &wrapper->wrapped() != current) wrapper = new L2DFrameScene(*current);
  render::setFrameScene(wrapper);
}

}  // namespace live2d
