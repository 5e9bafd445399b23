#include "platform/gfx/private/ShaderCompiler.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/build_info.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv_cross_c.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/LateLibrary.h"
#include "platform/gfx/private/ShaderDiskCache.h"
#include "platform/gfx/private/ShaderProgram.h"

namespace gfx::detail {

namespace {

// Raise this when the translation here (or the alpha test it appends) gives different output for the same text:
// translations cached on disk by an older revision are then made again.
constexpr int kTranslationRevision = 1;

std::once_flag g_glslangStarted;

std::mutex g_cacheMutex;
std::map<std::string, CompiledPixelShader> g_cache;

// glslang writes "ERROR: 0:12: 'x' : undeclared identifier"; we keep the line and drop the summary lines.
std::string formatGlslangLog(const std::string& log) {
  std::istringstream lines(log);
  std::string line;
  std::string out;
  while (std::getline(lines, line)) {
    const bool error = line.rfind("ERROR: ", 0) == 0;
    if (!error) continue;
    std::string rest = line.substr(7);
    if (rest.rfind("0:", 0) == 0) {
      const std::size_t colon = rest.find(':', 2);
      if (colon != std::string::npos) {
        out += "effect(" + rest.substr(2, colon - 2) + "): error:" + rest.substr(colon + 1) + "\n";
        continue;
      }
    }
    if (rest.find("compilation errors") != std::string::npos || rest.find("Linking") != std::string::npos) continue;
    out += "effect: error: " + rest + "\n";
  }
  if (out.empty() && !log.empty()) out = "effect: error: " + log + "\n";
  return out;
}

bool hlslToSpirv(const std::string& hlsl, const std::string& entry, std::vector<unsigned>* spirv,
                 std::string* errors) {
  std::call_once(g_glslangStarted, [] { glslang::InitializeProcess(); });
  const EShMessages messages =
      static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible);
  glslang::TShader shader(EShLangFragment);
  const char* text = hlsl.c_str();
  const int length = static_cast<int>(hlsl.size());
  shader.setStringsWithLengths(&text, &length, 1);
  shader.setEntryPoint(entry.c_str());
  shader.setSourceEntryPoint(entry.c_str());
  shader.setEnvInput(glslang::EShSourceHlsl, EShLangFragment, glslang::EShClientVulkan, 100);
  shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  // Keeps each input's semantic in the SPIR-V, so inputs can be matched to the vertex outputs by meaning.
  shader.setEnvTargetHlslFunctionality1();
  shader.setAutoMapBindings(true);
  shader.setAutoMapLocations(true);
  if (!shader.parse(GetDefaultResources(), 100, false, messages)) {
    *errors = formatGlslangLog(shader.getInfoLog());
    return false;
  }
  glslang::TProgram program;
  program.addShader(&shader);
  if (!program.link(messages) || !program.mapIO()) {
    *errors = formatGlslangLog(program.getInfoLog());
    return false;
  }
  glslang::SpvOptions options;
  options.disableOptimizer = false;
  spv::SpvBuildLogger logger;
  glslang::GlslangToSpv(*program.getIntermediate(EShLangFragment), *spirv, &logger, &options);
  if (spirv->empty()) {
    *errors = "effect: error: " + logger.getAllMessages() + "\n";
    return false;
  }
  return true;
}

struct StageInput {
  unsigned location = 0;
  std::string semantic;
  unsigned components = 4;
};

std::string upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

std::string glslVectorType(unsigned components) {
  return components <= 1 ? "float" : "vec" + std::to_string(std::min(components, 4u));
}

std::string swizzle(unsigned components) {
  switch (components) {
    case 1: return ".x";
    case 2: return ".xy";
    case 3: return ".xyz";
    default: return "";
  }
}

// What the sprite batch's fixed-function vertex stage hands a Direct3D 9 pixel shader: the diffuse colour and
// the texture coordinate; anything else reads zero.
std::string vertexShaderFor(const std::vector<StageInput>& inputs) {
  std::string source = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uTransform;
)";
  std::string body;
  for (const StageInput& input : inputs) {
    const std::string name = "qin" + std::to_string(input.location);
    source += "out " + glslVectorType(input.components) + " " + name + ";\n";
    std::string semantic = upper(input.semantic);
    std::string value = "vec4(0.0)";
    if (semantic == "COLOR" || semantic == "COLOR0") value = "aColour";
    if (semantic == "TEXCOORD" || semantic == "TEXCOORD0") value = "vec4(aTexCoord, 0.0, 1.0)";
    body += "  " + name + " = " + value + swizzle(input.components) + ";\n";
  }
  source += "void main() {\n  gl_Position = uTransform * aPosition;\n" + body + "}\n";
  return source;
}

// Every SPIRV-Cross function the translation calls.
#define QUILLON_SPIRV_CROSS_FUNCTIONS(X)       \
  X(spvc_compiler_compile)                     \
  X(spvc_compiler_create_compiler_options)     \
  X(spvc_compiler_create_shader_resources)     \
  X(spvc_compiler_get_decoration)              \
  X(spvc_compiler_get_decoration_string)       \
  X(spvc_compiler_get_member_name)             \
  X(spvc_compiler_get_type_handle)             \
  X(spvc_compiler_install_compiler_options)    \
  X(spvc_compiler_options_set_bool)            \
  X(spvc_compiler_options_set_uint)            \
  X(spvc_compiler_set_name)                    \
  X(spvc_context_create)                       \
  X(spvc_context_create_compiler)              \
  X(spvc_context_destroy)                      \
  X(spvc_context_parse_spirv)                  \
  X(spvc_context_set_error_callback)           \
  X(spvc_resources_get_resource_list_for_type) \
  X(spvc_type_get_basetype)                    \
  X(spvc_type_get_columns)                     \
  X(spvc_type_get_member_type)                 \
  X(spvc_type_get_num_array_dimensions)        \
  X(spvc_type_get_num_member_types)            \
  X(spvc_type_get_vector_size)

// SPIRV-Cross, opened at the first translation: a start whose translations all come from the disk cache never
// needs it.
QUILLON_LATE_TABLE(SpirvCross, QUILLON_SPIRV_CROSS_FUNCTIONS, QUILLON_SPIRV_CROSS_LIBRARY)

void collectErrors(void* userdata, const char* error) {
  auto* errors = static_cast<std::string*>(userdata);
  *errors += std::string("effect: error: ") + error + "\n";
}

bool spirvToGlsl(const std::vector<unsigned>& spirv, CompiledPixelShader* out, std::string* errors) {
  std::string missing;
  const SpirvCross* cross = platform::loadedTable<SpirvCross, loadSpirvCross>(&missing);
  spvc_context context = nullptr;
  if (cross == nullptr || cross->spvc_context_create(&context) != SPVC_SUCCESS) {
    *errors = "effect: error: cannot start the shader translator" + (missing.empty() ? "" : ": " + missing) + "\n";
    return false;
  }
  cross->spvc_context_set_error_callback(context, collectErrors, errors);
  bool ok = false;
  do {
    spvc_parsed_ir ir = nullptr;
    if (cross->spvc_context_parse_spirv(context, spirv.data(), spirv.size(), &ir) != SPVC_SUCCESS) break;
    spvc_compiler compiler = nullptr;
    if (cross->spvc_context_create_compiler(context, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                            &compiler) != SPVC_SUCCESS) {
      break;
    }
    spvc_resources resources = nullptr;
    if (cross->spvc_compiler_create_shader_resources(compiler, &resources) != SPVC_SUCCESS) break;
    const spvc_reflected_resource* list = nullptr;
    std::size_t count = 0;

    cross->spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
      cross->spvc_compiler_set_name(compiler, list[i].id, "G");
      spvc_type block = cross->spvc_compiler_get_type_handle(compiler, list[i].base_type_id);
      const unsigned members = cross->spvc_type_get_num_member_types(block);
      for (unsigned m = 0; m < members; ++m) {
        spvc_type member = cross->spvc_compiler_get_type_handle(compiler, cross->spvc_type_get_member_type(block, m));
        UniformMember uniform;
        uniform.name = cross->spvc_compiler_get_member_name(compiler, list[i].base_type_id, m);
        uniform.components = cross->spvc_type_get_vector_size(member);
        const bool plain =
            cross->spvc_type_get_columns(member) == 1 && cross->spvc_type_get_num_array_dimensions(member) == 0;
        switch (cross->spvc_type_get_basetype(member)) {
          case SPVC_BASETYPE_FP32: uniform.kind = plain ? UniformKind::Float : UniformKind::Other; break;
          case SPVC_BASETYPE_INT32:
          case SPVC_BASETYPE_UINT32: uniform.kind = plain ? UniformKind::Int : UniformKind::Other; break;
          case SPVC_BASETYPE_BOOLEAN: uniform.kind = plain ? UniformKind::Bool : UniformKind::Other; break;
          default: uniform.kind = UniformKind::Other; break;
        }
        out->uniforms.push_back(uniform);
      }
    }

    cross->spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_SAMPLED_IMAGE, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
      SamplerBinding sampler;
      sampler.name = "qs_" + std::string(list[i].name);
      sampler.unit = static_cast<int>(cross->spvc_compiler_get_decoration(compiler, list[i].id, SpvDecorationBinding));
      cross->spvc_compiler_set_name(compiler, list[i].id, sampler.name.c_str());
      out->samplers.push_back(sampler);
    }

    std::vector<StageInput> inputs;
    cross->spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_STAGE_INPUT, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
      StageInput input;
      input.location = cross->spvc_compiler_get_decoration(compiler, list[i].id, SpvDecorationLocation);
      const char* semantic =
          cross->spvc_compiler_get_decoration_string(compiler, list[i].id, SpvDecorationUserSemantic);
      input.semantic = semantic != nullptr ? semantic : "";
      input.components =
          cross->spvc_type_get_vector_size(cross->spvc_compiler_get_type_handle(compiler, list[i].type_id));
      cross->spvc_compiler_set_name(compiler, list[i].id, ("qin" + std::to_string(input.location)).c_str());
      inputs.push_back(input);
    }

    bool hasFirstOutput = false;
    out->colourOutputs = 0;
    cross->spvc_resources_get_resource_list_for_type(resources, SPVC_RESOURCE_TYPE_STAGE_OUTPUT, &list, &count);
    for (std::size_t i = 0; i < count; ++i) {
      const unsigned location = cross->spvc_compiler_get_decoration(compiler, list[i].id, SpvDecorationLocation);
      cross->spvc_compiler_set_name(compiler, list[i].id, ("qout" + std::to_string(location)).c_str());
      hasFirstOutput = hasFirstOutput || location == 0;
      out->colourOutputs = std::max(out->colourOutputs, location + 1);
    }

    spvc_compiler_options options = nullptr;
    cross->spvc_compiler_create_compiler_options(compiler, &options);
    cross->spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
    cross->spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    cross->spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION, SPVC_FALSE);
    cross->spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_EMIT_UNIFORM_BUFFER_AS_PLAIN_UNIFORMS,
                                          SPVC_TRUE);
    cross->spvc_compiler_install_compiler_options(compiler, options);
    const char* glsl = nullptr;
    if (cross->spvc_compiler_compile(compiler, &glsl) != SPVC_SUCCESS || glsl == nullptr) break;

    // Run the shader as a function, then the alpha test on its first colour, as Direct3D does after the shader.
    std::string fragment = glsl;
    const std::size_t main = fragment.find("void main()");
    const std::size_t firstLineEnd = fragment.find('\n');
    if (main == std::string::npos || firstLineEnd == std::string::npos) {
      *errors += "effect: error: unexpected translated shader\n";
      break;
    }
    fragment.replace(main, 11, "void quillonEffectMain()");
    fragment += "\nvoid main() {\n  quillonEffectMain();\n";
    if (hasFirstOutput) fragment += "  " + alphaTestStatement("qout0") + "\n";
    fragment += "}\n";
    fragment.insert(firstLineEnd + 1, alphaTestDeclarations());
    out->fragmentSource = std::move(fragment);
    out->vertexSource = vertexShaderFor(inputs);
    ok = true;
  } while (false);
  cross->spvc_context_destroy(context);
  return ok;
}

// What the disk cache keys a translation by: the text and entry point, and what translated it.
std::string diskCacheKey(const std::string& key) {
  return "translation " + std::to_string(kTranslationRevision) + ", glslang " + std::to_string(GLSLANG_VERSION_MAJOR) +
         "." + std::to_string(GLSLANG_VERSION_MINOR) + "." + std::to_string(GLSLANG_VERSION_PATCH) +
         ", SPIRV-Cross C API " + std::to_string(SPVC_C_API_VERSION_MAJOR) + "." +
         std::to_string(SPVC_C_API_VERSION_MINOR) + "." + std::to_string(SPVC_C_API_VERSION_PATCH) + "\n" + key;
}

}  // namespace

bool compilePixelShader(const std::string& hlsl, const std::string& entry, CompiledPixelShader* out,
                        std::string* errors) {
  const std::string key = entry + '\n' + hlsl;
  {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    auto found = g_cache.find(key);
    if (found != g_cache.end()) {
      *out = found->second;
      return true;
    }
  }
  const std::string folder = shaderCacheFolder();
  const std::string storedKey = diskCacheKey(key);
  std::optional<CompiledPixelShader> compiled;
  if (!folder.empty()) compiled = loadCachedShader(folder, storedKey);
  if (!compiled) {
    std::vector<unsigned> spirv;
    std::string log;
    compiled.emplace();
    if (!hlslToSpirv(hlsl, entry, &spirv, &log) || !spirvToGlsl(spirv, &*compiled, &log)) {
      if (errors != nullptr) *errors = log;
      return false;
    }
    if (!folder.empty()) storeCachedShader(folder, storedKey, *compiled);
  }
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  *out = g_cache.emplace(key, std::move(*compiled)).first->second;
  return true;
}

}  // namespace gfx::detail
