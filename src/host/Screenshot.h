#pragma once

// The screenshot key: the picture on screen, saved as a PNG file in the "quillon" folder of the user's pictures
// folder, named after the game and the moment.

#include <ctime>
#include <string>
#include <string_view>

namespace host {

// "<title made file-safe> <YYYY-MM-DD HH-MM-SS>.png" for the local time `when`; from the second one taken in the
// same second (`number` 2, 3, ...) the number follows the time in brackets.
std::string screenshotName(std::string_view title, std::time_t when, int number = 1);

// Saves the picture last shown; one line on standard error says where, or why not.
void takeScreenshot(const std::string& title);

}  // namespace host
