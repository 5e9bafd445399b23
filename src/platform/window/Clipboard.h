#pragma once

// The desktop's clipboard, for text.

#include <optional>
#include <string>

namespace windowing {

// The clipboard's text (UTF-8); empty when it holds no text or cannot be read.
std::optional<std::string> clipboardText();
// False when the clipboard refuses the text.
[[nodiscard]] bool setClipboardText(const std::string& text);

}  // namespace windowing
