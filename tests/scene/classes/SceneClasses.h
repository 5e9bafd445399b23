#pragma once

// Defines the scene's script classes once per test process, after the environment has defined the value
// classes and Bitmap.

#include "scene/SpriteClass.h"
#include "scene/ViewportClass.h"

namespace scene::test {

inline void defineSceneClasses() {
  static const bool defined = [] {
    defineViewportClass();
    defineSpriteClass();
    return true;
  }();
  (void)defined;
}

}  // namespace scene::test
