#pragma once

// Key names from the current keyboard layout, for Windows virtual-key codes.

#include <string>

namespace windowing {

// The layout's name of the key with that virtual-key code ("A", "Left", "Keypad 4", "Shift"), at most 49
// bytes as the Windows name buffer held; empty when the code names no key.
std::string keyNameOfVirtualKey(int virtualKey);

}  // namespace windowing
