#pragma once

// Where the window procedure sends keyboard, mouse and activation messages: the input state and the mouse
// handler install themselves here. Until they do, the messages go nowhere.

#include "platform/window/Messages.h"

namespace host {

class InputSink {
 public:
  virtual ~InputSink() = default;
  // Every message, before the window procedure handles it (the mouse handler's view).
  virtual void message(const windowing::Message&) {}
  virtual void keyDown(int /*virtualKey*/) {}
  virtual void keyUp(int /*virtualKey*/) {}
  // Deactivation also empties the held, released and new keys and the hold counts.
  virtual void setActive(bool /*active*/) {}
};

InputSink& inputSink();
// Null restores the sink that ignores everything. The sink must outlive its installation.
void setInputSink(InputSink* sink);

}  // namespace host
