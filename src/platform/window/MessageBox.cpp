#include "platform/window/MessageBox.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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

int askMessageBox(const std::string& caption, const std::string& text, std::span<const MessageBoxButton> buttons,
                  std::size_t defaultIndex, int escapeId, MessageBoxIcon icon, const GameWindow* owner) {
  if (buttons.empty()) {
    return 0;
  }
  defaultIndex = std::min(defaultIndex, buttons.size() - 1);
  if (!hasDisplay()) {
    printBox(caption, text);
    return buttons[defaultIndex].id;
  }
  std::vector<SDL_MessageBoxButtonData> data(buttons.size());
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    data[i].buttonid = buttons[i].id;
    data[i].text = buttons[i].label;
    data[i].flags = (i == defaultIndex ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0) |
                    (buttons[i].id == escapeId ? SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT : 0);
  }
  SDL_MessageBoxData box{};
  box.flags = icon == MessageBoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
              : icon == MessageBoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                : SDL_MESSAGEBOX_INFORMATION;
  box.flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.window = owner != nullptr ? owner->sdlWindow() : nullptr;
  box.title = caption.c_str();
  box.message = text.c_str();
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int pressed = -1;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) {
    printBox(caption, text);
    return buttons[defaultIndex].id;
  }
  // Closing the box without a button is Escape.
  return pressed >= 0 ? pressed : (escapeId != 0 ? escapeId : buttons[defaultIndex].id);
}

void reportError(const std::string& caption, const std::string& text, const GameWindow* owner) {
  printBox(caption, text);
  if (hasDisplay()) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(),
                             owner != nullptr ? owner->sdlWindow() : nullptr);
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
