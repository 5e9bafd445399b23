#include "host/Teardown.h"

#include "host/RendererControl.h"
#include "host/private/Session.h"
#include "platform/window/GameWindow.h"

namespace host {

namespace {

bool g_tornDown = false;

}  // namespace

Session& session() {
  static Session instance;
  return instance;
}

void teardown() {
  if (g_tornDown) {
    return;
  }
  g_tornDown = true;
  if (RendererControl* renderer = currentRenderer()) {
    renderer->release();
  }
  clearCurrentRenderer();
  session().fonts.removeAll();
  if (session().window != nullptr) {
    session().window->postQuit();
  }
}

bool tornDown() {
  return g_tornDown;
}

}  // namespace host
