// Per-frame cost of the Live2D runtime on the sample models: evaluation (parameters → vertices), the
// draw list, and a software render, each beside its floor: copying the frame's vertex output once.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "live2d/cubism/CubismDrawList.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "live2d/cubism/tool/PngFile.h"

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

}  // namespace

int main() {
  const std::string root = std::string(QUILLON_TESTDATA_DIR) + "/live2d";
  if (!std::filesystem::exists(root)) {
    std::printf("bench_live2d: samples not found under %s\n", root.c_str());
    return 0;
  }
  std::printf("%-6s %10s %10s %10s %12s %12s\n", "model", "vertices", "floor us", "eval us", "drawlist us",
              "render260 us");
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
    std::printf("%-6s %10zu %10.2f %10.2f %12.2f %12.1f\n", name, floats / 2, floor, evaluation, drawList, render);
  }
  return 0;
}
