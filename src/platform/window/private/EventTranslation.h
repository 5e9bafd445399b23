#pragma once

// SDL events as the Windows messages the game window's procedure handles.

#include <SDL.h>

#include <cstdint>
#include <optional>

#include "platform/window/Messages.h"

namespace windowing {

struct TranslationContext {
  std::uint32_t windowId = 0;       // events of other windows are not ours
  std::uint32_t quitEventType = 0;  // our registered event standing for the quit message
  std::uint32_t mouseButtons = 0;   // SDL button mask held before this event
};

// Nothing for events the window procedure never sees (text input, unmapped keys, other windows).
std::optional<Message> translateEvent(const SDL_Event& event, const TranslationContext& context);

}  // namespace windowing
