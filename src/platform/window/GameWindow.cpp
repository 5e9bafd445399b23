#include "platform/window/GameWindow.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/window/WindowMode.h"
#include "platform/window/private/EventTranslation.h"

extern const char kWindowIconXpm[];

namespace windowing {

namespace {

constexpr std::uint32_t kGlColorBufferBit = 0x4000;
using GlClearColor = void (*)(float red, float green, float blue, float alpha);
using GlClear = void (*)(std::uint32_t mask);

void setIcon(SDL_Window* window) {
  SDL_RWops* source = SDL_RWFromConstMem(kWindowIconXpm, static_cast<int>(std::strlen(kWindowIconXpm)));
  SDL_Surface* icon = source != nullptr ? IMG_LoadXPM_RW(source) : nullptr;
  if (source != nullptr) {
    SDL_RWclose(source);
  }
  if (icon == nullptr) {
    std::fprintf(stderr, "[window] icon not loaded: %s\n", SDL_GetError());
    return;
  }
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

}  // namespace

bool startVideo(std::string* error) {
  // The pump takes one event per step, so it cannot get stuck behind a busy device; the poll sentinel would
  // only make a step now and then report no event while one is waiting.
  SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (error != nullptr) {
      *error = SDL_GetError();
    }
    return false;
  }
  // The GL driver stays loaded for the whole process: the renderer recreates contexts on resets, and
  // unloading Mesa's driver leaves allocations behind that leak checks then report.
  if (SDL_GL_LoadLibrary(nullptr) != 0) {
    std::fprintf(stderr, "[window] no GL library: %s\n", SDL_GetError());
  }
  return true;
}

std::unique_ptr<GameWindow> GameWindow::create(const std::string& title, int clientWidth, int clientHeight,
                                               std::string* error) {
  // The renderer's attributes (GL 3.3 core, 8-bit colour, 16-bit depth, no stencil): the surface is chosen with
  // the window on some backends, and the renderer takes over the window's own context.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  std::unique_ptr<GameWindow> window(new GameWindow());
  window->m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, clientWidth,
                                      clientHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window->m_window == nullptr) {
    if (error != nullptr) {
      *error = SDL_GetError();
    }
    return nullptr;
  }
  setIcon(window->m_window);
  window->m_ownContext = SDL_GL_CreateContext(window->m_window);
  if (window->m_ownContext == nullptr) {
    std::fprintf(stderr, "[window] no GL context for clearing the window: %s\n", SDL_GetError());
  }
  window->m_quitEventType = SDL_RegisterEvents(1);
  if (window->m_quitEventType == static_cast<std::uint32_t>(-1)) {
    window->m_quitEventType = 0;
  }
  return window;
}

GameWindow::~GameWindow() {
  releaseOwnContext();
  if (m_window != nullptr) {
    SDL_DestroyWindow(m_window);
  }
}

void GameWindow::placeCentred() {
  int display = SDL_GetWindowDisplayIndex(m_window);
  SDL_Rect work{};
  if (SDL_GetDisplayUsableBounds(display < 0 ? 0 : display, &work) != 0) {
    return;
  }
  FrameBorders borders = frameBorders(*this);
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(m_window, &width, &height);
  Point origin =
      centredOrigin(work.w, work.h, width + borders.left + borders.right, height + borders.top + borders.bottom);
  moveOuterTo(*this, work.x + origin.x, work.y + origin.y);
}

void GameWindow::show() {
  SDL_ShowWindow(m_window);
  clearToBlack();
}

void GameWindow::bringToForeground() {
  SDL_RaiseWindow(m_window);
}

void GameWindow::setTitle(const std::string& title) {
  SDL_SetWindowTitle(m_window, title.c_str());
}

std::string GameWindow::title() const {
  return SDL_GetWindowTitle(m_window);
}

Point GameWindow::position() const {
  Point point;
  SDL_GetWindowPosition(m_window, &point.x, &point.y);
  return point;
}

void GameWindow::clientSize(int* width, int* height) const {
  SDL_GetWindowSize(m_window, width, height);
}

void GameWindow::clearToBlack() {
  if (m_ownContext == nullptr || SDL_GL_MakeCurrent(m_window, m_ownContext) != 0) {
    return;
  }
  auto clearColor = reinterpret_cast<GlClearColor>(SDL_GL_GetProcAddress("glClearColor"));
  auto clear = reinterpret_cast<GlClear>(SDL_GL_GetProcAddress("glClear"));
  if (clearColor == nullptr || clear == nullptr) {
    return;
  }
  clearColor(0.0f, 0.0f, 0.0f, 1.0f);
  clear(kGlColorBufferBit);
  SDL_GL_SwapWindow(m_window);
}

void* GameWindow::takeOwnContext() { return std::exchange(m_ownContext, nullptr); }

void GameWindow::releaseOwnContext() {
  if (m_ownContext != nullptr) {
    SDL_GL_MakeCurrent(m_window, nullptr);
    SDL_GL_DeleteContext(m_ownContext);
    m_ownContext = nullptr;
  }
}

bool GameWindow::pollMessage(Message* message, int waitMs) {
  auto now = std::chrono::steady_clock::now();
  if (!m_closeArmed) {
    if (const char* closeAfter = std::getenv("QUILLON_TEST_CLOSE_AFTER_MS")) {
      m_closeArmed = true;
      m_closeAt = now + std::chrono::milliseconds(std::atol(closeAfter));
    }
  }
  if (m_closeAt && now >= *m_closeAt) {
    m_closeAt.reset();
    requestClose();
  }
  pressTestKeys();
  auto deadline = now + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
  TranslationContext context{SDL_GetWindowID(m_window), m_quitEventType, SDL_GetMouseState(nullptr, nullptr)};
  SDL_Event event;
  for (;;) {
    if (SDL_PollEvent(&event) == 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || SDL_WaitEventTimeout(&event, static_cast<int>(left.count())) == 0) {
        return false;
      }
    }
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
      clearToBlack();
      continue;
    }
    if (std::optional<Message> translated = translateEvent(event, context)) {
      *message = *translated;
      return true;
    }
  }
}

void GameWindow::pressTestKeys() {
  const char* list = std::getenv("QUILLON_TEST_KEYS");
  if (list == nullptr || *list == '\0') {
    return;
  }
  std::string names = list;
  ::unsetenv("QUILLON_TEST_KEYS");
  for (std::size_t start = 0; start < names.size();) {
    std::size_t end = std::min(names.find(',', start), names.size());
    SDL_Keycode key = SDL_GetKeyFromName(names.substr(start, end - start).c_str());
    start = end + 1;
    if (key == SDLK_UNKNOWN) {
      continue;
    }
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event event{};
      event.type = type;
      event.key.windowID = SDL_GetWindowID(m_window);
      event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
      event.key.keysym.sym = key;
      event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
      SDL_PushEvent(&event);
    }
  }
}

void GameWindow::postQuit() {
  if (m_quitEventType == 0) {
    return;
  }
  SDL_Event event{};
  event.type = m_quitEventType;
  SDL_PushEvent(&event);
}

void GameWindow::requestClose() {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  event.window.windowID = SDL_GetWindowID(m_window);
  SDL_PushEvent(&event);
}

}  // namespace windowing
