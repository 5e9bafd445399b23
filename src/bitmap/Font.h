#pragma once

// The record behind a `Font` script object: how a bitmap draws text. Its colours are the Color objects the
// font holds as hidden instance variables ("color" shared by identity, "outc" replaceable by out_color=), read
// through fontColours() when text is drawn, so a change made through them shows at the next draw.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap/core/TextLayout.h"
#include "engine/ScriptApi.h"

namespace bitmap {

class Font {
 public:
  static constexpr int kMinSize = 6;
  static constexpr int kMaxSize = 96;
  static constexpr int clampSize(int size) { return std::clamp(size, kMinSize, kMaxSize); }

  std::string face;  // the resolved family text is drawn with
  int size = 24;
  bool bold = false;
  bool italic = false;
  bool outline = true;
  bool shadow = false;
  bool pixel = false;
};

// A new Font object with the class defaults. May raise; call with no destructible objects alive.
engine::Value newDefaultFont();
// A new Font object copying `source` (a Font object) by the copy rules of Font#initialize_copy.
engine::Value copyFont(engine::Value source);
// The style a font object draws with: its flags and the current bytes of its two colours.
TextStyle fontStyle(engine::Value font);

// Name values: a String is one name, an Array its elements; anything else is ScriptError "wrong argument type".
std::vector<std::string> fontNames(engine::Value names);
// One name as a String, two or more as an Array; ScriptError "empty name" for none.
engine::Value normalisedNames(const std::vector<std::string>& names);

// The face text is drawn with when no name of a font exists.
const std::string& defaultFace();

}  // namespace bitmap
