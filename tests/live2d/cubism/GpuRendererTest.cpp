#include <gtest/gtest.h>

#include <cstdlib>

#include "live2d/cubism/CubismOffscreenFrame_D3D9.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"
#include "platform/gfx/Texture.h"
#include "tests/live2d/cubism/CubismTestSupport.h"
#include "tests/live2d/cubism/GpuTestSupport.h"

namespace live2d::cubism::test {
namespace {

constexpr std::uint8_t kDoubleSided = 4;
constexpr std::uint8_t kInverted = 8;

struct Rgba {
  int r = 0;
  int g = 0;
  int b = 0;
  int a = 0;
};

// A rectangle in y-up model units, counter-clockwise; the builder keeps positions y-down as the file does.
std::vector<float> rect(float left, float bottom, float right, float top, bool clockwise = false) {
  if (clockwise) return {left, -bottom, left, -top, right, -top, right, -bottom};
  return {left, -bottom, right, -bottom, right, -top, left, -top};
}

CubismImage texel(Rgba c) {
  return CubismImage{1,
                     1,
                     {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b),
                      static_cast<std::uint8_t>(c.a)}};
}

Rgba at(const CubismImage& image, int x, int y) {
  const std::size_t i =
      (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 4;
  return {image.rgba[i], image.rgba[i + 1], image.rgba[i + 2], image.rgba[i + 3]};
}

::testing::AssertionResult near(const Rgba& actual, const Rgba& expected, int tolerance = 1) {
  if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
      std::abs(actual.b - expected.b) <= tolerance && std::abs(actual.a - expected.a) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got (" << actual.r << ", " << actual.g << ", " << actual.b << ", "
                                       << actual.a << "), expected (" << expected.r << ", " << expected.g << ", "
                                       << expected.b << ", " << expected.a << ")";
}

struct Drawn {
  CubismImage gpu;
  CubismImage software;
};

class GpuRendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GFX_REQUIRE_DEVICE();
    CubismRenderer_D3D9::initializeConstantSettings(1, gfxtest::device());
  }

  // Draws the built model into a transparent width × height frame with both renderers; textures are
  // premultiplied images unless `straight`.
  Drawn draw(ModelBuilder& builder, int width, int height, const std::vector<CubismImage>& textures,
             bool culling = false) {
    model = builder.build();
    EXPECT_TRUE(model);
    if (!model) return {};
    model->update();
    renderer = std::make_unique<CubismRenderer_D3D9>();
    renderer->initialize(model.get());
    renderer->setIsPremultipliedAlpha(true);
    renderer->setIsCulling(culling);
    for (std::size_t i = 0; i < textures.size(); ++i) renderer->bindImage(static_cast<int>(i), textures[i]);
    EXPECT_TRUE(frame.createOffscreenFrame(*gfxtest::device(), width, height));
    EXPECT_TRUE(frame.beginDraw());
    frame.clear(0, 0, 0, 0);
    renderer->drawModel();
    frame.endDraw();

    CubismSoftwareRenderer software;
    software.initialize(model.get());
    software.setIsPremultipliedAlpha(true);
    software.setIsCulling(culling);
    software.setTarget(width, height);
    for (std::size_t i = 0; i < textures.size(); ++i) software.bindTexture(static_cast<int>(i), textures[i]);
    software.drawModel();
    return {readTargetImage(*frame.getTexture()), softwarePixels(software)};
  }

  // Every pixel of the two renderers agrees.
  static void expectSameAsSoftware(const Drawn& drawn) {
    ASSERT_EQ(drawn.gpu.rgba.size(), drawn.software.rgba.size());
    for (int y = 0; y < drawn.gpu.height; ++y) {
      for (int x = 0; x < drawn.gpu.width; ++x) {
        EXPECT_TRUE(near(at(drawn.gpu, x, y), at(drawn.software, x, y), 2)) << "pixel " << x << "," << y;
      }
    }
  }

  std::unique_ptr<CubismModel> model;
  std::unique_ptr<CubismRenderer_D3D9> renderer;
  CubismOffscreenFrame_D3D9 frame;
};

const Rgba kBase{80, 160, 40, 200};  // premultiplied
const Rgba kTop{100, 50, 25, 128};

struct BlendCase {
  const char* name;
  std::uint8_t mode;
  Rgba expected;
};

class GpuBlendTest : public GpuRendererTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(GpuBlendTest, BlendsThePremultipliedTopMeshOverTheBase) {
  ModelBuilder b;
  const int base = b.addMesh("Base", 0, {rect(-1, -1, 1, 1)}, {100}, {1});
  const int top = b.addMesh("Top", 0, {rect(-1, -1, 1, 1)}, {200}, {1});
  b.data.artMeshes[static_cast<std::size_t>(base)].flags = kDoubleSided;
  b.data.artMeshes[static_cast<std::size_t>(top)].flags = kDoubleSided | GetParam().mode;
  b.data.artMeshes[static_cast<std::size_t>(top)].textureIndex = 1;
  const Drawn drawn = draw(b, 2, 2, {texel(kBase), texel(kTop)});
  ASSERT_EQ(drawn.gpu.width, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_TRUE(near(at(drawn.gpu, x, y), GetParam().expected)) << GetParam().name;
  }
  expectSameAsSoftware(drawn);
}

// With the top's alpha t = 128/255 and the base as destination d:
INSTANTIATE_TEST_SUITE_P(Modes, GpuBlendTest,
                         ::testing::Values(
                             // top + d·(1 − t) in every channel
                             BlendCase{"normal", 0, {140, 130, 45, 228}},
                             // top + d, destination alpha kept
                             BlendCase{"additive", 1, {180, 210, 65, 200}},
                             // top·d + d·(1 − t), destination alpha kept
                             BlendCase{"multiplicative", 2, {71, 111, 24, 200}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GpuRendererTest, MasksClipToTheGreatestCoverageOfTheirMasksAndInvertedMasksToTheRest) {
  for (const bool inverted : {false, true}) {
    ModelBuilder b;
    // Invisible masks still clip: the left half at alpha 128, the top half at full alpha.
    const int left = b.addMesh("Left", 0, {rect(-1, -1, 0, 1)}, {100}, {0});
    const int upper = b.addMesh("Upper", 0, {rect(-1, 0, 1, 1)}, {100}, {0});
    const int clipped = b.addMesh("Clipped", 0, {rect(-1, -1, 1, 1)}, {200}, {1});
    b.data.artMeshes[static_cast<std::size_t>(left)].textureIndex = 1;
    b.data.artMeshes[static_cast<std::size_t>(upper)].textureIndex = 2;
    b.data.drawableMasks = {left, upper};
    auto& mesh = b.data.artMeshes[static_cast<std::size_t>(clipped)];
    mesh.maskBegin = 0;
    mesh.maskCount = 2;
    mesh.flags = static_cast<std::uint8_t>(kDoubleSided | (inverted ? kInverted : 0));
    b.data.artMeshes[static_cast<std::size_t>(left)].maskBegin = 2;
    b.data.artMeshes[static_cast<std::size_t>(upper)].maskBegin = 2;
    const Drawn drawn = draw(b, 4, 4, {texel(kBase), texel({128, 128, 128, 128}), texel({255, 255, 255, 255})});
    ASSERT_EQ(drawn.gpu.width, 4);
    const Rgba full = kBase;
    const Rgba none{0, 0, 0, 0};
    const Rgba half{40, 80, 20, 100};  // kBase · 128/255, and as nearly kBase · 127/255
    for (int x = 0; x < 4; ++x) {
      for (int y = 0; y < 2; ++y) EXPECT_TRUE(near(at(drawn.gpu, x, y), inverted ? none : full)) << x << "," << y;
      for (int y = 2; y < 4; ++y) {
        const Rgba expected = x < 2 ? half : (inverted ? full : none);
        EXPECT_TRUE(near(at(drawn.gpu, x, y), expected)) << x << "," << y << (inverted ? " inverted" : "");
      }
    }
    expectSameAsSoftware(drawn);
    EXPECT_EQ(renderer->maskTextureCount(), 1);
  }
}

TEST_F(GpuRendererTest, ManyClippingContextsEachKeepTheirOwnMask) {
  // Six contexts need two mask targets: each clipped mesh shows only in its own column.
  ModelBuilder b;
  std::vector<int> masks;
  std::vector<CubismImage> textures;
  const std::vector<Rgba> colours = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                     {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
  for (int i = 0; i < 6; ++i) {
    const float left = -1.0f + 0.25f * static_cast<float>(i);
    masks.push_back(b.addMesh("Mask" + std::to_string(i), 0, {rect(left, -1, left + 0.25f, 1)}, {100}, {0}));
    b.data.artMeshes.back().textureIndex = 6;
    textures.push_back(texel(colours[static_cast<std::size_t>(i)]));
  }
  textures.push_back(texel({255, 255, 255, 255}));
  b.data.drawableMasks = masks;
  for (int i = 0; i < 6; ++i) {
    const int mesh =
        b.addMesh("Clipped" + std::to_string(i), 0, {rect(-1, -1, 1, 1)}, {200.0f + static_cast<float>(i)}, {1});
    auto& clipped = b.data.artMeshes[static_cast<std::size_t>(mesh)];
    clipped.textureIndex = i;
    clipped.maskBegin = i;
    clipped.maskCount = 1;
  }
  for (int m : masks) b.data.artMeshes[static_cast<std::size_t>(m)].maskBegin = 6;
  const Drawn drawn = draw(b, 8, 1, textures);
  ASSERT_EQ(drawn.gpu.width, 8);
  for (int x = 0; x < 8; ++x) {
    const Rgba expected = x < 6 ? colours[static_cast<std::size_t>(x)] : Rgba{};
    EXPECT_TRUE(near(at(drawn.gpu, x, 0), expected)) << "column " << x;
  }
  EXPECT_EQ(renderer->maskTextureCount(), 2);
  expectSameAsSoftware(drawn);
}

TEST_F(GpuRendererTest, CullsSingleSidedBackFacesOnlyWhenCullingIsOn) {
  for (const bool culling : {true, false}) {
    ModelBuilder b;
    // Thirds: single-sided front face, single-sided back face, double-sided back face.
    const int front = b.addMesh("Front", 0, {rect(-1, -1, -1.0f / 3, 1)}, {100}, {1});
    const int back = b.addMesh("Back", 0, {rect(-1.0f / 3, -1, 1.0f / 3, 1, true)}, {100}, {1});
    const int both = b.addMesh("Both", 0, {rect(1.0f / 3, -1, 1, 1, true)}, {100}, {1});
    b.data.artMeshes[static_cast<std::size_t>(front)].flags = 0;
    b.data.artMeshes[static_cast<std::size_t>(back)].flags = 0;
    b.data.artMeshes[static_cast<std::size_t>(both)].flags = kDoubleSided;
    const Drawn drawn = draw(b, 3, 1, {texel({255, 255, 255, 255})}, culling);
    ASSERT_EQ(drawn.gpu.width, 3);
    const Rgba white{255, 255, 255, 255};
    EXPECT_TRUE(near(at(drawn.gpu, 0, 0), white));
    EXPECT_TRUE(near(at(drawn.gpu, 1, 0), culling ? Rgba{} : white)) << (culling ? "culling" : "no culling");
    EXPECT_TRUE(near(at(drawn.gpu, 2, 0), white));
    expectSameAsSoftware(drawn);
  }
}

TEST_F(GpuRendererTest, MultiplyAndScreenColoursTintTheTexelBeforeTheBaseColour) {
  ModelBuilder b;
  const int mesh = b.addMesh("Tinted", 0, {rect(-1, -1, 1, 1)}, {100}, {1});
  b.data.multiplyColors = {{0.5f, 1.0f, 0.25f}};
  b.data.screenColors = {{0.0f, 0.5f, 0.0f}};
  auto& keyform =
      b.data.artMeshKeyforms[static_cast<std::size_t>(b.data.artMeshes[static_cast<std::size_t>(mesh)].keyformBegin)];
  keyform.colors.multiplyBegin = 0;
  keyform.colors.screenBegin = 0;
  const Drawn drawn = draw(b, 1, 1, {texel(kBase)});
  ASSERT_EQ(drawn.gpu.width, 1);
  // r: 80·0.5; g: 160 + 0.5·200 − 160·0.5; b: 40·0.25; alpha untouched.
  EXPECT_TRUE(near(at(drawn.gpu, 0, 0), {40, 180, 10, 200}));
  // The model colour scales the result like an opacity.
  renderer->setModelColor(1.0f, 1.0f, 1.0f, 0.5f);
  ASSERT_TRUE(frame.beginDraw());
  frame.clear(0, 0, 0, 0);
  renderer->drawModel();
  frame.endDraw();
  EXPECT_TRUE(near(at(readTargetImage(*frame.getTexture()), 0, 0), {20, 90, 5, 100}));
}

TEST_F(GpuRendererTest, StraightTexturesArePremultipliedBeforeFiltering) {
  ModelBuilder b;
  b.addMesh("M", 0, {rect(-1, -1, 1, 1)}, {100}, {1});
  model = b.build();
  ASSERT_TRUE(model);
  model->update();
  // Opaque red beside a transparent texel whose straight colour is green; the mesh samples halfway. Filtering
  // straight colour would bring the green in.
  auto texture = gfxtest::managedTexture(2, 1, {0xFFFF0000, 0x0000FF00});
  ASSERT_TRUE(texture);
  ASSERT_TRUE(frame.createOffscreenFrame(*gfxtest::device(), 1, 1));
  const auto drawWith = [&](bool premultiplied, bool borrowed) {
    renderer = std::make_unique<CubismRenderer_D3D9>();
    renderer->initialize(model.get());
    renderer->setIsPremultipliedAlpha(premultiplied);
    if (borrowed) {
      renderer->bindTexture(0, texture.get());
    } else {
      renderer->bindImage(0, CubismImage{2, 1, {255, 0, 0, 255, 0, 255, 0, 0}});
    }
    EXPECT_TRUE(frame.beginDraw());
    frame.clear(0, 0, 0, 0);
    renderer->drawModel();
    frame.endDraw();
    return at(readTargetImage(*frame.getTexture()), 0, 0);
  };
  EXPECT_TRUE(near(drawWith(false, true), {128, 0, 0, 128}));
  EXPECT_TRUE(near(drawWith(false, false), {128, 0, 0, 128}));
  // Told the texture is premultiplied, the renderer takes its texels as they are.
  EXPECT_TRUE(near(drawWith(true, true), {128, 128, 0, 128}));
}

TEST_F(GpuRendererTest, DrawingLeavesTheDeviceAsItFound) {
  ModelBuilder b;
  const int mask = b.addMesh("Mask", 0, {rect(-1, 0, 1, 1)}, {100}, {1});
  const int clipped = b.addMesh("Clipped", 0, {rect(-1, -1, 1, 1)}, {200}, {1});
  b.data.drawableMasks = {mask};
  b.data.artMeshes[static_cast<std::size_t>(clipped)].maskCount = 1;
  b.data.artMeshes[static_cast<std::size_t>(mask)].maskBegin = 1;
  model = b.build();
  ASSERT_TRUE(model);
  model->update();
  renderer = std::make_unique<CubismRenderer_D3D9>();
  renderer->initialize(model.get());
  renderer->bindImage(0, texel({255, 255, 255, 255}));

  gfx::Device& device = *gfxtest::device();
  auto target = gfx::Texture::createRenderTarget(8, 8);
  auto second = gfx::Texture::createRenderTarget(8, 8);
  auto sampled = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  device.setRenderTarget(0, target.get());
  device.setRenderTarget(1, second.get());
  device.setViewport({2, 2, 4, 4, 0.0f, 1.0f});
  device.renderState().srcBlend = gfx::Blend::SrcAlpha;
  device.renderState().cullMode = gfx::Cull::Clockwise;
  device.samplerState(1).addressU = gfx::Address::Mirror;
  device.setTexture(0, sampled.get());
  device.setTexture(1, sampled.get());
  const gfx::StateBlock before = device.captureState();

  renderer->drawModel();

  EXPECT_EQ(device.renderTarget(0), target.get());
  EXPECT_EQ(device.renderTarget(1), second.get());
  EXPECT_EQ(device.viewport(), (gfx::Viewport{2, 2, 4, 4, 0.0f, 1.0f}));
  const gfx::StateBlock after = device.captureState();
  EXPECT_EQ(after.render, before.render);
  EXPECT_EQ(after.samplers, before.samplers);
  EXPECT_EQ(after.program, before.program);
  EXPECT_EQ(device.texture(0), sampled.get());
  EXPECT_EQ(device.texture(1), sampled.get());
  EXPECT_EQ(renderer->maskTextureCount(), 1);

  // The model went into the viewport only, clipped to its upper half.
  const CubismImage image = readTargetImage(*target);
  EXPECT_TRUE(near(at(image, 3, 3), {255, 255, 255, 255}));
  EXPECT_TRUE(near(at(image, 3, 4), {0, 0, 0, 0}));
  EXPECT_TRUE(near(at(image, 1, 3), {0, 0, 0, 0}));
  gfxtest::resetDevice();
}

TEST_F(GpuRendererTest, MasksStayTheRightWayUpInTheBackBuffer) {
  ModelBuilder b;
  const int mask = b.addMesh("Mask", 0, {rect(-1, 0, 1, 1)}, {100}, {0});
  const int clipped = b.addMesh("Clipped", 0, {rect(-1, -1, 1, 1)}, {200}, {1});
  b.data.drawableMasks = {mask};
  b.data.artMeshes[static_cast<std::size_t>(clipped)].maskCount = 1;
  b.data.artMeshes[static_cast<std::size_t>(mask)].maskBegin = 1;
  model = b.build();
  ASSERT_TRUE(model);
  model->update();
  renderer = std::make_unique<CubismRenderer_D3D9>();
  renderer->initialize(model.get());
  renderer->bindImage(0, texel({255, 255, 255, 255}));
  gfx::Device& device = *gfxtest::device();
  device.setRenderTarget(0, nullptr);
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  renderer->drawModel();
  const int width = device.backBufferWidth();
  const int height = device.backBufferHeight();
  std::vector<std::uint32_t> pixels;
  ASSERT_TRUE(device.readBackBuffer({0, 0, width, height}, pixels));
  EXPECT_EQ(pixels[static_cast<std::size_t>(width / 2)], 0xFFFFFFFFu) << "top row";
  EXPECT_EQ(pixels[static_cast<std::size_t>((height - 1) * width + width / 2)], 0xFF000000u) << "bottom row";
}

TEST_F(GpuRendererTest, WithoutADeviceNothingIsDrawnAndTheLogSaysWhy) {
  ModelBuilder b;
  b.addMesh("M", 0, {rect(-1, -1, 1, 1)}, {100}, {1});
  model = b.build();
  ASSERT_TRUE(model);
  model->update();
  renderer = std::make_unique<CubismRenderer_D3D9>();
  renderer->initialize(model.get());
  renderer->bindImage(0, texel({255, 255, 255, 255}));
  ASSERT_TRUE(frame.createOffscreenFrame(*gfxtest::device(), 1, 1));
  CubismRenderer_D3D9::onDeviceLost();
  LogCapture log;
  ASSERT_TRUE(frame.beginDraw());
  renderer->drawModel();
  frame.endDraw();
  EXPECT_TRUE(log.contains("no device"));
  EXPECT_TRUE(near(at(readTargetImage(*frame.getTexture()), 0, 0), {0, 0, 0, 0}));
}

TEST_F(GpuRendererTest, OffscreenFrameDrawsInsteadOfTheTargetsBeforeAndPutsThemBack) {
  gfx::Device& device = *gfxtest::device();
  auto outer = gfx::Texture::createRenderTarget(6, 6);
  auto extra = gfx::Texture::createRenderTarget(6, 6);
  device.setRenderTarget(0, outer.get());
  device.setRenderTarget(1, extra.get());
  device.setViewport({1, 1, 2, 2, 0.0f, 1.0f});

  EXPECT_FALSE(frame.beginDraw()) << "no frame yet";
  EXPECT_FALSE(frame.createOffscreenFrame(device, 0, 5));
  EXPECT_FALSE(frame.isValid());
  ASSERT_TRUE(frame.createOffscreenFrame(device, 3, 2));
  const gfx::Texture* made = frame.getTexture();
  ASSERT_TRUE(frame.createOffscreenFrame(device, 3, 2));
  EXPECT_EQ(frame.getTexture(), made) << "same size keeps the frame";
  EXPECT_EQ(frame.getBufferWidth(), 3);
  EXPECT_EQ(frame.getBufferHeight(), 2);

  ASSERT_TRUE(frame.beginDraw());
  EXPECT_FALSE(frame.beginDraw()) << "already drawing";
  EXPECT_EQ(device.renderTarget(0), made);
  EXPECT_EQ(device.renderTarget(1), nullptr);
  frame.clear(1.0f, 0.5f, 0.0f, 1.0f);
  frame.endDraw();
  EXPECT_EQ(device.renderTarget(0), outer.get());
  EXPECT_EQ(device.renderTarget(1), extra.get());
  EXPECT_EQ(device.viewport(), (gfx::Viewport{1, 1, 2, 2, 0.0f, 1.0f}));
  const CubismImage image = readTargetImage(*frame.getTexture());
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_TRUE(near(at(image, x, y), {255, 128, 0, 255}));
  }

  // Destroying while drawing still hands the targets back.
  ASSERT_TRUE(frame.beginDraw());
  frame.destroyOffscreenFrame();
  EXPECT_FALSE(frame.isValid());
  EXPECT_EQ(device.renderTarget(0), outer.get());
  gfxtest::resetDevice();
}

}  // namespace
}  // namespace live2d::cubism::test
