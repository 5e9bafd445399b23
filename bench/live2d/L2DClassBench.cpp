// Frame time of a screen showing 1, 2 and 4 L2D objects (the Haru sample at half zoom), through the real renderer:
// the frame pass (each model updated and drawn into its frame, then turned into straight colour), the scene drawing
// each frame as one quad, composite and scale. Beside it, the floor: the runtime alone updating and drawing the same
// models into offscreen frames, and the frame of an empty scene. The class's own cost is what the frame takes
// beyond those two. Each frame ends by reading one pixel back, so the GPU's work is inside the time.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "live2d/L2D.h"
#include "live2d/L2DFramePass.h"
#include "live2d/LAppModel.h"
#include "live2d/Live2D.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 544;
constexpr int kHeight = 416;
constexpr int kFrames = 60;
constexpr float kFrameSeconds = 1.0f / 60.0f;

void sync(gfx::Device& device) {
  std::vector<std::uint32_t> pixel;
  if (!device.readBackBuffer({0, 0, 1, 1}, pixel)) std::fprintf(stderr, "bench_live2d_class: no read-back\n");
}

template <class F>
double millisecondsPerFrame(F&& frame) {
  for (int i = 0; i < 5; ++i) frame();
  const auto start = Clock::now();
  for (int i = 0; i < kFrames; ++i) frame();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kFrames;
}

}  // namespace

int main() {
  const std::string folder = std::string(QUILLON_TESTDATA_DIR) + "/live2d/Haru/";
  if (!std::filesystem::exists(folder + "Haru.model3.json")) {
    std::printf("bench_live2d_class: samples not found under %s\n", folder.c_str());
    return 0;
  }
  std::unique_ptr<render::Renderer> renderer = rendertest::makeRenderer(kWidth, kHeight, kWidth, kHeight);
  if (!renderer) {
    std::printf("bench_live2d_class: no GL context here\n");
    return 0;
  }
  scene::installSceneFrame();
  live2d::installFramePass();
  live2d::startFramework();
  gfx::Device& device = renderer->device();

  const double empty = millisecondsPerFrame([&] {
    renderer->render(false);
    sync(device);
  });
  std::printf("%-7s %12s %12s %12s %10s\n", "models", "frame ms", "floor ms", "empty ms", "overhead");
  for (int count : {1, 2, 4}) {
    std::vector<std::unique_ptr<live2d::L2D>> objects;
    for (int i = 0; i < count; ++i) {
      auto object = std::make_unique<live2d::L2D>();
      object->ownColor();
      object->ownTone();
      object->load(folder, "Haru.model3.json", kWidth, kHeight);
      object->attach(nullptr);
      object->modelZoomX = object->modelZoomY = 0.5f;
      object->modelX = (i - count / 2) * 100;
      objects.push_back(std::move(object));
    }
    const double frame = millisecondsPerFrame([&] {
      renderer->render(false);
      sync(device);
    });

    objects.clear();

    std::vector<std::unique_ptr<live2d::LAppModel>> models;
    for (int i = 0; i < count; ++i) {
      models.push_back(std::make_unique<live2d::LAppModel>());
      models.back()->loadAssets(folder, "Haru.model3.json");
    }
    live2d::cubism::CubismMatrix44 projection;
    projection.scale(0.5f, 0.5f * kWidth / kHeight);
    const double floor = millisecondsPerFrame([&] {
      live2d::cubism::CubismRenderer_D3D9::startFrame(&device, kWidth, kHeight);
      for (auto& model : models) {
        model->update(kFrameSeconds);
        auto& target = model->renderBuffer();
        if (!target.createOffscreenFrame(device, kWidth, kHeight) || !target.beginDraw()) continue;
        target.clear(0, 0, 0, 0);
        live2d::cubism::CubismMatrix44 mvp = projection;
        mvp.multiplyByMatrix(*model->getModelMatrix());
        model->renderer()->setMvpMatrix(mvp);
        model->renderer()->drawModel();
        target.endDraw();
      }
      live2d::cubism::CubismRenderer_D3D9::endFrame(&device);
      // Waits for the frames themselves: the back buffer is not drawn here.
      std::uint32_t pixel = 0;
      if (!models.back()->renderBuffer().getTexture()->readPixels({0, 0, 1, 1}, &pixel, 4)) sync(device);
    });
    models.clear();
    std::printf("%-7d %12.2f %12.2f %12.2f %9.2fx\n", count, frame, floor, empty, frame / (floor + empty));
  }
  renderer.reset();
  return 0;
}
