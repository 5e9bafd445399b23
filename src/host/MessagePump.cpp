#include "host/MessagePump.h"

#include "host/RendererControl.h"
#include "host/WindowProcedure.h"
#include "platform/window/GameWindow.h"

namespace host {

bool pumpStep(windowing::GameWindow& window, WindowProcedure& procedure, std::span<const Accelerator> accelerators,
              int waitMs) {
  RendererControl* renderer = currentRenderer();
  windowing::Message message;
  if (window.pollMessage(&message, waitMs) && message.id != windowing::kWmQuit) {
    std::optional<windowing::Message> command = translateAccelerator(message, accelerators);
    procedure.dispatch(command ? *command : message);
  }
  if (RendererControl* current = currentRenderer()) {
    current->pumpTick();
  }
  return renderer != nullptr && renderer->released();
}

}  // namespace host
