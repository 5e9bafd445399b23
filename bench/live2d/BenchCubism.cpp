// Per-frame cost of the Live2D runtime on the sample models: evaluation (parameters → vertices), the
// draw list, and a software render, each beside its floor: copying the frame's vertex output once. Then the
// graphics-layer renderer's draw into a 544 × 416 offscreen frame (the default screen), waited for, beside its
// floor: clearing that frame and waiting for it.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "live2d/cubism/CubismDrawList.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismOffscreenFrame_D3D9.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"
#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "live2d/cubism/tool/PngFile.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"

using namespace live2d::cubism;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class F>
double microsecondsPer(int iterations, F&& f) {
  const auto start = Clock::now();
  for (int i = 0; i < iterations; ++i) f(i);
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / iterations;
}

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;

// The headless device the graphics-layer draws are measured on; null (and said) when there is none.
struct Gpu {
  std::unique_ptr<gfx::Context> context;
  std::unique_ptr<gfx::Device> device;
  CubismOffscreenFrame_D3D9 frame;
};

std::unique_ptr<Gpu> makeGpu() {
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  auto gpu = std::make_unique<Gpu>();
  std::string error;
  gpu->context = gfx::Context::createHeadless(16, 16, &error);
  if (!gpu->context) {
    std::printf("bench_live2d: no GL context (%s); GPU columns left out\n", error.c_str());
    return nullptr;
  }
  gpu->device = std::make_unique<gfx::Device>(*gpu->context);
  if (!gpu->frame.createOffscreenFrame(*gpu->device, kScreenWidth, kScreenHeight)) return nullptr;
  CubismRenderer_D3D9::initializeConstantSettings(1, gpu->device.get());
  std::printf("GPU: %s\n", gpu->context->rendererName().c_str());
  return gpu;
}

// One frame as the game draws it: into the offscreen frame, cleared; then waits for the GPU by reading a pixel.
void drawFrame(Gpu& gpu, CubismRenderer_D3D9* renderer) {
  gpu.frame.beginDraw();
  gpu.frame.clear(0, 0, 0, 0);
  CubismRenderer_D3D9::startFrame(gpu.device.get(), kScreenWidth, kScreenHeight);
  if (renderer != nullptr) renderer->drawModel();
  CubismRenderer_D3D9::endFrame(gpu.device.get());
  gpu.frame.endDraw();
  std::uint32_t pixel = 0;
  (void)gpu.frame.getTexture()->readPixels({0, 0, 1, 1}, &pixel, 4);
}

}  // namespace

int main() {
  const std::string root = std::string(QUILLON_TESTDATA_DIR) + "/live2d";
  if (!std::filesystem::exists(root)) {
    std::printf("bench_live2d: samples not found under %s\n", root.c_str());
    return 0;
  }
  std::unique_ptr<Gpu> gpu = makeGpu();
  double gpuFloor = 0.0;
  if (gpu) {
    drawFrame(*gpu, nullptr);
    gpuFloor = microsecondsPer(50, [&](int) { drawFrame(*gpu, nullptr); });
  }
  std::printf("%-6s %10s %10s %10s %12s %12s %14s %12s %6s\n", "model", "vertices", "floor us", "eval us",
              "drawlist us", "render260 us", "gpu floor us", "gpu544 us", "masks");
  for (const char* name : {"Haru", "Mark", "Mao"}) {
    const std::string folder = root + "/" + name + "/";
    CubismModelSettingJson setting(readFile(folder + name + ".model3.json"));
    const auto moc = CubismMoc::create(readFile(folder + setting.getModelFileName()));
    if (!moc) return 1;
    auto model = moc->createModel();
    model->update();
    std::size_t floats = 0;
    for (int d = 0; d < model->getDrawableCount(); ++d) floats += model->getDrawableVertexPositions(d).size();
    std::vector<float> sink(floats);
    const int angleX = model->getParameterIndex(CubismFramework::getIdManager()->getId("ParamAngleX"));
    const int frames = 2000;
    // Floor: reading every output vertex once.
    const double floor = microsecondsPer(frames, [&](int) {
      std::size_t at = 0;
      for (int d = 0; d < model->getDrawableCount(); ++d) {
        const auto p = model->getDrawableVertexPositions(d);
        std::memcpy(sink.data() + at, p.data(), p.size_bytes());
        at += p.size();
      }
    });
    const double evaluation = microsecondsPer(frames, [&](int i) {
      model->setParameterValue(angleX, 30.0f * std::sin(static_cast<float>(i) * 0.05f));
      model->update();
    });
    CubismDrawList list;
    const double drawList = microsecondsPer(frames, [&](int) { list.build(*model, {}, false); });
    CubismSoftwareRenderer renderer;
    renderer.initialize(model.get());
    const int width = 260;
    const int height = CubismSoftwareRenderer::canvasImageHeight(*model, width);
    renderer.setTarget(width, height);
    renderer.setMvpMatrix(CubismSoftwareRenderer::canvasProjection(*model, width, height));
    for (int i = 0; i < setting.getTextureCount(); ++i) {
      if (auto image = readPng(folder + setting.getTextureFileName(i), nullptr)) renderer.bindTexture(i, *image);
    }
    const double render = microsecondsPer(50, [&](int) {
      renderer.clear(0, 0, 0, 0);
      renderer.drawModel();
    });
    double gpuDraw = 0.0;
    int masks = 0;
    if (gpu) {
      CubismRenderer_D3D9 gpuRenderer;
      gpuRenderer.initialize(model.get());
      for (int i = 0; i < setting.getTextureCount(); ++i) {
        if (auto image = readPng(folder + setting.getTextureFileName(i), nullptr)) gpuRenderer.bindImage(i, *image);
      }
      gpuRenderer.setMvpMatrix(CubismSoftwareRenderer::canvasProjection(*model, kScreenWidth, kScreenHeight));
      drawFrame(*gpu, &gpuRenderer);  // first use links the shaders and makes the mask targets
      // Every draw uploads all vertices again, as it must after each update.
      gpuDraw = microsecondsPer(50, [&](int) { drawFrame(*gpu, &gpuRenderer); });
      masks = gpuRenderer.maskTextureCount();
    }
    std::printf("%-6s %10zu %10.2f %10.2f %12.2f %12.1f %14.1f %12.1f %6d\n", name, floats / 2, floor, evaluation,
                drawList, render, gpuFloor, gpuDraw, masks);
  }
  return 0;
}
