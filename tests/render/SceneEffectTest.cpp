#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "platform/gfx/Device.h"
#include "render/SceneEffect.h"

namespace {

using gfx::Blend;
using gfx::BlendOp;

#define REQUIRE_RENDERER(renderer) \
  if (!(renderer)) GTEST_SKIP() << "no GL context here"

TEST(SceneEffectTextTest, AdditionsGoBeforeTheMarkerInCallOrder) {
  std::string text = "a\n// [CUSTOM FUNCTIONS]\nb\n";
  text = render::insertBeforeMarker(text, render::kCustomFunctionsMarker, "first");
  text = render::insertBeforeMarker(text, render::kCustomFunctionsMarker, "second");
  EXPECT_EQ(text, "a\nfirst\nsecond\n// [CUSTOM FUNCTIONS]\nb\n");
  EXPECT_EQ(render::insertBeforeMarker("no marker", render::kCustomPassesMarker, "x"), "no marker");
}

TEST(SceneEffectTextTest, TheBuiltInSourceKeepsBothMarkersInTheirPlaces) {
  const std::string_view source = render::builtinEffectSource();
  const std::size_t functions = source.find(render::kCustomFunctionsMarker);
  const std::size_t technique = source.find("technique Render");
  const std::size_t passes = source.find(render::kCustomPassesMarker);
  ASSERT_NE(functions, std::string_view::npos);
  ASSERT_NE(passes, std::string_view::npos);
  EXPECT_LT(functions, technique);
  EXPECT_LT(technique, passes);
  EXPECT_EQ(source.substr(functions + render::kCustomFunctionsMarker.size(), 2), "\n\n");
  // The passes marker is the last line inside the technique's braces.
  EXPECT_EQ(source.substr(passes + render::kCustomPassesMarker.size()), "\n}\n");
}

struct PassStates {
  const char* name;
  BlendOp op;
  Blend src;
  Blend dest;
  bool separate;
  BlendOp alphaOp;
  Blend srcAlpha;
  Blend destAlpha;
};

// Passes that leave the separate-alpha states alone are checked after a pass that set known ones.
constexpr PassStates kPasses[] = {
    {"AlphaBlend", BlendOp::Add, Blend::One, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::One, Blend::InvSrcAlpha},
    {"Additive", BlendOp::Add, Blend::One, Blend::One, true, BlendOp::Add, Blend::One, Blend::InvSrcAlpha},
    {"Subtractive", BlendOp::RevSubtract, Blend::One, Blend::One, true, BlendOp::Add, Blend::One, Blend::InvSrcAlpha},
    {"ColorFill", BlendOp::Add, Blend::One, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::One, Blend::InvSrcAlpha},
    {"Transition", BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::One,
     Blend::InvSrcAlpha},
    {"RenderTarget", BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::SrcAlpha, Blend::One},
    {"RenderTarget_Cubic", BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::SrcAlpha,
     Blend::One},
    {"RenderTarget_Adaptive", BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::SrcAlpha,
     Blend::One},
    {"DivideAlpha", BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::One,
     Blend::InvSrcAlpha},
    {"Video", BlendOp::Add, Blend::One, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::One, Blend::InvSrcAlpha},
    {"DivideAlphaOld", BlendOp::Add, Blend::One, Blend::InvSrcAlpha, true, BlendOp::Add, Blend::One,
     Blend::InvSrcAlpha},
};

TEST(SceneEffectTest, TheBuiltInEffectHasElevenPassesInOrderWithTheirBlendStates) {
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  REQUIRE_RENDERER(renderer);
  render::SceneEffect& effect = renderer->effect();
  ASSERT_EQ(effect.effect()->passCount(), 11u);
  for (unsigned i = 0; i < 11; ++i) {
    EXPECT_EQ(effect.effect()->passName(i), kPasses[i].name);
  }
  gfx::Device& device = renderer->device();
  effect.beginTechnique();
  EXPECT_EQ(effect.passCount(), 11u);
  for (unsigned i = 0; i < 11; ++i) {
    const PassStates& want = kPasses[i];
    // Start each pass from the states AlphaBlend sets, so "not set" reads as "left as the previous pass had".
    ASSERT_TRUE(effect.beginPass(0));
    effect.endPass();
    ASSERT_TRUE(effect.beginPassByName(want.name));
    const gfx::RenderState& state = device.renderState();
    EXPECT_TRUE(state.alphaBlendEnable) << want.name;
    EXPECT_EQ(state.blendOp, want.op) << want.name;
    EXPECT_EQ(state.srcBlend, want.src) << want.name;
    EXPECT_EQ(state.destBlend, want.dest) << want.name;
    EXPECT_EQ(state.separateAlphaBlendEnable, want.separate) << want.name;
    EXPECT_EQ(state.blendOpAlpha, want.alphaOp) << want.name;
    EXPECT_EQ(state.srcBlendAlpha, want.srcAlpha) << want.name;
    EXPECT_EQ(state.destBlendAlpha, want.destAlpha) << want.name;
    effect.endPass();
  }
  effect.endTechnique();
  for (const char* parameter : {"tex", "transitionTexture", "transitionThresholdMin", "transitionThresholdMax",
                                "sampWidth", "sampHeight", "bushDepth", "bushOpacity", "texcoordYBottom",
                                "blendColor", "tone", "texcoordScale", "texcoordOffset", "wave_amp",
                                "wave_speedangle", "wave_freq", "wave_phase"}) {
    EXPECT_NE(effect.effect()->parameter(parameter), gfx::Effect::kNoParameter) << parameter;
  }
}

TEST(SceneEffectTest, ResetParametersRestoresTheStartingValues) {
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  REQUIRE_RENDERER(renderer);
  render::SceneEffect& effect = renderer->effect();
  gfx::Effect& raw = *effect.effect();
  const float values[4] = {0.5f, 0.25f, 0.125f, 1.0f};
  raw.setVector("tone", values, 4);
  raw.setVector("texcoordScale", values, 2);
  raw.setFloat("texcoordYBottom", 0.5f);
  raw.setInt("bushDepth", 7);
  raw.setFloat("wave_amp", 3.0f);
  effect.resetParameters();
  EXPECT_EQ(raw.parameterValue(raw.parameter("tone")), (std::vector<float>{0, 0, 0, 0}));
  EXPECT_EQ(raw.parameterValue(raw.parameter("texcoordScale"))[0], 1.0f);
  EXPECT_EQ(raw.parameterValue(raw.parameter("texcoordScale"))[1], 1.0f);
  EXPECT_EQ(raw.parameterValue(raw.parameter("texcoordYBottom"))[0], 1.0f);
  EXPECT_EQ(raw.parameterValue(raw.parameter("bushDepth"))[0], 0.0f);
  EXPECT_EQ(raw.parameterValue(raw.parameter("wave_amp"))[0], 0.0f);
}

constexpr const char* kGreenFunction =
    "TripleColor PSGreen(float4 colour : COLOR0, float2 coordinate : TEXCOORD0)\n"
    "{\n  return triple(float4(0, samp(coordinate).a, 0, 1));\n}";
constexpr const char* kGreenPass =
    "pass Green\n  {\n    AlphaBlendEnable = false;\n    PixelShader = compile ps_2_0 PSGreen();\n  }";

TEST(SceneEffectTest, AddedPassesAreReachableByNameAndDraw) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  REQUIRE_RENDERER(renderer);
  std::string errors;
  ASSERT_TRUE(renderer->effect().compile(kGreenFunction, kGreenPass, &errors)) << errors;
  ASSERT_TRUE(renderer->effect().compile("float unusedOne;", "", &errors)) << errors;
  ASSERT_TRUE(renderer->effect().compile("float unusedTwo;", "pass Second { PixelShader = compile ps_2_0 PS(); }",
                                         &errors))
      << errors;
  const std::string& source = renderer->effect().source();
  const std::size_t green = source.find("PSGreen(float4");
  const std::size_t one = source.find("unusedOne");
  const std::size_t two = source.find("unusedTwo");
  EXPECT_LT(green, one);
  EXPECT_LT(one, two);
  EXPECT_LT(two, source.find(render::kCustomFunctionsMarker));
  EXPECT_LT(source.find("pass Green"), source.find("pass Second"));
  EXPECT_LT(source.find("pass Second"), source.find(render::kCustomPassesMarker));
  EXPECT_EQ(renderer->effect().effect()->passCount(), 13u);
  EXPECT_EQ(renderer->effect().effect()->passName(11), "Green");

  scene.setColour(0xFFFF00FF);
  scene.setPass("Green");
  EXPECT_EQ(rendertest::backBufferPixel(*renderer, 1, 1) & 0xFFFFFF, 0x00FF00u);
}

TEST(SceneEffectTest, AnUnknownPassPrintsTheNotFoundLineAndBeginsNothing) {
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  REQUIRE_RENDERER(renderer);
  render::SceneEffect& effect = renderer->effect();
  effect.beginTechnique();
  testing::internal::CaptureStdout();
  EXPECT_FALSE(effect.beginPassByName("Sparkle"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Effect pass Sparkle not found.\n");
  EXPECT_FALSE(effect.effect()->activePass());
  effect.endTechnique();
}

TEST(SceneEffectTest, ABrokenShaderIsDroppedAndFramesStillDraw) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  REQUIRE_RENDERER(renderer);
  std::string errors;
  ASSERT_TRUE(renderer->effect().compile(kGreenFunction, kGreenPass, &errors)) << errors;
  const std::string before = renderer->effect().source();
  gfx::Effect* effect = renderer->effect().effect();
  EXPECT_FALSE(renderer->effect().compile("float4 Broken( {", "", &errors));
  EXPECT_NE(errors.find("error"), std::string::npos) << errors;
  EXPECT_EQ(renderer->effect().source(), before);
  EXPECT_EQ(renderer->effect().effect(), effect);
  scene.setColour(0xFFFF0000);
  EXPECT_EQ(rendertest::backBufferPixel(*renderer, 0, 0) & 0xFFFFFF, 0xFF0000u);
  // The failed text is gone: a good addition after it compiles.
  EXPECT_TRUE(renderer->effect().compile("float later;", "", &errors)) << errors;
}

}  // namespace
