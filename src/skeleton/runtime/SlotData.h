#pragma once

#include <optional>
#include <string>

#include "skeleton/runtime/Color.h"

namespace spine {

struct BoneData;

enum class BlendMode { Normal, Additive, Multiply, Screen };

struct SlotData {
  int index = 0;
  std::string name;
  BoneData* boneData = nullptr;
  Color color;
  std::optional<Color> darkColor;             // present only for two-colour tinting
  std::optional<std::string> attachmentName;  // skin key of the setup attachment
  BlendMode blendMode = BlendMode::Normal;
};

}  // namespace spine
