#pragma once

// Process-wide sizes and the title copy, published by the boot and read by the renderer and Graphics.

#include <string>

namespace windowing {

// The logical game screen (Graphics.width and height).
extern int g_screenWidth;
extern int g_screenHeight;
// The window's client size and the windowed back buffer.
extern int g_windowWidth;
extern int g_windowHeight;
// The title as configured, which the frame-rate title builds on.
extern std::string g_titleCopy;

}  // namespace windowing
