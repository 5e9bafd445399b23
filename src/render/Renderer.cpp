#include "render/Renderer.h"

#include <cstdio>
#include <stdexcept>

#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "platform/window/GameWindow.h"
#include "platform/window/Screen.h"
#include "platform/window/WindowMode.h"
#include "render/FrameMath.h"
#include "render/FrameScene.h"
#include "render/SceneShading.h"

namespace render {

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

std::unique_ptr<Renderer>& currentSlot() {
  static std::unique_ptr<Renderer> renderer;
  return renderer;
}

std::vector<void (*)()>& contextReleaseHooks() {
  static std::vector<void (*)()> hooks;
  return hooks;
}

FrameScene*& sceneSlot() {
  static FrameScene* scene = nullptr;
  return scene;
}

std::unique_ptr<gfx::Texture> blackTarget(int width, int height) {
  std::unique_ptr<gfx::Texture> target = gfx::Texture::createRenderTarget(width, height);
  if (target) {
    target->fill(kOpaqueBlack);
  }
  return target;
}

}  // namespace

void addContextReleaseHook(void (*hook)()) {
  for (void (*known)() : contextReleaseHooks()) {
    if (known == hook) {
      return;
    }
  }
  contextReleaseHooks().push_back(hook);
}

void setFrameScene(FrameScene* scene) { sceneSlot() = scene; }

FrameScene* frameScene() { return sceneSlot(); }

Renderer* currentRenderer() { return currentSlot().get(); }

void publishRenderer(std::unique_ptr<Renderer> renderer) {
  destroyCurrentRenderer();
  currentSlot() = std::move(renderer);
}

void destroyCurrentRenderer() {
  if (currentSlot()) {
    currentSlot()->release();
    currentSlot().reset();
  }
}

Renderer::Renderer(windowing::GameWindow* window, FrameClock& clock) : m_window(window), m_timer(clock) {
  m_screenWidth = windowing::g_screenWidth;
  m_screenHeight = windowing::g_screenHeight;
  m_windowWidth = windowing::g_windowWidth;
  m_windowHeight = windowing::g_windowHeight;
  createDevice();
  centreWindow();
  if (FrameScene* scene = frameScene()) {
    scene->screenResized(*this, m_screenWidth, m_screenHeight);
  }
}

Renderer::~Renderer() { release(); }

void Renderer::createDevice() {
  std::string error;
  if (m_window != nullptr) {
    // The window's own context, which kept it black until now, becomes ours; after a reset it is gone and a new
    // one is made.
    void* windowContext = m_window->takeOwnContext();
    m_context = windowContext != nullptr ? gfx::Context::adopt(m_window->sdlWindow(), windowContext, &error)
                                         : gfx::Context::create(m_window->sdlWindow(), &error);
  } else {
    m_context = gfx::Context::createHeadless(m_windowWidth, m_windowHeight, &error);
  }
  if (!m_context) {
    throw std::runtime_error(error);
  }
  m_context->makeCurrent();
  m_context->setSwapInterval(m_vsync);
  m_device = std::make_unique<gfx::Device>(*m_context);
  m_batch = std::make_unique<gfx::SpriteBatch>(*m_device);
  m_batch->setShading(quadShadings());
  m_baseTransform = m_batch->transform();
  m_effect = std::make_unique<SceneEffect>(*m_device);
  std::string errors;
  if (!m_effect->compile("", "", &errors)) {
    throw std::runtime_error("the built-in effect does not compile:\n" + errors);
  }
}

gfx::Texture& Renderer::screenTarget(std::unique_ptr<gfx::Texture>& target) {
  if (!target) {
    target = blackTarget(m_screenWidth, m_screenHeight);
    if (!target) throw std::runtime_error("cannot create the screen targets");
  }
  return *target;
}

void Renderer::releaseTargets() {
  if (m_device) {
    for (int index = gfx::kRenderTargetCount - 1; index >= 0; --index) {
      m_device->setRenderTarget(index, nullptr);
    }
  }
  m_sceneTarget.reset();
  m_compositeTarget.reset();
}

void Renderer::release() {
  if (m_released) {
    return;
  }
  m_released = true;
  if (m_context) {
    m_context->makeCurrent();
  }
  m_transitionImage.reset();
  m_frozenImage.reset();
  releaseTargets();
  if (m_context) {
    for (void (*hook)() : contextReleaseHooks()) {
      hook();
    }
  }
  m_effect.reset();
  m_batch.reset();
  m_device.reset();
  m_context.reset();
}

FrameResult Renderer::render(bool present) { return renderFrame(present, false); }

FrameResult Renderer::renderFrame(bool present, bool keepComposite) {
  if (m_released) {
    return FrameResult::Released;
  }
  gfx::Device& device = *m_device;
  FrameScene* scene = frameScene();
  device.setRenderTarget(0, nullptr);
  device.renderState().zEnable = false;
  device.clear(gfx::ClearFlags::ZBuffer, 0, 1.0f);

  // Model animation advances by real time; the first frame only starts the clock.
  const std::int64_t now = steadyFrameClock().now();
  const double seconds = m_lastFrameTicks < 0 ? 0.0
                                              : static_cast<double>(now - m_lastFrameTicks) /
                                                    static_cast<double>(steadyFrameClock().frequency());
  m_lastFrameTicks = now;
  if (scene != nullptr) {
    scene->prepareFrame(*this, seconds);
  }

  m_effect->beginTechnique();
  if (scene != nullptr) {
    scene->renderViewports(*this);
  }
  m_effect->endTechnique();

  if (m_transitionFramesLeft < 1) {
    const FadeStep fade = advanceFade(m_fadeCounter, m_fadeDuration, m_brightness);
    m_fadeCounter = fade.counter;
    m_brightness = fade.brightness;
  }
  // At full brightness, with no transition and the window the screen's size, the composite and the scaling would
  // copy the scene unchanged: it is drawn straight into the window. While frozen or in a transition the new scene
  // goes into the composite target, under the old picture that composite() draws over it. The shaders' copy of
  // their colour for a second target is read by nothing, so no second target is bound.
  const bool straight = !keepComposite && sceneShownUnchanged() && placement() == PresentPlacement{};
  device.setRenderTarget(
      0, straight ? nullptr : &screenTarget(m_transitionFramesLeft != 0 ? m_compositeTarget : m_sceneTarget));
  m_effect->beginTechnique();
  device.clear(gfx::ClearFlags::Target, kOpaqueBlack);
  m_batch->begin(true);
  device.setViewport({0, 0, m_screenWidth, m_screenHeight, 0.0f, 1.0f});
  if (scene != nullptr) {
    scene->drawScreen(*this);
  }
  m_batch->end();
  m_effect->endTechnique();
  m_batch->setTransform(m_baseTransform);
  if (straight) {
    m_shown = Shown::Window;
  } else {
    const gfx::Texture* picture = composite(keepComposite);
    m_shown = picture == m_sceneTarget.get() ? Shown::Scene : Shown::Composite;
    this->present(*picture);
  }
  if (present && !m_context->swapBuffers()) {
    return FrameResult::ContextLost;
  }
  return FrameResult::Shown;
}

void Renderer::renderOffFrame(const std::function<void(Renderer&)>& draw) {
  if (m_released) {
    return;
  }
  gfx::Device& device = *m_device;
  gfx::Texture* kept[2] = {device.renderTarget(0), device.renderTarget(1)};
  device.renderState().zEnable = false;
  m_effect->beginTechnique();
  draw(*this);
  m_effect->endTechnique();
  device.setRenderTarget(1, nullptr);
  device.setRenderTarget(0, kept[0]);
  device.setRenderTarget(1, kept[1]);
}

const gfx::Texture* Renderer::composite(bool always) {
  gfx::Device& device = *m_device;
  // At full brightness the composite would copy the scene unchanged (the scaling step blends both alike), so the
  // scene itself is shown.
  if (!always && sceneShownUnchanged()) {
    return m_sceneTarget.get();
  }
  device.setRenderTarget(0, &screenTarget(m_compositeTarget));
  if (m_transitionFramesLeft < 1) {
    device.clear(gfx::ClearFlags::Target, kOpaqueBlack);
    m_effect->resetParameters();
    m_effect->beginTechnique();
    m_batch->begin(true);
    m_effect->beginPassByName("RenderTarget");
    m_batch->draw(m_sceneTarget.get(), nullptr, nullptr, nullptr, brightnessColour(m_brightness));
  } else {
    --m_transitionFramesLeft;
    const gfx::Texture* source = m_frozenImage ? m_frozenImage.get() : &screenTarget(m_sceneTarget);
    m_effect->resetParameters();
    m_effect->beginTechnique();
    if (m_transitionImage) {
      m_batch->begin(false);
      gfx::Effect& effect = *m_effect->effect();
      effect.setTexture("transitionTexture", m_transitionImage.get());
      const TransitionThresholds thresholds =
          imageTransitionThresholds(m_transitionFramesLeft, m_transitionDuration, m_transitionVagueness);
      effect.setFloat("transitionThresholdMin", thresholds.min);
      effect.setFloat("transitionThresholdMax", thresholds.max);
      m_effect->beginPassByName("Transition");
      m_batch->draw(source, nullptr, nullptr, nullptr, kWhite);
    } else {
      m_batch->begin(true);
      m_effect->beginPassByName("RenderTarget");
      m_batch->draw(source, nullptr, nullptr, nullptr,
                    plainTransitionColour(m_transitionFramesLeft, m_transitionDuration, m_brightness));
    }
  }
  m_batch->flush();
  m_effect->endPass();
  m_batch->end();
  m_effect->endTechnique();
  return m_compositeTarget.get();
}

bool Renderer::sceneShownUnchanged() const { return m_transitionFramesLeft == 0 && (m_brightness & 0xFF) == 0xFF; }

PresentPlacement Renderer::placement() const {
  // The back buffer is the window's drawable (the display in full screen); its size decides the scaling.
  const int backWidth = m_device->backBufferWidth();
  const int backHeight = m_device->backBufferHeight();
  return m_windowed ? windowedPlacement(backWidth, backHeight, m_screenWidth, m_screenHeight)
                    : fullScreenPlacement(backWidth, backHeight, m_screenWidth, m_screenHeight);
}

void Renderer::present(const gfx::Texture& picture) {
  gfx::Device& device = *m_device;
  device.setRenderTarget(0, nullptr);
  device.clear(gfx::ClearFlags::Target, kOpaqueBlack);
  const PresentPlacement placed = placement();
  m_batch->setTransform(gfx::Matrix4::scaling(placed.scaleX, placed.scaleY) *
                        gfx::Matrix4::translation(placed.offsetX, placed.offsetY));
  m_batch->begin(true);
  gfx::SamplerState& sampler = device.samplerState(0);
  const gfx::Filter filter = m_filter == 0 ? gfx::Filter::Point : gfx::Filter::Linear;
  sampler.minFilter = filter;
  sampler.magFilter = filter;
  sampler.mipFilter = filter;
  m_batch->draw(&picture, nullptr, nullptr, nullptr, kWhite);
  m_batch->end();
  m_batch->setTransform(m_baseTransform);
}

std::unique_ptr<gfx::Texture> Renderer::snapshot() {
  if (renderFrame(false, true) == FrameResult::Released) {
    return nullptr;
  }
  std::unique_ptr<gfx::Texture> image = gfx::Texture::createManaged(m_screenWidth, m_screenHeight);
  if (!image) {
    return nullptr;
  }
  gfx::Texture::LockedRect locked = image->lockRect();
  const bool read = m_compositeTarget->readPixels({0, 0, m_screenWidth, m_screenHeight}, locked.bits, locked.pitch);
  image->unlock();
  return read ? std::move(image) : nullptr;
}

std::vector<std::uint32_t> Renderer::shownPicture() {
  if (m_shown == Shown::Window && renderFrame(false, true) == FrameResult::Released) {
    return {};
  }
  const bool scene = m_shown == Shown::Scene;
  const gfx::Texture* shown = scene ? m_sceneTarget.get() : m_compositeTarget.get();
  if (m_released) {
    return {};
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(m_screenWidth) * static_cast<std::size_t>(m_screenHeight),
                                    kOpaqueBlack);
  if (shown == nullptr) {
    return pixels;  // no frame was drawn off the window since the targets were last made: they would be black
  }
  if (!shown->readPixels({0, 0, m_screenWidth, m_screenHeight}, pixels.data(), m_screenWidth * 4)) {
    return {};
  }
  for (std::uint32_t& pixel : pixels) {
    // The scene shown as it is was blended over black on the way to the screen, as the composite blends it.
    if (scene) {
      const std::uint32_t alpha = pixel >> 24;
      const auto scaled = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
      pixel = scaled(pixel >> 16 & 0xFF) << 16 | scaled(pixel >> 8 & 0xFF) << 8 | scaled(pixel & 0xFF);
    }
    pixel |= 0xFF000000u;
  }
  return pixels;
}

void Renderer::resetDevice() {
  if (m_released) {
    return;
  }
  FrameScene* scene = frameScene();
  if (scene != nullptr) {
    scene->releaseDeviceResources(*this);
  }
  releaseTargets();
  m_context->setSwapInterval(m_vsync);
  if (scene != nullptr) {
    scene->restoreDeviceResources(*this);
  }
}

void Renderer::toggleFullScreen() {
  m_toggleRequest = false;
  if (m_window == nullptr) {
    m_windowed = !m_windowed;
    resetDevice();
    return;
  }
  if (m_windowed) {
    int width = 0;
    int height = 0;
    if (windowing::displaySize(*m_window, &width, &height)) {
      m_displayWidth = width;
      m_displayHeight = height;
    }
    if (windowing::setDesktopFullScreen(*m_window, true)) {
      m_windowed = false;
    }
  } else if (windowing::setDesktopFullScreen(*m_window, false)) {
    windowing::setClientSize(*m_window, m_windowWidth, m_windowHeight);
    m_windowed = true;
  }
  resetDevice();
  if (m_windowed) {
    centreWindow();
  }
}

void Renderer::centreWindow() {
  if (m_window != nullptr && m_windowed) {
    m_window->placeCentred();
  }
}

void Renderer::resizeScreen(int width, int height) {
  if (m_released || (width == m_screenWidth && height == m_screenHeight) || width <= 0 || height <= 0) {
    return;
  }
  windowing::g_screenWidth = windowing::g_windowWidth = m_screenWidth = m_windowWidth = width;
  windowing::g_screenHeight = windowing::g_windowHeight = m_screenHeight = m_windowHeight = height;
  if (m_window != nullptr && m_windowed) {
    windowing::setClientSize(*m_window, width, height);
  }
  centreWindow();
  resetDevice();
  if (FrameScene* scene = frameScene()) {
    scene->screenResized(*this, width, height);
  }
}

void Renderer::resizeWindow(int width, int height) {
  if (m_released || !m_windowed || (width == m_windowWidth && height == m_windowHeight) || width <= 0 || height <= 0) {
    return;
  }
  windowing::g_windowWidth = m_windowWidth = width;
  windowing::g_windowHeight = m_windowHeight = height;
  if (m_window != nullptr) {
    windowing::setClientSize(*m_window, width, height);
  }
  centreWindow();
  resetDevice();
  if (FrameScene* scene = frameScene()) {
    scene->screenResized(*this, m_screenWidth, m_screenHeight);
  }
}

void Renderer::setVsync(bool vsync) {
  m_timer.restartPeriod();
  m_vsync = vsync;
  resetDevice();
}

void Renderer::freeze() {
  if (m_released) {
    return;
  }
  m_frozenImage = snapshot();
  m_transitionFramesLeft = -1;
}

void Renderer::startTransition(int duration, std::unique_ptr<gfx::Texture> image, int vagueness) {
  if (m_released) {
    return;
  }
  m_transitionImage = std::move(image);
  // While frozen the snapshot is the frozen picture itself (composite() draws T1 unchanged).
  m_frozenImage = snapshot();
  m_brightness = 255;
  m_transitionFramesLeft = duration;
  m_transitionDuration = duration;
  m_transitionVagueness = vagueness;
}

void Renderer::startFade(int duration, bool fadeIn) {
  m_fadeDuration = duration;
  m_fadeCounter = fadeIn ? -duration : duration;
  m_transitionFramesLeft = 0;
}

void Renderer::setTitle(const std::string& title) {
  if (m_window != nullptr) {
    m_window->setTitle(title);
  }
}

void Renderer::toggleFrameRateTitle() {
  m_timer.setShowFrameRate(!m_timer.showFrameRate());
  setTitle(frameRateTitle(windowing::g_titleCopy, m_timer.showFrameRate(), m_timer.lastTitleRate()));
}

void Renderer::refreshTitleWhenDue() {
  if (m_released || !m_timer.titleDue()) {
    return;
  }
  const int rate = m_timer.takeTitleRate();
  setTitle(frameRateTitle(windowing::g_titleCopy, m_timer.showFrameRate(), rate));
}

}  // namespace render
