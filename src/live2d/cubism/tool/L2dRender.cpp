// l2d-render [--gpu] MODEL3_JSON OUT_PNG [WIDTH] [PARAM_ID=VALUE ...]
// Renders a model headless at the given parameter values (the others at their defaults; no motion,
// physics, pose or breath) to a PNG of the given width, composited over white. --gpu draws with the
// graphics-layer renderer on a hidden GL context (SDL's offscreen driver unless SDL_VIDEODRIVER says
// otherwise) instead of the software one.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

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

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void printLog(const char* message) { std::fputs(message, stderr); }

int usage() {
  std::fputs("usage: l2d-render [--gpu] MODEL3_JSON OUT_PNG [WIDTH] [PARAM_ID=VALUE ...]\n", stderr);
  return 2;
}

struct Texture {
  int index = 0;
  CubismImage image;
};

// Draws with the graphics-layer renderer into an offscreen frame and reads it back over white.
std::optional<CubismImage> renderWithGpu(const CubismModel& model, const std::vector<Texture>& textures, int width,
                                         int height, const CubismMatrix44& projection) {
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  std::string error;
  std::unique_ptr<gfx::Context> context = gfx::Context::createHeadless(16, 16, &error);
  if (!context) {
    std::fprintf(stderr, "l2d-render: no GL context: %s\n", error.c_str());
    return std::nullopt;
  }
  std::optional<CubismImage> result;
  {
    gfx::Device device(*context);
    CubismRenderer_D3D9::initializeConstantSettings(1, &device);
    CubismRenderer_D3D9 renderer;
    renderer.initialize(&model);
    for (const Texture& texture : textures) renderer.bindImage(texture.index, texture.image);
    renderer.setMvpMatrix(projection);
    CubismOffscreenFrame_D3D9 frame;
    if (!frame.createOffscreenFrame(device, width, height) || !frame.beginDraw()) {
      std::fprintf(stderr, "l2d-render: no %d x %d offscreen frame\n", width, height);
    } else {
      frame.clear(0, 0, 0, 0);
      CubismRenderer_D3D9::startFrame(&device, width, height);
      renderer.drawModel();
      CubismRenderer_D3D9::endFrame(&device);
      frame.endDraw();
      std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
      if (frame.getTexture()->readPixels({0, 0, width, height}, bgra.data(), width * 4)) {
        CubismImage image{width, height, std::vector<std::uint8_t>(bgra.size())};
        for (std::size_t i = 0; i < bgra.size(); i += 4) {
          // Premultiplied over white: colour + 255 · (1 − alpha).
          const unsigned keep = 255u - bgra[i + 3];
          const auto over = [&](std::uint8_t c) { return static_cast<std::uint8_t>(std::min(255u, c + keep)); };
          image.rgba[i] = over(bgra[i + 2]);
          image.rgba[i + 1] = over(bgra[i + 1]);
          image.rgba[i + 2] = over(bgra[i]);
          image.rgba[i + 3] = 255;
        }
        result = std::move(image);
      }
    }
    CubismRenderer_D3D9::onDeviceLost();
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  bool gpu = false;
  if (argc > 1 && std::strcmp(argv[1], "--gpu") == 0) {
    gpu = true;
    --argc;
    ++argv;
  }
  if (argc < 3) return usage();
  CubismFramework::setLogFunction(printLog);
  CubismFramework::setLoggingLevel(LogLevel::Warning);

  const std::string settingPath = argv[1];
  const std::string outPath = argv[2];
  int width = 260;
  int firstParameter = 3;
  if (argc > 3 && std::string(argv[3]).find('=') == std::string::npos) {
    char* end = nullptr;
    const long w = std::strtol(argv[3], &end, 10);
    if (*end != '\0' || w <= 0 || w > 16384) return usage();
    width = static_cast<int>(w);
    firstParameter = 4;
  }
  const std::size_t slash = settingPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : settingPath.substr(0, slash + 1);

  const std::vector<std::uint8_t> settingBytes = readFile(settingPath);
  if (settingBytes.empty()) {
    std::fprintf(stderr, "l2d-render: cannot read %s\n", settingPath.c_str());
    return 1;
  }
  CubismModelSettingJson setting(settingBytes);
  const std::vector<std::uint8_t> mocBytes = readFile(folder + setting.getModelFileName());
  std::shared_ptr<CubismMoc> moc = CubismMoc::create(mocBytes);
  if (!moc) {
    std::fprintf(stderr, "l2d-render: cannot load the moc of %s\n", settingPath.c_str());
    return 1;
  }
  std::unique_ptr<CubismModel> model = moc->createModel();
  CubismIdManager* ids = CubismFramework::getIdManager();
  for (int i = firstParameter; i < argc; ++i) {
    const std::string assignment = argv[i];
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos) return usage();
    const CubismIdHandle id = ids->getId(assignment.substr(0, eq));
    if (model->getParameterIndex(id) >= model->getParameterCount()) {
      std::fprintf(stderr, "l2d-render: the model has no parameter %s\n", assignment.substr(0, eq).c_str());
      return 1;
    }
    model->setParameterValue(id, std::strtof(assignment.c_str() + eq + 1, nullptr));
  }
  model->update();

  const int height = CubismSoftwareRenderer::canvasImageHeight(*model, width);
  std::vector<Texture> textures;
  for (int i = 0; i < setting.getTextureCount(); ++i) {
    std::string error;
    auto image = readPng(folder + setting.getTextureFileName(i), &error);
    if (!image) {
      std::fprintf(stderr, "l2d-render: texture %s: %s\n", setting.getTextureFileName(i).c_str(), error.c_str());
      continue;
    }
    textures.push_back({i, std::move(*image)});
  }
  const CubismMatrix44 projection = CubismSoftwareRenderer::canvasProjection(*model, width, height);
  CubismImage picture;
  if (gpu) {
    std::optional<CubismImage> drawn = renderWithGpu(*model, textures, width, height, projection);
    if (!drawn) return 1;
    picture = std::move(*drawn);
  } else {
    CubismSoftwareRenderer renderer;
    renderer.initialize(model.get());
    renderer.setTarget(width, height);
    for (const Texture& texture : textures) renderer.bindTexture(texture.index, texture.image);
    renderer.setMvpMatrix(projection);
    renderer.drawModel();
    picture = renderer.compositeOver(1.0f, 1.0f, 1.0f);
  }
  std::string error;
  if (!writePng(outPath, picture, &error)) {
    std::fprintf(stderr, "l2d-render: cannot write %s: %s\n", outPath.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
