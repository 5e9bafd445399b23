#include "scene/SceneFrame.h"

#include <algorithm>

#include "bitmap/Bitmap.h"
#include "engine/Engine.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "render/SceneEffect.h"
#include "scene/DrawSprite.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"
#include "scene/ViewportMath.h"
#include "scene/Window.h"

namespace scene {

namespace {

constexpr gfx::Vector3 kOrigin{0.0f, 0.0f, 0.5f};

void drawObject(render::Renderer& renderer, Sprite& object, const Viewport* viewport, bool batched) {
  object.applySamplerAddress(renderer.device());
  drawSprite(renderer, object, viewport, batched);
  object.afterDraw();
}

// Draws a viewport's sorted list into the bound target, runs of a fast layer in one pass; the caller has begun the
// batch and set the device rectangle the objects are clipped to.
void drawList(render::Renderer& renderer, Viewport& viewport) {
  gfx::SpriteBatch& batch = renderer.batch();
  render::SceneEffect& effect = renderer.effect();
  std::vector<double> zs;
  zs.reserve(viewport.drawList.size());
  for (const Sprite* object : viewport.drawList) zs.push_back(object->effectiveZ);
  const std::vector<LayerStep> steps = planFastLayers(zs, viewport.fastLayers);
  // Drawing may not change the list (no script runs here), so the plan and the list stay in step.
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const LayerStep& step = steps[i];
    if (step.endGroupBefore) {
      batch.flush();
      effect.endPass();
    }
    if (step.beginGroup) effect.beginPass(static_cast<unsigned>(step.pass));
    drawObject(renderer, *viewport.drawList[i], &viewport, step.batched);
  }
  if (groupOpenAtEnd(steps)) {
    batch.flush();
    effect.endPass();
  }
}

bool drawsOnScreen(const Viewport& viewport) {
  return drawsOnScreen(viewport.visible, *viewport.tone, !viewport.effectName.empty(), viewport.flashState);
}

void ensureTarget(render::Renderer& renderer, Viewport& viewport) {
  const int width = renderer.screenWidth();
  const int height = renderer.screenHeight();
  if (viewport.target && viewport.target->width() == width && viewport.target->height() == height) return;
  viewport.target = gfx::Texture::createRenderTarget(width, height);
  viewport.targetClean = true;
}

// The smallest device rectangle covering both.
gfx::Viewport cover(const gfx::Viewport& a, const gfx::Viewport& b) {
  if (a.width <= 0 || a.height <= 0) return b;
  if (b.width <= 0 || b.height <= 0) return a;
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top, 0.0f, 1.0f};
}

// Draws the viewport's target onto the screen with its tone or custom effect; false when it has no target.
bool compositePicture(render::Renderer& renderer, Viewport& viewport) {
  if (!viewport.target) return false;
  gfx::SpriteBatch& batch = renderer.batch();
  render::SceneEffect& effect = renderer.effect();
  const bindings::Tone& tone = *viewport.tone;
  const float toneVector[4] = {tone.red, tone.green, tone.blue, tone.gray};
  effect.effect()->setVector(effect.handle(render::EffectParam::Tone), toneVector, 4);
  const bool custom = !viewport.effectName.empty();
  if (custom) {
    for (const auto& [name, value] : viewport.floatEffectParams) effect.effect()->setFloat(name, value);
    for (const auto& [name, image] : viewport.textureEffectParams) {
      if (const gfx::Texture* texture = image != nullptr ? image->texture() : nullptr) {
        effect.effect()->setTexture(name, texture);
      }
    }
    effect.beginPassByName(viewport.effectName);
  } else {
    effect.beginPassByName("DivideAlpha");
  }
  const auto alpha = static_cast<std::uint32_t>(compositeAlpha(viewport.flashState));
  if (custom) {
    batch.draw(viewport.target.get(), nullptr, nullptr, &kOrigin, (alpha << 24) | 0xFFFFFFu);
  } else if (!viewport.targetClean) {
    // The pass draws nothing where the target is transparent (the alpha test drops it): only the area drawn
    // into is composited.
    const gfx::Viewport& drawn = viewport.targetDrawnArea;
    const gfx::Rect source{drawn.x, drawn.y, drawn.x + drawn.width, drawn.y + drawn.height};
    const gfx::Vector3 position{static_cast<float>(drawn.x), static_cast<float>(drawn.y), kOrigin.z};
    batch.draw(viewport.target.get(), &source, nullptr, &position, (alpha << 24) | 0xFFFFFFu);
  }
  batch.flush();
  effect.endPass();
  if (custom) {
    effect.beginPass(0);
    effect.endPass();
  }
  return true;
}

std::unique_ptr<bitmap::Bitmap> whitePixel() {
  auto image = std::make_unique<bitmap::Bitmap>();
  const bitmap::Pixel white = 0xFFFFFFFF;
  if (!image->adopt(bitmap::ConstPixelView(&white, 1, 1, 1))) return nullptr;
  return image;
}

}  // namespace

SceneFrame::SceneFrame() = default;
SceneFrame::~SceneFrame() = default;

void SceneFrame::prepareFrame(render::Renderer& /*renderer*/, double /*seconds*/) {
  // Garbage objects still listed may point at records already released with them; release them all first.
  engine::settleCollector();
  layoutWindows();
  const std::vector<Viewport*>& viewports = viewportList();
  for (Viewport* viewport : viewports) {
    for (Sprite* object : viewport->drawList) object->prepareFrame();
  }
  for (Viewport* viewport : viewports) {
    for (Sprite* object : viewport->drawList) {
      if (object->parent == nullptr) object->computeEffective();
    }
  }
  for (Viewport* viewport : viewports) viewport->drawList.sort();
  m_sorted.assign(viewports.begin(), viewports.end());
  sortViewports(m_sorted);
}

void SceneFrame::renderViewport(render::Renderer& renderer, Viewport& viewport) {
  if (viewport.disposed() || &viewport == &screenViewport()) return;
  ensureTarget(renderer, viewport);
  if (!viewport.target) return;
  gfx::Device& device = renderer.device();
  gfx::SpriteBatch& batch = renderer.batch();
  device.setRenderTarget(0, viewport.target.get());
  const gfx::Viewport area = clipToScreen(viewport.rectangle(), renderer.screenWidth(), renderer.screenHeight());
  // Only the rectangle is drawn into: clearing it with the area drawn last keeps the rest transparent.
  if (!viewport.targetClean) {
    device.setViewport(cover(area, viewport.targetDrawnArea));
    device.clear(gfx::ClearFlags::Target, 0);
    viewport.targetClean = true;
  }
  device.setViewport(area);
  batch.begin(true);
  const std::uint64_t drawsBefore = device.drawCallCount();
  drawList(renderer, viewport);
  batch.end();
  if (device.drawCallCount() != drawsBefore) {
    viewport.targetClean = false;
    viewport.targetDrawnArea = area;
  }
}

void SceneFrame::renderViewports(render::Renderer& renderer) {
  gfx::Device& device = renderer.device();
  gfx::Texture* previous = device.renderTarget(0);
  for (Viewport* viewport : m_sorted) {
    if (!drawsOnScreen(*viewport)) renderViewport(renderer, *viewport);
  }
  device.setRenderTarget(0, previous);
}

void SceneFrame::composite(render::Renderer& renderer, Viewport& viewport) {
  gfx::SpriteBatch& batch = renderer.batch();
  render::SceneEffect& effect = renderer.effect();
  batch.setTransform(gfx::Matrix4::identity());
  effect.resetParameters();
  if (!viewport.visible || effect.effect() == nullptr) return;
  if (drawsOnScreen(viewport)) {
    // Its picture would be composited unchanged: the objects go straight onto the screen, clipped to the rectangle.
    gfx::Device& device = renderer.device();
    const gfx::Viewport whole = device.viewport();
    batch.flush();  // what is queued was drawn before, unclipped
    device.setViewport(clipToScreen(viewport.rectangle(), renderer.screenWidth(), renderer.screenHeight()));
    drawList(renderer, viewport);
    batch.flush();
    device.setViewport(whole);
  } else if (!compositePicture(renderer, viewport)) {
    return;
  }

  const OverlayColour overlay = overlayColour(*viewport.color, viewport.flashState);
  if (!overlay.drawn) return;
  if (!m_overlay) {
    m_overlay = std::make_unique<Sprite>(Sprite::PlayerOwned{false});
    m_overlay->ownedBitmap = whitePixel();
    m_overlay->setBitmap(m_overlay->ownedBitmap.get(), nullptr);
    m_overlay->addressModeU = m_overlay->addressModeV = static_cast<int>(gfx::Address::Wrap);
  }
  effect.resetParameters();
  Sprite& sprite = *m_overlay;
  sprite.x = viewport.rectangle().x;
  sprite.y = viewport.rectangle().y;
  sprite.zoomX = static_cast<float>(viewport.rectangle().width);
  sprite.zoomY = static_cast<float>(viewport.rectangle().height);
  *sprite.color = overlay.colour;
  sprite.opacity = overlay.opacity;
  sprite.computeEffective();
  drawObject(renderer, sprite, nullptr, false);
  batch.flush();
}

void SceneFrame::drawScreen(render::Renderer& renderer) {
  Viewport& screen = screenViewport();
  m_viewportKeys.clear();
  std::vector<Viewport*> viewports;
  viewports.reserve(m_sorted.size());
  for (Viewport* viewport : m_sorted) {
    if (viewport == &screen || viewport->disposed()) continue;
    viewports.push_back(viewport);
    m_viewportKeys.push_back(viewportKey(*viewport));
  }
  const std::vector<Sprite*>& objects = screen.drawList.items();
  const std::vector<std::size_t> places = viewportPlaces(
      objects.size(), [&](std::size_t i) { return drawKey(*objects[i]); }, m_viewportKeys);
  std::size_t next = 0;
  for (std::size_t v = 0; v <= viewports.size(); ++v) {
    const std::size_t end = v < viewports.size() ? places[v] : objects.size();
    for (; next < end; ++next) drawObject(renderer, *objects[next], &screen, false);
    if (v < viewports.size()) composite(renderer, *viewports[v]);
  }
}

void SceneFrame::releaseDeviceResources(render::Renderer& /*renderer*/) {
  for (Viewport* viewport : viewportList()) viewport->target.reset();
}

void SceneFrame::restoreDeviceResources(render::Renderer& /*renderer*/) {
  // Targets are made again at the new screen size by the next frame.
}

void SceneFrame::screenResized(render::Renderer& /*renderer*/, int width, int height) {
  screenViewport().rectangle() = {0, 0, width, height};
}

SceneFrame& installSceneFrame() {
  // Never destroyed: renderers and records may use it until the process ends.
  static auto* const frame = new SceneFrame();
  if (render::frameScene() != frame) {
    render::setFrameScene(frame);
    // A renderer made before this announced its size to no one.
    screenViewport().rectangle() = {0, 0, windowing::g_screenWidth, windowing::g_screenHeight};
  }
  return *frame;
}

}  // namespace scene
