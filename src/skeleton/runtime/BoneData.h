#pragma once

#include <string>

#include "skeleton/runtime/Color.h"

namespace spine {

// How a bone inherits its parent's world transform.
enum class TransformMode { Normal, OnlyTranslation, NoRotationOrReflection, NoScale, NoScaleOrReflection };

struct BoneData {
  int index = 0;
  std::string name;
  BoneData* parent = nullptr;  // null only for the root
  float length = 0;
  float x = 0, y = 0, rotation = 0, scaleX = 1, scaleY = 1, shearX = 0, shearY = 0;
  TransformMode transformMode = TransformMode::Normal;
  bool skinRequired = false;  // active only while the current skin lists it
  Color color{0.61f, 0.61f, 0.61f, 1};
};

}  // namespace spine
