#pragma once

// One headless GL context and device shared by the layer's tests (creating a context per test is slow), and
// helpers to make textures and read pixels back.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"

namespace gfxtest {

inline constexpr int kBackBufferWidth = 64;
inline constexpr int kBackBufferHeight = 48;

// Null when no GL context can be made here; tests then skip.
gfx::Device* device();

// A device state as a fresh device has it, so that one test's states never leak into the next.
void resetDevice();

std::unique_ptr<gfx::Texture> managedTexture(int width, int height, const std::vector<std::uint32_t>& pixels);
std::vector<std::uint32_t> readTarget(const gfx::Texture& target);

}  // namespace gfxtest

#define GFX_REQUIRE_DEVICE()                                        \
  do {                                                              \
    if (gfxtest::device() == nullptr) GTEST_SKIP() << "no GL context here"; \
    gfxtest::resetDevice();                                         \
  } while (false)
