#pragma once

// The renderer: the GL device on the game window, the two screen-sized targets and the frame. Each frame
// draws the scene into the scene target T1 (or, while frozen or in a transition, into the composite T2), then
// composites T1 into T2 with brightness and fades or the frozen picture over the new scene, and finally scales
// T2 into the back buffer, letter-boxed in full screen and stretched in a window. At full brightness, outside
// transitions, T1 itself is scaled into the back buffer: the composite would only copy it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Types.h"
#include "render/FrameMath.h"
#include "render/FrameTimer.h"
#include "render/SceneEffect.h"

namespace gfx {
class Context;
class Device;
class SpriteBatch;
class Texture;
}  // namespace gfx

namespace windowing {
class GameWindow;
}

namespace render {

// Why a frame was not shown.
enum class FrameResult { Shown, Released, ContextLost };

class Renderer {
 public:
  // On the game window, or (window null: tests, benchmarks) on a hidden window of the window size. Sizes come
  // from the process-wide screen and window sizes. Throws std::runtime_error when no device can be made.
  explicit Renderer(windowing::GameWindow* window, FrameClock& clock = steadyFrameClock());
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // One frame; `present` shows it. Nothing after release.
  FrameResult render(bool present);
  // The composite picture of a new frame (not shown), as a screen-sized managed texture.
  std::unique_ptr<gfx::Texture> snapshot();
  // The picture last shown, at screen size, before scaling to the window: 0xAARRGGBB words, top row first,
  // opaque. A frame drawn straight into the window is not kept: it is drawn again into the targets to be read.
  // Empty after release or when the read fails.
  std::vector<std::uint32_t> shownPicture();
  void release();
  bool released() const { return m_released; }
  // Draws outside the frame (a viewport rendered alone for its own snapshot): `draw` runs with depth testing
  // off and the technique "Render" begun, and the render targets it sets are restored afterwards.
  void renderOffFrame(const std::function<void(Renderer&)>& draw);

  // The single path for size, full-screen and vertical-sync changes: every screen-sized target is made anew.
  void resetDevice();
  void toggleFullScreen();
  void centreWindow();
  // Each screen-sized target costs width × height × 4 bytes: a larger screen is a script's mistake, not a game.
  static constexpr int kMaxScreenSide = 8192;
  void resizeScreen(int width, int height);
  void resizeWindow(int width, int height);
  void setVsync(bool vsync);
  bool vsync() const { return m_vsync; }
  bool fullScreen() const { return !m_windowed; }

  // Screen state the Graphics module drives.
  void freeze();
  void startTransition(int duration, std::unique_ptr<gfx::Texture> image, int vagueness);
  void startFade(int duration, bool fadeIn);
  int transitionFramesLeft() const { return m_transitionFramesLeft; }
  int fadeCounter() const { return m_fadeCounter; }
  int brightness() const { return m_brightness; }
  void setBrightness(int brightness) { m_brightness = brightness; }
  int frameCount() const { return m_frameCount; }
  void setFrameCount(int count) { m_frameCount = count; }
  void countFrame() { ++m_frameCount; }
  int filter() const { return m_filter; }
  void setFilter(int filter) { m_filter = filter; }
  bool backgroundExec() const { return m_backgroundExec; }
  void setBackgroundExec(bool on) { m_backgroundExec = on; }
  int screenWidth() const { return m_screenWidth; }
  int screenHeight() const { return m_screenHeight; }

  // Activation and requests from the window procedure.
  bool inactive() const { return m_inactive; }
  void setInactive(bool inactive) { m_inactive = inactive; }
  bool focusEventDone() const { return m_focusEventDone; }
  void setFocusEventDone(bool done) { m_focusEventDone = done; }
  bool toggleRequested() const { return m_toggleRequest; }
  void requestFullScreenToggle() { m_toggleRequest = true; }

  // The frame-rate title: F2 shows or hides it at once; the pump refreshes it once a second.
  void toggleFrameRateTitle();
  void refreshTitleWhenDue();

  FrameTimer& timer() { return m_timer; }
  SceneEffect& effect() { return *m_effect; }
  gfx::Device& device() { return *m_device; }
  gfx::SpriteBatch& batch() { return *m_batch; }
  const gfx::Matrix4& baseTransform() const { return m_baseTransform; }
  windowing::GameWindow* window() const { return m_window; }
  gfx::Context& context() { return *m_context; }

  // The colour bounds a draw's blend colour is clamped between.
  static constexpr float kBlendColourUpper[4] = {1, 1, 1, 1};
  static constexpr float kBlendColourLower[4] = {0, 0, 0, 0};

 private:
  void createDevice();
  // `target` (the scene's or the composite's), made black when a frame first draws off the window: frames at
  // full brightness without a transition go straight to it, so many games never need either.
  gfx::Texture& screenTarget(std::unique_ptr<gfx::Texture>& target);
  void releaseTargets();
  FrameResult renderFrame(bool present, bool keepComposite);
  // Brightness, fades and transitions into T2; returns the picture to show, which is the scene target itself when
  // nothing changes it (unless `always`: snapshots read T2).
  const gfx::Texture* composite(bool always);
  // No transition, no freeze, full brightness: the composite would copy the scene unchanged.
  bool sceneShownUnchanged() const;
  PresentPlacement placement() const;
  void present(const gfx::Texture& picture);
  void setTitle(const std::string& title);

  windowing::GameWindow* m_window = nullptr;  // not owned; outlives every renderer
  FrameTimer m_timer;
  int m_filter = 0;
  bool m_backgroundExec = false;
  int m_screenWidth = 0;
  int m_screenHeight = 0;
  int m_windowWidth = 0;
  int m_windowHeight = 0;
  int m_displayWidth = 0;
  int m_displayHeight = 0;
  int m_transitionFramesLeft = 0;
  int m_transitionDuration = 0;
  int m_transitionVagueness = 0;
  bool m_released = false;
  int m_fadeCounter = 0;
  int m_fadeDuration = 0;
  bool m_inactive = false;
  bool m_toggleRequest = false;
  bool m_windowed = true;
  bool m_vsync = true;
  int m_frameCount = 0;
  int m_brightness = 255;
  bool m_focusEventDone = true;
  std::int64_t m_lastFrameTicks = -1;

  std::unique_ptr<gfx::Context> m_context;
  std::unique_ptr<gfx::Device> m_device;
  std::unique_ptr<gfx::SpriteBatch> m_batch;
  std::unique_ptr<SceneEffect> m_effect;
  gfx::Matrix4 m_baseTransform;
  std::unique_ptr<gfx::Texture> m_sceneTarget;      // T1
  std::unique_ptr<gfx::Texture> m_compositeTarget;  // T2
  enum class Shown { Composite, Scene, Window };
  Shown m_shown = Shown::Composite;  // the target the last frame showed (T2, T1), or none: drawn into the window
  std::unique_ptr<gfx::Texture> m_transitionImage;
  std::unique_ptr<gfx::Texture> m_frozenImage;
};

// Called with the GL context still current right before a renderer's context goes away, so that textures made
// outside the renderer (bitmaps) can be taken off it; they are made anew on the next renderer's context.
void addContextReleaseHook(void (*hook)());

// The process-wide renderer, or null.
Renderer* currentRenderer();
// Makes `renderer` current, destroying the previous one.
void publishRenderer(std::unique_ptr<Renderer> renderer);
// Releases and destroys the current renderer before a new one is made, so that one GL context exists at a time.
void destroyCurrentRenderer();

}  // namespace render
