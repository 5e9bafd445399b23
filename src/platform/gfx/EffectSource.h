#pragma once

// Reads Direct3D 9 effect text into what the HLSL compiler cannot take: the techniques with their passes
// (render-state assignments and `PixelShader = compile ps_2_0 F()`), `texture` declarations, `sampler_state`
// blocks and the initial values of parameters. The remaining HLSL keeps every line where it was, so compiler
// messages point at the author's lines: technique blocks and texture declarations are blanked, and each sampler
// declaration becomes `sampler2D s : register(sN);` on its first line, remembering which texture feeds unit N.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gfx {

struct EffectAssignment {
  std::string name;   // as written; matched case-insensitively
  int index = -1;     // `AddressU[1]`: 1; none: −1
  std::string value;  // the tokens up to `;`, joined by single spaces (`< tex >` becomes "< tex >")
  int line = 0;
};

struct EffectPassSource {
  std::string name;
  int line = 0;
  std::vector<EffectAssignment> states;  // everything but the shaders
  std::string pixelShaderEntry;          // empty: fixed function
  std::string pixelShaderProfile;
  int pixelShaderLine = 0;
};

struct EffectTechniqueSource {
  std::string name;
  int line = 0;
  std::vector<EffectPassSource> passes;
};

struct EffectSamplerSource {
  std::string name;
  int unit = 0;
  std::string texture;  // the texture parameter named by `Texture = <t>`, or empty
  std::vector<EffectAssignment> states;
};

struct EffectTextureSource {
  std::string name;
  int unit = -1;  // from `register(tN)`; −1 without one
};

struct EffectParameterDefault {
  std::string name;
  std::vector<float> values;
};

struct EffectSource {
  std::string hlsl;
  std::vector<EffectTechniqueSource> techniques;
  std::vector<EffectSamplerSource> samplers;
  std::vector<EffectTextureSource> textures;
  std::vector<EffectParameterDefault> defaults;
};

// Null with `errors` set ("effect(LINE): error: message" lines) when the effect structure is malformed.
std::optional<EffectSource> parseEffectSource(std::string_view text, std::string* errors);

// Case-insensitive ASCII comparison, as the effect compiler matches state and value names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace gfx
