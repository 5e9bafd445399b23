#pragma once

// HLSL pixel shaders to GLSL 330: glslang reads the HLSL (Direct3D 9 compatible) into Vulkan SPIR-V, optimised;
// SPIRV-Cross writes it back as GLSL with plain uniforms. Parameters land in the uniform struct `G` (G.<name>),
// samplers keep their HLSL names and the unit of their register, stage inputs are renamed by location and matched
// by their semantic to a generated vertex shader, and the alpha test is appended to the fragment shader.

#include <string>
#include <vector>

namespace gfx::detail {

enum class UniformKind { Float, Int, Bool, Other };

struct UniformMember {
  std::string name;
  UniformKind kind = UniformKind::Float;
  unsigned components = 1;  // 1 to 4 for scalars and vectors
};

struct SamplerBinding {
  std::string name;
  int unit = 0;
};

struct CompiledPixelShader {
  std::string vertexSource;
  std::string fragmentSource;
  std::vector<UniformMember> uniforms;  // every member of the HLSL global uniforms, used or not
  std::vector<SamplerBinding> samplers;
  unsigned colourOutputs = 1;
};

// Compiles entry point `entry` of `hlsl`. Errors go to `errors` as lines "effect(LINE): error: message", with
// LINE counted in `hlsl`. Results are kept per text and entry point for the life of the process.
bool compilePixelShader(const std::string& hlsl, const std::string& entry, CompiledPixelShader* out,
                        std::string* errors);

}  // namespace gfx::detail
