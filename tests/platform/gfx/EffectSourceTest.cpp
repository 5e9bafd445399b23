#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gfx/EffectSource.h"

namespace {

int lineCount(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

std::string lineOf(const std::string& text, int line) {
  std::size_t start = 0;
  for (int i = 1; i < line; ++i) start = text.find('\n', start) + 1;
  return text.substr(start, text.find('\n', start) - start);
}

constexpr const char* kEffect = R"(float4 tone;
float4 PS(float2 t : TEXCOORD0) : COLOR0 { return tone; }
// [CUSTOM FUNCTIONS]

technique Render <string note = "x";>
{
  pass AlphaBlend
  {
    ALPHABLENDENABLE = true;
    srcblend = one;
    AddressU[1] = Wrap;
    PixelShader = compile ps_2_0 PS();
  }
  pass Fixed { BlendOp = RevSubtract; PixelShader = NULL; }
  // [CUSTOM PASSES]
};
float4 After(float2 t : TEXCOORD0) : COLOR0 { return 1; }
)";

TEST(EffectSourceTest, TechniquesAreReadAndBlankedLineForLine) {
  std::string errors;
  auto source = gfx::parseEffectSource(kEffect, &errors);
  ASSERT_TRUE(source) << errors;
  EXPECT_EQ(lineCount(source->hlsl), lineCount(kEffect));
  EXPECT_EQ(lineOf(source->hlsl, 2), lineOf(kEffect, 2));
  EXPECT_EQ(lineOf(source->hlsl, 17), lineOf(kEffect, 17));
  for (int line = 5; line <= 16; ++line) {
    const std::string text = lineOf(source->hlsl, line);
    EXPECT_EQ(text.find_first_not_of(' '), std::string::npos) << line << ": " << text;
  }

  ASSERT_EQ(source->techniques.size(), 1u);
  const gfx::EffectTechniqueSource& technique = source->techniques[0];
  EXPECT_EQ(technique.name, "Render");
  EXPECT_EQ(technique.line, 5);
  ASSERT_EQ(technique.passes.size(), 2u);
  const gfx::EffectPassSource& first = technique.passes[0];
  EXPECT_EQ(first.name, "AlphaBlend");
  EXPECT_EQ(first.pixelShaderEntry, "PS");
  EXPECT_EQ(first.pixelShaderProfile, "ps_2_0");
  EXPECT_EQ(first.pixelShaderLine, 12);
  ASSERT_EQ(first.states.size(), 3u);
  EXPECT_EQ(first.states[0].name, "ALPHABLENDENABLE");
  EXPECT_EQ(first.states[0].value, "true");
  EXPECT_EQ(first.states[2].name, "AddressU");
  EXPECT_EQ(first.states[2].index, 1);
  EXPECT_EQ(first.states[2].line, 11);
  const gfx::EffectPassSource& second = technique.passes[1];
  EXPECT_EQ(second.name, "Fixed");
  EXPECT_TRUE(second.pixelShaderEntry.empty());
  ASSERT_EQ(second.states.size(), 1u);
  EXPECT_EQ(second.states[0].value, "RevSubtract");
}

TEST(EffectSourceTest, TexturesAndSamplerStatesBecomeRegisterSamplers) {
  const std::string text =
      "texture overlay : register(t2);\n"
      "sampler2D first : register(s0);\n"
      "sampler overlaySampler = sampler_state\n"
      "{\n"
      "  Texture = <overlay>;\n"
      "  ADDRESSU = WRAP;\n"
      "};\n"
      "sampler late;\n"
      "float4 F(float2 t : TEXCOORD0) : COLOR0 { return tex2D(overlaySampler, t) + tex2D(late, t); }\n";
  std::string errors;
  auto source = gfx::parseEffectSource(text, &errors);
  ASSERT_TRUE(source) << errors;
  EXPECT_EQ(lineCount(source->hlsl), lineCount(text));
  EXPECT_EQ(lineOf(source->hlsl, 1).find_first_not_of(' '), std::string::npos);
  EXPECT_EQ(lineOf(source->hlsl, 2), "sampler2D first : register(s0);");
  EXPECT_EQ(lineOf(source->hlsl, 3).rfind("sampler2D overlaySampler : register(s1);", 0), 0u);
  EXPECT_EQ(lineOf(source->hlsl, 5).find_first_not_of(' '), std::string::npos);
  EXPECT_EQ(lineOf(source->hlsl, 8).rfind("sampler2D late : register(s2);", 0), 0u);
  EXPECT_EQ(lineOf(source->hlsl, 9), lineOf(text, 9));

  ASSERT_EQ(source->textures.size(), 1u);
  EXPECT_EQ(source->textures[0].name, "overlay");
  EXPECT_EQ(source->textures[0].unit, 2);
  ASSERT_EQ(source->samplers.size(), 3u);
  EXPECT_EQ(source->samplers[0].unit, 0);
  EXPECT_TRUE(source->samplers[0].texture.empty());
  EXPECT_EQ(source->samplers[1].name, "overlaySampler");
  EXPECT_EQ(source->samplers[1].unit, 1);
  EXPECT_EQ(source->samplers[1].texture, "overlay");
  ASSERT_EQ(source->samplers[1].states.size(), 1u);
  EXPECT_EQ(source->samplers[1].states[0].name, "ADDRESSU");
  EXPECT_EQ(source->samplers[2].unit, 2);
}

TEST(EffectSourceTest, ParameterInitialValuesExcludeConstants) {
  const std::string text =
      "float a = 1.5f;\n"
      "uniform float2 b : register(c3) = float2(1, -2);\n"
      "static const float PI = 3.14159265;\n"
      "float4 c = {0.5, 0.25, 0, 1};\n"
      "float d = e * 2;\n"
      "int f;\n"
      "float4 F(float4 v : COLOR0, float w = 2.0) : COLOR0 { float local = 3.0; return v; }\n";
  std::string errors;
  auto source = gfx::parseEffectSource(text, &errors);
  ASSERT_TRUE(source) << errors;
  ASSERT_EQ(source->defaults.size(), 3u);
  EXPECT_EQ(source->defaults[0].name, "a");
  EXPECT_EQ(source->defaults[0].values, std::vector<float>({1.5f}));
  EXPECT_EQ(source->defaults[1].name, "b");
  EXPECT_EQ(source->defaults[1].values, std::vector<float>({1.0f, -2.0f}));
  EXPECT_EQ(source->defaults[2].name, "c");
  EXPECT_EQ(source->defaults[2].values, std::vector<float>({0.5f, 0.25f, 0.0f, 1.0f}));
}

struct BrokenCase {
  const char* text;
  const char* expected;
};

TEST(EffectSourceTest, MalformedTechniquesReportTheirLine) {
  const BrokenCase cases[] = {
      {"float x;\ntechnique T\n{\n  pass P\n  {\n    SrcBlend One;\n  }\n}\n", "effect(6): error: expected '='"},
      {"technique T {\n pass P {\n  PixelShader = compile ps_2_0 F(1);\n }\n}\n", "effect(3): error: arguments"},
      {"technique T {\n pass P {\n\n  VertexShader = compile vs_2_0 V();\n }\n}\n", "effect(4): error: vertex"},
      {"technique T {\n pass P { }\n  ZEnable = false;\n}\n", "effect(3): error: expected 'pass'"},
      {"technique T {\n pass P {\n  ZEnable = false;\n", "effect(3): error: expected '}'"},
      {"sampler s : register(t0);\n", "effect(1): error: sampler 's' needs a register"},
  };
  for (const BrokenCase& test : cases) {
    std::string errors;
    EXPECT_FALSE(gfx::parseEffectSource(test.text, &errors)) << test.text;
    EXPECT_EQ(errors.rfind(test.expected, 0), 0u) << errors;
  }
}

}  // namespace

namespace {

// Every cut of a valid effect, and every byte of it replaced by a brace or a quote, parses or fails with a
// message: never a crash, a hang or a read past the text (the sanitizer build checks the last).
TEST(EffectSourceTest, TruncatedAndCorruptedTextFailsCleanly) {
  const std::string text = std::string(kEffect) +
                           "texture t : register(t1);\nsampler s : register(s2) = sampler_state { Texture = <t>; };\n"
                           "float f = -1.5e-1;\n/* open comment";
  for (std::size_t length = 0; length <= text.size(); ++length) {
    std::string errors;
    auto source = gfx::parseEffectSource(std::string_view(text).substr(0, length), &errors);
    EXPECT_TRUE(source.has_value() || errors.rfind("effect(", 0) == 0) << length;
    if (source) {
      EXPECT_EQ(lineCount(source->hlsl), lineCount(text.substr(0, length))) << length;
    }
  }
  for (std::size_t at = 0; at < text.size(); ++at) {
    for (char replacement : {'{', '}', '"', '<', '='}) {
      std::string corrupted = text;
      corrupted[at] = replacement;
      std::string errors;
      auto source = gfx::parseEffectSource(corrupted, &errors);
      EXPECT_TRUE(source.has_value() || !errors.empty()) << at;
    }
  }
}

}  // namespace
