#include "platform/window/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/window/GameWindow.h"

namespace windowing {

namespace {

void printBox(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

bool isDisplaylessDriver(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

bool hasDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) {
    driver = std::getenv("SDL_VIDEODRIVER");
  }
  if (isDisplaylessDriver(driver)) {
    return false;
  }
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

void showErrorBox(const std::string& caption, const std::string& text, const GameWindow* owner) {
  SDL_Window* parent = owner != nullptr ? owner->sdlWindow() : nullptr;
  if (!hasDisplay() || SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), parent) != 0) {
    printBox(caption, text);
  }
}

void showAboutBox(const GameWindow* owner) {
  if (!hasDisplay()) {
    printBox(kAboutCaption, kAboutText);
    return;
  }
  SDL_MessageBoxButtonData button{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1,
                                  "确定"};
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_INFORMATION;
  data.window = owner != nullptr ? owner->sdlWindow() : nullptr;
  data.title = kAboutCaption;
  data.message = kAboutText;
  data.numbuttons = 1;
  data.buttons = &button;
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    printBox(kAboutCaption, kAboutText);
  }
}

}  // namespace windowing
