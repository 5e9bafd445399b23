#include "host/WindowProcedure.h"

#include "host/InputSink.h"
#include "host/RendererControl.h"

namespace host {

using namespace windowing;

std::optional<Message> translateAccelerator(const Message& message, std::span<const Accelerator> accelerators) {
  if (message.id != kWmKeyDown || message.shiftHeld || message.controlHeld || message.altHeld) {
    return std::nullopt;
  }
  for (const Accelerator& accelerator : accelerators) {
    if (static_cast<std::uintptr_t>(accelerator.virtualKey) == message.wParam) {
      Message command;
      command.id = kWmCommand;
      command.wParam = static_cast<std::uintptr_t>(accelerator.command);
      return command;
    }
  }
  return std::nullopt;
}

std::intptr_t WindowProcedure::dispatch(const Message& message) {
  return m_installed ? handle(message) : defaultProcessing(message);
}

namespace {

// A key going down, not a held key repeating its key-down (bit 30 set: it was down before).
bool isNewPress(const Message& message) {
  constexpr std::intptr_t kWasDown = std::intptr_t{1} << 30;
  return (message.id == kWmKeyDown || message.id == kWmSysKeyDown) && (message.lParam & kWasDown) == 0;
}

}  // namespace

bool isScreenshotKey(const Message& message) {
  bool key = message.wParam == static_cast<std::uintptr_t>(kVkF10) ||
             message.wParam == static_cast<std::uintptr_t>(kVkSnapshot);
  return key && isNewPress(message);
}

std::intptr_t WindowProcedure::handle(const Message& message) {
  InputSink& input = inputSink();
  input.message(message);
  if (isScreenshotKey(message) && m_actions.screenshot) {
    m_actions.screenshot();
  }
  RendererControl* renderer = currentRenderer();
  switch (message.id) {
    case kWmDestroy:
    case kWmQueryEndSession:
    case kWmEndSession:
      if (m_actions.teardown) {
        m_actions.teardown();
      }
      return 0;
    case kWmActivateApp: {
      bool active = message.wParam != 0;
      if (renderer != nullptr) {
        renderer->setInactive(!active);
        renderer->setFocusEventDone(false);
      }
      input.setActive(active);
      return 0;
    }
    case kWmKeyDown:
      input.keyDown(static_cast<int>(message.wParam));
      break;
    case kWmKeyUp:
      input.keyUp(static_cast<int>(message.wParam));
      break;
    case kWmSysKeyDown:
      if (message.wParam == static_cast<std::uintptr_t>(kVkMenu)) {
        // Alt alone never reaches the default processing, so it cannot open a menu.
        return 0;
      }
      if (message.wParam == static_cast<std::uintptr_t>(kVkReturn) && renderer != nullptr) {
        renderer->requestFullScreenToggle();
      }
      break;
    case kWmCommand:
      if (message.wParam == static_cast<std::uintptr_t>(kCommandFrameRate) && renderer != nullptr) {
        renderer->toggleFrameRateTitle();
      } else if (message.wParam == static_cast<std::uintptr_t>(kCommandAbout) && m_actions.showAbout) {
        // There is no system menu here: F1 opens the About box that the menu item's "\tF1" promised.
        m_actions.showAbout();
      }
      break;
    case kWmSysCommand:
      if (message.wParam == static_cast<std::uintptr_t>(kSystemCommandAbout)) {
        if (m_actions.showAbout) {
          m_actions.showAbout();
        }
        return 0;
      }
      break;
    default:
      break;
  }
  return defaultProcessing(message);
}

std::intptr_t WindowProcedure::defaultProcessing(const Message& message) {
  if (message.id == kWmSysKeyDown && message.wParam == static_cast<std::uintptr_t>(kVkF4) &&
      m_actions.requestClose) {
    m_actions.requestClose();
  }
  // One press is one reset, however long the key is held.
  if (message.id == kWmKeyDown && message.wParam == static_cast<std::uintptr_t>(kVkF12) && isNewPress(message) &&
      m_actions.requestReset) {
    m_actions.requestReset();
  }
  return 0;
}

}  // namespace host
