#include "platform/gfx/Context.h"

#include <SDL.h>
#include <epoxy/gl.h>

namespace gfx {

void Context::prepareWindowAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}

std::unique_ptr<Context> Context::create(SDL_Window* window, std::string* error) {
  if (window == nullptr) {
    if (error) *error = "no window for the GL context";
    return nullptr;
  }
  prepareWindowAttributes();
  SDL_GLContext glContext = SDL_GL_CreateContext(window);
  if (glContext == nullptr) {
    if (error) *error = std::string("cannot create an OpenGL 3.3 core context: ") + SDL_GetError();
    return nullptr;
  }
  return adopt(window, glContext, error);
}

std::unique_ptr<Context> Context::adopt(SDL_Window* window, void* glContext, std::string* error) {
  std::unique_ptr<Context> context(new Context());
  context->m_window = window;
  context->m_glContext = glContext;
  context->makeCurrent();
  if (epoxy_gl_version() < 33) {
    if (error) *error = "the OpenGL driver offers less than version 3.3";
    return nullptr;
  }
  return context;
}

std::unique_ptr<Context> Context::createHeadless(int width, int height, std::string* error) {
  bool initialisedVideo = false;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      if (error) *error = std::string("cannot start SDL video: ") + SDL_GetError();
      return nullptr;
    }
    initialisedVideo = true;
  }
  prepareWindowAttributes();
  SDL_Window* window = SDL_CreateWindow("quillon", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    if (error) *error = std::string("cannot create a window for the GL context: ") + SDL_GetError();
    if (initialisedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  std::unique_ptr<Context> context = create(window, error);
  if (!context) {
    SDL_DestroyWindow(window);
    if (initialisedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  context->m_ownsWindow = true;
  context->m_ownsVideoInit = initialisedVideo;
  return context;
}

Context::~Context() {
  if (m_glContext != nullptr) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_glContext));
  if (m_ownsWindow) SDL_DestroyWindow(m_window);
  if (m_ownsVideoInit) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void Context::makeCurrent() { SDL_GL_MakeCurrent(m_window, static_cast<SDL_GLContext>(m_glContext)); }

bool Context::swapBuffers() {
  SDL_GL_SwapWindow(m_window);
  // A robust context could report a reset here; without one the context cannot be lost.
  return true;
}

bool Context::setSwapInterval(bool vsync) { return SDL_GL_SetSwapInterval(vsync ? 1 : 0) == 0; }

void Context::drawableSize(int* width, int* height) const { SDL_GL_GetDrawableSize(m_window, width, height); }

std::string Context::rendererName() const {
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return std::string(renderer ? renderer : "?") + " (OpenGL " + (version ? version : "?") + ")";
}

}  // namespace gfx
