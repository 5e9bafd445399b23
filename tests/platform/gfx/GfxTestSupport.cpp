#include "GfxTestSupport.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace gfxtest {

namespace {

struct Shared {
  std::unique_ptr<gfx::Context> context;
  std::unique_ptr<gfx::Device> device;
};

Shared& shared() {
  static Shared instance = [] {
    Shared made;
    std::string error;
    made.context = gfx::Context::createHeadless(kBackBufferWidth, kBackBufferHeight, &error);
    if (!made.context) {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
      return made;
    }
    made.device = std::make_unique<gfx::Device>(*made.context);
    return made;
  }();
  return instance;
}

}  // namespace

gfx::Device* device() { return shared().device.get(); }

void resetDevice() {
  gfx::Device& device = *shared().device;
  gfx::StateBlock fresh;
  device.applyState(fresh);
  for (int unit = 0; unit < gfx::kSamplerCount; ++unit) device.setTexture(unit, nullptr);
  for (int index = gfx::kRenderTargetCount - 1; index >= 0; --index) device.setRenderTarget(index, nullptr);
}

std::unique_ptr<gfx::Texture> managedTexture(int width, int height, const std::vector<std::uint32_t>& pixels) {
  auto texture = gfx::Texture::createManaged(width, height);
  if (!texture) return nullptr;
  gfx::Texture::LockedRect locked = texture->lockRect();
  for (int row = 0; row < height; ++row) {
    std::memcpy(locked.bits + static_cast<std::size_t>(row) * static_cast<std::size_t>(locked.pitch),
                &pixels[static_cast<std::size_t>(row * width)], static_cast<std::size_t>(width) * 4);
  }
  texture->unlock();
  return texture;
}

std::vector<std::uint32_t> readTarget(const gfx::Texture& target) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(target.width() * target.height()));
  if (!target.readPixels({0, 0, target.width(), target.height()}, pixels.data(), target.width() * 4)) return {};
  return pixels;
}

}  // namespace gfxtest
