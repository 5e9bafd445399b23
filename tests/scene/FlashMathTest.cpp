#include "scene/FlashMath.h"

#include <gtest/gtest.h>

namespace {

TEST(Flash, ColourStepsDownToNothingOverItsDuration) {
  scene::FlashState state;
  const bindings::Color white{255, 255, 255, 255};
  scene::startFlash(state, &white, 4);
  EXPECT_FLOAT_EQ(state.colour[3], 1.0f);
  EXPECT_FALSE(scene::hiddenByFlash(state.framesLeft, state.colour));
  for (int i = 0; i < 2; ++i) scene::stepFlash(state);
  EXPECT_NEAR(state.colour[0], 0.5f, 1e-6);
  for (int i = 0; i < 5; ++i) scene::stepFlash(state);
  EXPECT_EQ(state.framesLeft, 0);
  EXPECT_NEAR(state.colour[3], 0.0f, 1e-6);
}

TEST(Flash, OneFrameFlashIsGoneAfterOneStep) {
  scene::FlashState state;
  const bindings::Color grey{128, 128, 128, 255};
  scene::startFlash(state, &grey, 1);
  scene::stepFlash(state);
  EXPECT_EQ(state.framesLeft, 0);
  EXPECT_NEAR(state.colour[3], 0.0f, 1e-6);
}

TEST(Flash, WithoutColourHidesForItsDuration) {
  scene::FlashState state;
  scene::startFlash(state, nullptr, 3);
  scene::stepFlash(state);
  scene::startFlash(state, nullptr, 2);
  EXPECT_FLOAT_EQ(state.hideProgress, 0.0f) << "a new flash starts over";
  EXPECT_TRUE(scene::hiddenByFlash(state.framesLeft, state.colour));
  scene::stepFlash(state);
  EXPECT_FLOAT_EQ(state.hideProgress, 0.5f);
  EXPECT_TRUE(scene::hiddenByFlash(state.framesLeft, state.colour));
  scene::stepFlash(state);
  EXPECT_FALSE(scene::hiddenByFlash(state.framesLeft, state.colour));
  EXPECT_FLOAT_EQ(state.hideProgress, 1.0f);
}

TEST(Flash, ZeroDurationKeepsItsColourWithFiniteSteps) {
  scene::FlashState state;
  const bindings::Color red{0, 0, 255, 255};
  scene::startFlash(state, &red, 0);
  scene::stepFlash(state);
  EXPECT_FLOAT_EQ(state.colour[0], 1.0f);
  EXPECT_FLOAT_EQ(state.step[0], 0.0f);
  scene::startFlash(state, nullptr, -3);
  EXPECT_FALSE(scene::hiddenByFlash(state.framesLeft, state.colour));
  EXPECT_FLOAT_EQ(state.hideStep, 0.0f);
}

}  // namespace
