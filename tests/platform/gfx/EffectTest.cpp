#include <gtest/gtest.h>

#include "GfxTestSupport.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"

namespace {

using gfx::Effect;
using gfx::Texture;

// Two passes: a plain premultiplied draw, and a tint written to three outputs with additive blending.
constexpr const char* kTwoPasses = R"(float4 tint = float4(0, 0, 1, 1);
float scale;
int steps;
sampler2D spriteSampler : register(s0);

struct Triple { float4 c0 : COLOR0; float4 c1 : COLOR1; float4 c2 : COLOR2; };

float4 PSPlain(float4 colour : COLOR0, float2 tex : TEXCOORD0) : COLOR0 {
  return tex2D(spriteSampler, tex) * colour;
}

Triple PSTint(float2 tex : TEXCOORD0, float4 colour : COLOR0) {
  Triple o;
  float4 c = tint * scale * steps;
  o.c0 = c; o.c1 = c; o.c2 = c;
  return o;
}

technique Render
{
  pass Plain
  {
    AlphaBlendEnable = true; SrcBlend = One; DestBlend = Zero; BlendOp = Add;
    PixelShader = compile ps_2_0 PSPlain();
  }
  pass Tint
  {
    AlphaBlendEnable = TRUE; SRCBLEND = ONE; DESTBLEND = ONE; blendop = add;
    SeparateAlphaBlendEnable = true; SrcBlendAlpha = Zero; DestBlendAlpha = One;
    Lighting = false;
    PixelShader = compile ps_2_0 PSTint();
  }
}
)";

struct Scene {
  std::unique_ptr<Texture> target = Texture::createRenderTarget(2, 1);
  std::unique_ptr<Texture> second = Texture::createRenderTarget(2, 1);
  std::unique_ptr<Texture> texture = gfxtest::managedTexture(2, 1, {0xFF804020, 0x80FFFFFF});
};

std::unique_ptr<Effect> compile(const char* text, std::string* warnings = nullptr) {
  std::string errors;
  auto effect = Effect::create(*gfxtest::device(), text, &errors, warnings);
  EXPECT_TRUE(effect) << errors;
  return effect;
}

TEST(EffectTest, TwoPassesCompileAndRenderTheirPixels) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  std::string warnings;
  auto effect = compile(kTwoPasses, &warnings);
  ASSERT_TRUE(effect);
  EXPECT_NE(warnings.find("effect(30): warning: state 'Lighting'"), std::string::npos) << warnings;
  EXPECT_EQ(effect->techniqueName(), "Render");
  ASSERT_EQ(effect->passCount(), 2u);
  EXPECT_EQ(effect->passName(1), "Tint");
  EXPECT_EQ(effect->findPass("Tint"), 1u);
  EXPECT_FALSE(effect->findPass("tint"));

  Scene scene;
  device.setRenderTarget(0, scene.target.get());
  device.setRenderTarget(1, scene.second.get());
  device.clear(gfx::ClearFlags::Target, 0x40102030);
  gfx::SpriteBatch batch(device);
  effect->begin();
  batch.begin(true);
  ASSERT_TRUE(effect->beginPass(0));
  EXPECT_EQ(device.renderState().destBlend, gfx::Blend::Zero);
  batch.draw(scene.texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.flush();
  effect->endPass();
  EXPECT_EQ(gfxtest::readTarget(*scene.target), (std::vector<std::uint32_t>{0xFF804020, 0x80FFFFFF}));

  // Tint: 0.5 · 2 · (0, 0, 1, 1) added to the colour in both targets (a clear reaches every bound target); the
  // separate alpha states keep the targets' alpha.
  device.clear(gfx::ClearFlags::Target, 0x40102030);
  ASSERT_TRUE(effect->setFloat("scale", 0.5f));
  ASSERT_TRUE(effect->setInt("steps", 2));
  ASSERT_TRUE(effect->beginPass(1));
  EXPECT_TRUE(device.renderState().separateAlphaBlendEnable);
  batch.draw(scene.texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  effect->endPass();
  effect->end();
  EXPECT_FALSE(device.renderState().separateAlphaBlendEnable);
  EXPECT_EQ(device.program(), nullptr);
  EXPECT_EQ(gfxtest::readTarget(*scene.target), (std::vector<std::uint32_t>{0x401020FF, 0x401020FF}));
  EXPECT_EQ(gfxtest::readTarget(*scene.second), (std::vector<std::uint32_t>{0x401020FF, 0x401020FF}));
}

TEST(EffectTest, ParametersReachThePassOnlyWhenCommitted) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto effect = compile(kTwoPasses);
  ASSERT_TRUE(effect);
  const Effect::Handle tint = effect->parameter("tint");
  ASSERT_NE(tint, Effect::kNoParameter);
  EXPECT_EQ(effect->parameterValue(tint), (std::vector<float>{0, 0, 1, 1}));  // initial value from the text
  EXPECT_FALSE(effect->setFloat("missing", 1.0f));
  EXPECT_FALSE(effect->setTexture("scale", nullptr));

  Scene scene;
  device.setRenderTarget(0, scene.target.get());
  gfx::SpriteBatch batch(device);
  effect->setFloat("scale", 1.0f);
  effect->setInt("steps", 1);
  effect->begin();
  batch.begin(false);
  auto drawTint = [&] {
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.draw(scene.texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    batch.flush();
    return gfxtest::readTarget(*scene.target).at(0);
  };
  effect->beginPass(1);
  EXPECT_EQ(drawTint(), 0xFF0000FFu);
  const float red[4] = {1, 0, 0, 1};
  effect->setVector(tint, red, 4);
  EXPECT_EQ(drawTint(), 0xFF0000FFu);
  effect->commitChanges();
  EXPECT_EQ(drawTint(), 0xFFFF0000u);
  effect->endPass();
  batch.end();
  effect->end();
}

// Effects of one text share their programs: each still draws with its own parameter values.
TEST(EffectTest, EffectsOfOneTextKeepTheirOwnParameters) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto first = compile(kTwoPasses);
  auto second = compile(kTwoPasses);
  ASSERT_TRUE(first && second);
  const float red[4] = {1, 0, 0, 1};
  const float green[4] = {0, 1, 0, 1};
  for (auto* effect : {first.get(), second.get()}) {
    effect->setFloat("scale", 1.0f);
    effect->setInt("steps", 1);
    effect->setVector("tint", effect == first.get() ? red : green, 4);
  }
  Scene scene;
  device.setRenderTarget(0, scene.target.get());
  gfx::SpriteBatch batch(device);
  auto drawTint = [&](Effect& effect) {
    effect.begin();
    batch.begin(false);
    effect.beginPass(1);
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.draw(scene.texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    batch.end();
    effect.endPass();
    effect.end();
    return gfxtest::readTarget(*scene.target).at(0);
  };
  EXPECT_EQ(drawTint(*first), 0xFFFF0000u);
  EXPECT_EQ(drawTint(*second), 0xFF00FF00u);
  EXPECT_EQ(drawTint(*first), 0xFFFF0000u);
}

TEST(EffectTest, EffectFileTexturesFeedTheirSamplerWithItsStates) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto effect = compile(R"(texture transitionTexture;
sampler transitionSampler = sampler_state
{
  Texture = <transitionTexture>;
  AddressU = WRAP;
  AddressV = WRAP;
  MinFilter = POINT;
  MagFilter = POINT;
};
sampler2D spriteSampler : register(s0);
float4 PS(float2 tex : TEXCOORD0) : COLOR0 {
  // Twice across the quad: wrapping repeats the 2×1 pattern.
  return tex2D(transitionSampler, tex * 2) * tex2D(spriteSampler, tex).a;
}
technique Render { pass Transition { AlphaBlendEnable = false; PixelShader = compile ps_2_0 PS(); } }
)");
  ASSERT_TRUE(effect);
  auto pattern = gfxtest::managedTexture(2, 1, {0xFFFF0000, 0xFF00FF00});
  auto sprite = gfxtest::managedTexture(4, 1, std::vector<std::uint32_t>(4, 0xFFFFFFFF));
  auto target = Texture::createRenderTarget(4, 1);
  ASSERT_TRUE(effect->setTexture("transitionTexture", pattern.get()));
  device.setRenderTarget(0, target.get());
  gfx::SpriteBatch batch(device);
  effect->begin();
  batch.begin(false);
  effect->beginPass(0);
  EXPECT_EQ(device.samplerState(1).addressU, gfx::Address::Wrap);
  batch.draw(sprite.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  effect->endPass();
  effect->end();
  EXPECT_EQ(gfxtest::readTarget(*target), (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00}));
}

TEST(EffectTest, CompileErrorsPointAtTheAuthorsLine) {
  GFX_REQUIRE_DEVICE();
  const std::string text =
      "texture t;\n"                                                            // 1
      "sampler s = sampler_state\n"                                             // 2
      "{\n"                                                                     // 3
      "  Texture = <t>;\n"                                                      // 4
      "};\n"                                                                    // 5
      "float4 Good(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(s, uv); }\n"  // 6
      "\n"                                                                      // 7
      "float4 Bad(float2 uv : TEXCOORD0) : COLOR0\n"                            // 8
      "{\n"                                                                     // 9
      "  return undefinedThing * 2;\n"                                          // 10
      "}\n"                                                                     // 11
      "technique Render { pass A { PixelShader = compile ps_2_0 Bad(); } }\n";
  std::string errors;
  EXPECT_FALSE(Effect::create(*gfxtest::device(), text, &errors));
  EXPECT_EQ(errors.rfind("effect(10): error:", 0), 0u) << errors;
  EXPECT_NE(errors.find("undefinedThing"), std::string::npos) << errors;

  EXPECT_FALSE(Effect::create(*gfxtest::device(),
                              "float4 P() : COLOR0 { return 1; }\n"
                              "technique T { pass A {\n SrcBlend = Sideways;\n PixelShader = compile ps_2_0 P(); } }\n",
                              &errors));
  EXPECT_EQ(errors.rfind("effect(3): error: 'Sideways' is not a value for SrcBlend", 0), 0u) << errors;

  EXPECT_FALSE(
      Effect::create(*gfxtest::device(), "technique T { pass A { PixelShader = compile ps_2_0 Nope(); } }", &errors));
  EXPECT_NE(errors.find("error"), std::string::npos);
}

}  // namespace

namespace {

TEST(EffectTest, PassesHonourTheAlphaTestAndForgetDestroyedTextures) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto effect = compile(R"(float4 colour;
texture extra;
sampler extraSampler = sampler_state { Texture = <extra>; };
float4 PS(float2 tex : TEXCOORD0) : COLOR0 { return colour + tex2D(extraSampler, tex) * colour.a; }
technique T { pass Add { AlphaBlendEnable = true; SrcBlend = One; DestBlend = One; PixelShader = compile ps_2_0 PS(); } }
)");
  ASSERT_TRUE(effect);
  auto white = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  auto target = Texture::createRenderTarget(1, 1);
  device.setRenderTarget(0, target.get());
  gfx::SpriteBatch batch(device);
  const float redWithoutAlpha[4] = {1, 0, 0, 0};
  effect->setVector("colour", redWithoutAlpha, 4);
  for (bool alphaBlendBatch : {true, false}) {
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    effect->begin();
    batch.begin(alphaBlendBatch);  // its alpha test drops what has no alpha, even from a shader
    effect->beginPass(0);
    batch.draw(white.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    batch.end();
    effect->endPass();
    effect->end();
    EXPECT_EQ(gfxtest::readTarget(*target).at(0), alphaBlendBatch ? 0xFF000000u : 0xFFFF0000u);
  }

  auto extra = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  ASSERT_TRUE(effect->setTexture("extra", extra.get()));
  effect->begin();
  effect->beginPass(0);
  EXPECT_EQ(device.texture(0), extra.get());
  extra.reset();
  EXPECT_EQ(device.texture(0), nullptr);
  effect->commitChanges();
  EXPECT_EQ(device.texture(0), nullptr);
  effect->endPass();
  effect->end();
}

// Intrinsics and constructs pixel shaders of this kind use: integer conversion, trigonometry, static constants,
// loops, dynamic component indexing and fmod; the results are checked against values worked out by hand.
TEST(EffectTest, Dx9IntrinsicsTranslateFaithfully) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto effect = compile(R"(static const float PI = 3.14159265;
float angle;
int index;
sampler2D spriteSampler : register(s0);
float cubic(float y0, float y1, float y2, float y3, float mu) {
  float a0 = y3 - y2 - y0 + y1;
  float a1 = y0 - y1 - a0;
  float a2 = y2 - y0;
  return a0 * mu * mu * mu + a1 * mu * mu + a2 * mu + y1;
}
float4 PS(float2 tex : TEXCOORD0) : COLOR0 {
  float4 texel = tex2D(spriteSampler, tex);
  float4 result;
  result.r = texel[3 - fmod(index + 1, 4)];                // index 1: component 1 (green)
  result.g = sin((int(angle + 0.75) + 0.0) * PI / 180.0);  // int(30.75) = 30: sin 30° = 0.5
  float sum = 0;
  for (int i = 0; i < 4; i++) sum += 0.125;
  result.b = sum;                                          // 0.5
  result.a = cubic(0, 0.25, 0.5, 0.75, 0.5);               // a straight line: 0.375
  return result;
}
technique T { pass P { AlphaBlendEnable = false; PixelShader = compile ps_2_0 PS(); } }
)");
  ASSERT_TRUE(effect);
  auto texture = gfxtest::managedTexture(1, 1, {0x11223344});  // a 0x11, r 0x22, g 0x33, b 0x44
  auto target = Texture::createRenderTarget(1, 1);
  device.setRenderTarget(0, target.get());
  effect->setFloat("angle", 30.0f);
  effect->setInt("index", 1);
  gfx::SpriteBatch batch(device);
  effect->begin();
  batch.begin(false);
  effect->beginPass(0);
  batch.draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  effect->end();
  const std::uint32_t pixel = gfxtest::readTarget(*target).at(0);
  EXPECT_EQ((pixel >> 16) & 0xFF, 0x33u);                      // red: the texel's green
  EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), 128, 1);  // green: sin 30°
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 128, 1);         // blue: 0.5
  EXPECT_NEAR(static_cast<int>(pixel >> 24), 96, 1);           // alpha: 0.375
}

}  // namespace

namespace {

TEST(EffectTest, PassTextureStatesBindTextureParametersToUnits) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto effect = compile(R"(texture overlay;
sampler2D overlaySampler : register(s3);
float4 PS(float2 tex : TEXCOORD0) : COLOR0 { return tex2D(overlaySampler, tex); }
technique T { pass P {
  AlphaBlendEnable = false;
  Texture[3] = <overlay>;
  MinFilter[3] = Point; MagFilter[3] = Point; AddressU[3] = Clamp;
  PixelShader = compile ps_2_0 PS();
} }
)");
  ASSERT_TRUE(effect);
  auto overlay = gfxtest::managedTexture(1, 1, {0xFF123456});
  auto sprite = gfxtest::managedTexture(2, 1, {0xFFFFFFFF, 0xFFFFFFFF});
  auto target = Texture::createRenderTarget(2, 1);
  ASSERT_TRUE(effect->setTexture("overlay", overlay.get()));
  device.setRenderTarget(0, target.get());
  gfx::SpriteBatch batch(device);
  effect->begin();
  batch.begin(false);
  effect->beginPass(0);
  EXPECT_EQ(device.texture(3), overlay.get());
  EXPECT_EQ(device.samplerState(3).addressU, gfx::Address::Clamp);
  batch.draw(sprite.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  effect->endPass();
  effect->end();
  EXPECT_EQ(gfxtest::readTarget(*target), (std::vector<std::uint32_t>{0xFF123456, 0xFF123456}));
}

}  // namespace
