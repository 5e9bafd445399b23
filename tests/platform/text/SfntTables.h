#pragma once

// Reads a face's Windows metrics straight from its font file, so tests can check the sizing rule against the
// file's own numbers rather than against what FreeType reports.

#include <optional>
#include <string>

struct WinMetrics {
  int unitsPerEm = 0;
  int winAscent = 0;
  int winDescent = 0;
};

std::optional<WinMetrics> readWinMetrics(const std::string& path, int faceIndex);
