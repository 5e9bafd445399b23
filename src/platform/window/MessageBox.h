#pragma once

// Modal message boxes and the About box, as SDL message boxes. Without a display (headless runs, tests) they
// print their caption and text to standard error instead, so every message still reaches someone.

#include <span>
#include <string>

namespace windowing {

class GameWindow;

// True when message boxes can be put on a screen: a real video driver and a display to talk to.
bool hasDisplay();

// An error box owned by `owner` (may be null).
void showErrorBox(const std::string& caption, const std::string& text, const GameWindow* owner);
// A start-up or fatal error: always printed to standard error, where a terminal or a log keeps it, and shown
// in an error box as well when there is a display.
void reportError(const std::string& caption, const std::string& text, const GameWindow* owner);

struct MessageBoxButton {
  int id = 0;
  const char* label = "";
};

enum class MessageBoxIcon { Information, Warning, Error };

// A box with the given buttons, left to right; Return presses `defaultIndex`, Escape the button with
// `escapeId` if there is one. Answers the id of the button pressed; without a display (or when the box
// cannot be shown) prints the caption and text and answers the default button's id.
int askMessageBox(const std::string& caption, const std::string& text, std::span<const MessageBoxButton> buttons,
                  std::size_t defaultIndex, int escapeId, MessageBoxIcon icon, const GameWindow* owner);

// The About box: its caption, the version line and a second line, one button "确定".
void showAboutBox(const GameWindow* owner);

// What the About box says, for logs and tests.
inline constexpr const char* kAboutCaption = "About Quillon";
inline constexpr const char* kAboutText = "Quillon Version 1.4.1\nA player for role-playing games written in Ruby.";

}  // namespace windowing
