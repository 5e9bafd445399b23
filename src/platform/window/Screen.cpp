#include "platform/window/Screen.h"

namespace windowing {

int g_screenWidth = 544;
int g_screenHeight = 416;
int g_windowWidth = 544;
int g_windowHeight = 416;
std::string g_titleCopy = "Untitled";

}  // namespace windowing
