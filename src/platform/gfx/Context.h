#pragma once

// The one OpenGL 3.3 core context of the process, on an SDL window. The window may belong to the caller (the game
// window) or, for tests and benchmarks, to the context itself (hidden; with SDL_VIDEODRIVER=offscreen this is an
// EGL surface on Mesa's software rasteriser, which draws exactly what a windowed run draws).

#include <memory>
#include <string>

struct SDL_Window;

namespace gfx {

class Context {
 public:
  // Sets the SDL attributes the context needs (core 3.3, double buffer, 16-bit depth); call after SDL_Init and
  // before creating the window that will carry the context, since some backends pick the surface format then.
  static void prepareWindowAttributes();

  // A context on a window the caller owns and keeps alive longer than the context. Null with `error` set
  // when the driver offers no GL 3.3 core context.
  static std::unique_ptr<Context> create(SDL_Window* window, std::string* error = nullptr);
  // Takes over `glContext` (an SDL_GLContext on `window`, made after prepareWindowAttributes' settings), as
  // create does with the one it makes: a second context would cost the start-up another driver set-up. Null
  // with `error` set, and the context deleted, when it offers less than GL 3.3.
  static std::unique_ptr<Context> adopt(SDL_Window* window, void* glContext, std::string* error = nullptr);
  // A context on its own hidden window of the given size (initialises SDL video when needed).
  static std::unique_ptr<Context> createHeadless(int width, int height, std::string* error = nullptr);

  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  void makeCurrent();
  // Shows the back buffer. False when the context has been lost.
  [[nodiscard]] bool swapBuffers();
  // Vertical sync on or off; false when the driver refuses.
  bool setSwapInterval(bool vsync);
  // The window's drawable size in pixels: the back buffer.
  void drawableSize(int* width, int* height) const;
  SDL_Window* window() const { return m_window; }
  // GL_RENDERER and GL_VERSION, for benchmarks and logs.
  std::string rendererName() const;

 private:
  Context() = default;

  SDL_Window* m_window = nullptr;  // owned only when m_ownsWindow
  void* m_glContext = nullptr;     // SDL_GLContext
  bool m_ownsWindow = false;
  bool m_ownsVideoInit = false;
};

}  // namespace gfx
