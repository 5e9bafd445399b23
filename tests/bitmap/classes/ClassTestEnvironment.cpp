#include "ClassTestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "tests/support/ValueClassEngine.h"

namespace bitmap::test {

namespace {

engine::ScriptApi g_api;

struct Graphics {
  std::unique_ptr<gfx::Context> context;
  std::unique_ptr<gfx::Device> device;
  std::unique_ptr<gfx::SpriteBatch> batch;
};

Graphics& graphics() {
  static Graphics instance;
  return instance;
}

class ClassEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string error;
    graphics().context = gfx::Context::createHeadless(64, 64, &error);
    if (graphics().context) {
      graphics().device = std::make_unique<gfx::Device>(*graphics().context);
      graphics().batch = std::make_unique<gfx::SpriteBatch>(*graphics().device);
    } else {
      std::fprintf(stderr, "no GL context: %s\n", error.c_str());
    }
    ::test::startEngineWithValueClasses(g_api);
    defineBitmapClass();
    defineFontClass();
    g_api.eval_string(R"(
      def __quillon_probe
        yield.to_s
      rescue Exception => error
        "#{error.class}: #{error.message}"
      end
    )");
  }

  void TearDown() override {
    // Bitmaps the interpreter still holds keep their pixels without a texture once the context is gone.
    releaseAllTextures();
    graphics().batch.reset();
    graphics().device.reset();
  }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ClassEnvironment);

}  // namespace

bool haveGraphics() { return graphics().context != nullptr; }

engine::Value eval(const std::string& code) { return g_api.eval_string(code.c_str()); }

std::string run(const std::string& code) {
  std::string wrapped = "__quillon_probe {\n" + code + "\n}";
  int state = 0;
  engine::Value result = g_api.eval_string_protect(wrapped.c_str(), &state);
  if (state != 0) return "uncaught error";
  return std::string(g_api.string_ptr(result), static_cast<std::size_t>(g_api.string_length(result)));
}

std::vector<std::uint32_t> gpuPixels(const gfx::Texture& texture) {
  Graphics& g = graphics();
  std::unique_ptr<gfx::Texture> target = gfx::Texture::createRenderTarget(texture.width(), texture.height());
  g.device->setRenderTarget(0, target.get());
  g.batch->begin(false);
  g.batch->draw(&texture, nullptr, nullptr, nullptr, 0xFFFFFFFF);
  g.batch->end();
  g.device->setRenderTarget(0, nullptr);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(texture.width()) * texture.height());
  target->readPixels({0, 0, texture.width(), texture.height()}, pixels.data(), texture.width() * 4);
  return pixels;
}

}  // namespace bitmap::test
