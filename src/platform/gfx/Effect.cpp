#include "platform/gfx/Effect.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "platform/gfx/private/EffectStates.h"
#include "platform/gfx/private/Gl.h"
#include "platform/gfx/private/ShaderCompiler.h"
#include "platform/gfx/private/ShaderProgram.h"

namespace gfx {

namespace {

enum class ParameterKind { Float, Int, Bool, Texture, Other };

struct Parameter {
  std::string name;
  ParameterKind kind = ParameterKind::Float;
  unsigned components = 1;
  float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  const Texture* texture = nullptr;
  std::uint64_t version = 1;  // bumped by every set; compared with what the running pass received
};

struct ProgramUse {
  std::shared_ptr<detail::ShaderProgram> program;
  bool located = false;          // whether `locations` were looked up (once the program is linked)
  std::vector<GLint> locations;  // by parameter index
  std::vector<detail::SamplerBinding> samplers;
  std::vector<std::uint64_t> uploaded;  // parameter versions the program's uniforms hold
};

struct Pass {
  std::string name;
  int program = -1;  // index into Impl::programs; −1 fixed function
  std::vector<detail::StateOperation> states;
};

struct Technique {
  std::string name;
  std::vector<Pass> passes;
};

struct SamplerSetup {
  int unit = 0;
  int texture = -1;  // parameter index of its texture
  std::vector<detail::StateOperation> states;
};

std::vector<Effect*> g_effects;

ParameterKind kindOf(detail::UniformKind kind) {
  switch (kind) {
    case detail::UniformKind::Float:
      return ParameterKind::Float;
    case detail::UniformKind::Int:
      return ParameterKind::Int;
    case detail::UniformKind::Bool:
      return ParameterKind::Bool;
    case detail::UniformKind::Other:
      return ParameterKind::Other;
  }
  return ParameterKind::Other;
}

void bindSamplers(Device& device, const detail::ShaderProgram& program,
                  const std::vector<detail::SamplerBinding>& samplers) {
  device.bindProgramForUniforms(&program);
  for (const detail::SamplerBinding& sampler : samplers) {
    glUniform1i(glGetUniformLocation(program.program, sampler.name.c_str()), sampler.unit);
  }
}

}  // namespace

struct Effect::Impl {
  std::vector<Technique> techniques;
  std::size_t technique = 0;
  std::vector<Parameter> parameters;
  std::vector<ProgramUse> programs;
  std::vector<SamplerSetup> samplers;
  std::map<int, int> textureUnits;  // unit → texture parameter, for textures named by register or pass state
  StateBlock saved;

  int findParameter(std::string_view name) const {
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      if (parameters[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  int addParameter(const std::string& name, ParameterKind kind, unsigned components) {
    const int existing = findParameter(name);
    if (existing >= 0) return existing;
    Parameter parameter;
    parameter.name = name;
    parameter.kind = kind;
    parameter.components = components;
    parameters.push_back(parameter);
    return static_cast<int>(parameters.size() - 1);
  }
  // Links a program left for its first use and looks the parameters up in it; false when it has no program.
  bool prepare(ProgramUse& use, Device& device) {
    detail::ShaderProgram& program = *use.program;
    if (program.program == 0 && !program.pendingVertex.empty()) {
      std::string log;
      if (detail::linkPending(program, &log)) {
        bindSamplers(device, program, use.samplers);
      } else {
        std::fprintf(stderr, "[gfx] effect program: %s\n", log.c_str());
      }
    }
    if (program.program == 0) return false;
    if (!use.located) {
      use.located = true;
      for (const Parameter& parameter : parameters) {
        use.locations.push_back(parameter.kind == ParameterKind::Texture || parameter.kind == ParameterKind::Other
                                    ? -1
                                    : glGetUniformLocation(program.program, ("G." + parameter.name).c_str()));
      }
    }
    return true;
  }
};

void detail::forgetTextureInEffects(const Texture* texture) {
  for (Effect* effect : g_effects) effect->forgetTexture(texture);
}

Effect::Effect(Device& device) : m_device(device), m_impl(std::make_unique<Impl>()) { g_effects.push_back(this); }

Effect::~Effect() {
  g_effects.erase(std::find(g_effects.begin(), g_effects.end(), this));
  if (m_begun) end();
}

void Effect::forgetTexture(const Texture* texture) {
  for (Parameter& parameter : m_impl->parameters) {
    if (parameter.texture == texture) {
      parameter.texture = nullptr;
      ++parameter.version;
    }
  }
}

std::unique_ptr<Effect> Effect::create(Device& device, std::string_view source, std::string* errors,
                                       std::string* warnings) {
  std::string log;
  std::optional<EffectSource> parsed = parseEffectSource(source, &log);
  if (!parsed) {
    if (errors != nullptr) *errors = log;
    return nullptr;
  }
  std::unique_ptr<Effect> effect(new Effect(device));
  Impl& impl = *effect->m_impl;
  std::string notes;

  // Each entry point once, however many passes use it.
  std::map<std::string, int> programByEntry;
  std::vector<detail::CompiledPixelShader> compiled;
  for (const EffectTechniqueSource& technique : parsed->techniques) {
    for (const EffectPassSource& pass : technique.passes) {
      if (pass.pixelShaderEntry.empty() || programByEntry.count(pass.pixelShaderEntry) != 0) continue;
      detail::CompiledPixelShader shader;
      std::string shaderErrors;
      if (!detail::compilePixelShader(parsed->hlsl, pass.pixelShaderEntry, &shader, &shaderErrors)) {
        log += shaderErrors;
        programByEntry[pass.pixelShaderEntry] = -1;
        continue;
      }
      programByEntry[pass.pixelShaderEntry] = static_cast<int>(compiled.size());
      compiled.push_back(std::move(shader));
    }
  }
  if (!log.empty()) {
    if (errors != nullptr) *errors = log;
    return nullptr;
  }

  // Parameters: every HLSL global, then the textures, with the initial values the text gives them.
  for (const detail::CompiledPixelShader& shader : compiled) {
    for (const detail::UniformMember& uniform : shader.uniforms) {
      impl.addParameter(uniform.name, kindOf(uniform.kind), uniform.components);
    }
  }
  for (const EffectTextureSource& texture : parsed->textures) {
    const int index = impl.addParameter(texture.name, ParameterKind::Texture, 0);
    if (texture.unit >= 0 && texture.unit < kSamplerCount) impl.textureUnits[texture.unit] = index;
  }
  for (const EffectParameterDefault& initial : parsed->defaults) {
    const int index = impl.findParameter(initial.name);
    if (index < 0) continue;
    Parameter& parameter = impl.parameters[static_cast<std::size_t>(index)];
    for (std::size_t c = 0; c < std::min<std::size_t>(4, initial.values.size()); ++c) {
      parameter.values[c] = initial.values[c];
    }
    // A scalar initialiser fills a vector, as `float4 v = 1;` does.
    if (initial.values.size() == 1) std::fill(parameter.values + 1, parameter.values + 4, initial.values[0]);
  }
  for (const EffectSamplerSource& sampler : parsed->samplers) {
    SamplerSetup setup;
    setup.unit = sampler.unit;
    if (!sampler.texture.empty()) {
      setup.texture = impl.findParameter(sampler.texture);
      if (setup.texture < 0) setup.texture = impl.addParameter(sampler.texture, ParameterKind::Texture, 0);
    }
    for (const EffectAssignment& assignment : sampler.states) {
      EffectAssignment indexed = assignment;
      indexed.index = sampler.unit;
      detail::compileSamplerState(indexed, &setup.states, &log, &notes);
    }
    impl.samplers.push_back(std::move(setup));
  }

  // Link each translated shader once per device. One that linked in an earlier run waits for its first use: most
  // passes of an effect are never begun in a session, and each link costs a start some milliseconds.
  for (const detail::CompiledPixelShader& shader : compiled) {
    const std::string key = shader.vertexSource + '\n' + shader.fragmentSource;
    std::shared_ptr<detail::ShaderProgram> program = device.cachedProgram(key);
    if (!program && detail::programStored(shader.vertexSource, shader.fragmentSource)) {
      program = detail::deferProgram(shader.vertexSource, shader.fragmentSource);
      device.cacheProgram(key, program);
    } else if (!program) {
      std::string linkLog;
      std::unique_ptr<detail::ShaderProgram> built =
          detail::buildProgram(shader.vertexSource, shader.fragmentSource, &linkLog);
      if (!built) {
        log += "effect: error: " + linkLog + "\n";
        continue;
      }
      program = std::move(built);
      bindSamplers(device, *program, shader.samplers);
      device.cacheProgram(key, program);
    }
    ProgramUse use;
    use.program = program;
    use.samplers = shader.samplers;
    impl.programs.push_back(std::move(use));
  }

  for (const EffectTechniqueSource& techniqueSource : parsed->techniques) {
    Technique technique;
    technique.name = techniqueSource.name;
    for (const EffectPassSource& passSource : techniqueSource.passes) {
      Pass pass;
      pass.name = passSource.name;
      if (!passSource.pixelShaderEntry.empty()) pass.program = programByEntry[passSource.pixelShaderEntry];
      for (const EffectAssignment& assignment : passSource.states) {
        if (equalsIgnoringCase(assignment.name, "Texture")) {
          std::string value = assignment.value;
          value.erase(std::remove_if(value.begin(), value.end(),
                                     [](char c) { return c == '<' || c == '>' || c == '(' || c == ')' || c == ' '; }),
                      value.end());
          const int texture = impl.findParameter(value);
          const int unit = std::max(assignment.index, 0);
          if (texture < 0 || unit >= kSamplerCount) {
            log += "effect(" + std::to_string(assignment.line) + "): error: unknown texture '" + value + "'\n";
          } else {
            impl.textureUnits[unit] = texture;
          }
          continue;
        }
        detail::compilePassState(assignment, &pass.states, &log, &notes);
      }
      technique.passes.push_back(std::move(pass));
    }
    impl.techniques.push_back(std::move(technique));
  }
  if (impl.techniques.empty()) log += "effect(1): error: the effect has no technique\n";
  if (!log.empty()) {
    if (errors != nullptr) *errors = log;
    return nullptr;
  }
  if (warnings != nullptr) *warnings = notes;
  for (ProgramUse& use : impl.programs) use.uploaded.assign(impl.parameters.size(), 0);
  return effect;
}

bool Effect::setTechnique(std::string_view name) {
  for (std::size_t i = 0; i < m_impl->techniques.size(); ++i) {
    if (m_impl->techniques[i].name == name) {
      m_impl->technique = i;
      return true;
    }
  }
  return false;
}

const std::string& Effect::techniqueName() const { return m_impl->techniques[m_impl->technique].name; }

unsigned Effect::passCount() const {
  return static_cast<unsigned>(m_impl->techniques[m_impl->technique].passes.size());
}

const std::string& Effect::passName(unsigned index) const {
  static const std::string none;
  const auto& passes = m_impl->techniques[m_impl->technique].passes;
  return index < passes.size() ? passes[index].name : none;
}

std::optional<unsigned> Effect::findPass(std::string_view name) const {
  const auto& passes = m_impl->techniques[m_impl->technique].passes;
  for (std::size_t i = 0; i < passes.size(); ++i) {
    if (passes[i].name == name) return static_cast<unsigned>(i);
  }
  return std::nullopt;
}

unsigned Effect::begin() {
  if (!m_begun) {
    m_impl->saved = m_device.captureState();
    m_begun = true;
  }
  return passCount();
}

void Effect::end() {
  if (!m_begun) return;
  m_begun = false;
  m_activePass.reset();
  m_device.applyState(m_impl->saved);
}

bool Effect::beginPass(unsigned index) {
  const auto& passes = m_impl->techniques[m_impl->technique].passes;
  if (index >= passes.size()) return false;
  const Pass& pass = passes[index];
  m_activePass = index;
  detail::applyStates(pass.states, m_device);
  ProgramUse* use = pass.program >= 0 ? &m_impl->programs[static_cast<std::size_t>(pass.program)] : nullptr;
  if (use != nullptr && !m_impl->prepare(*use, m_device)) use = nullptr;
  m_device.setProgram(use != nullptr ? use->program.get() : nullptr);
  if (use != nullptr) {
    for (const SamplerSetup& sampler : m_impl->samplers) {
      const bool sampled = std::any_of(use->samplers.begin(), use->samplers.end(),
                                       [&](const detail::SamplerBinding& b) { return b.unit == sampler.unit; });
      if (sampled) detail::applyStates(sampler.states, m_device);
    }
  }
  bindTextures();
  uploadParameters();
  return true;
}

void Effect::endPass() { m_activePass.reset(); }

void Effect::commitChanges() {
  if (!m_activePass) return;
  bindTextures();
  uploadParameters();
}

void Effect::bindTextures() {
  const auto& passes = m_impl->techniques[m_impl->technique].passes;
  const Pass& pass = passes[*m_activePass];
  if (pass.program < 0) return;
  const ProgramUse& use = m_impl->programs[static_cast<std::size_t>(pass.program)];
  for (const detail::SamplerBinding& binding : use.samplers) {
    int texture = -1;
    for (const SamplerSetup& sampler : m_impl->samplers) {
      if (sampler.unit == binding.unit) texture = sampler.texture;
    }
    auto byUnit = m_impl->textureUnits.find(binding.unit);
    if (texture < 0 && byUnit != m_impl->textureUnits.end()) texture = byUnit->second;
    // A sampler fed by no texture parameter samples whatever is bound there (the sprite batch binds unit 0).
    if (texture >= 0) m_device.setTexture(binding.unit, m_impl->parameters[static_cast<std::size_t>(texture)].texture);
  }
}

void Effect::uploadParameters() {
  const auto& passes = m_impl->techniques[m_impl->technique].passes;
  const Pass& pass = passes[*m_activePass];
  if (pass.program < 0) return;
  ProgramUse& use = m_impl->programs[static_cast<std::size_t>(pass.program)];
  if (!use.located) return;
  // A program is shared by every effect of the same text: when another effect set its uniforms last, this one's
  // record of them is void.
  if (use.program->uniformsOwner != this) {
    use.program->uniformsOwner = this;
    std::fill(use.uploaded.begin(), use.uploaded.end(), 0);
  }
  bool bound = false;
  for (std::size_t i = 0; i < m_impl->parameters.size(); ++i) {
    const Parameter& parameter = m_impl->parameters[i];
    if (use.uploaded[i] == parameter.version) continue;
    use.uploaded[i] = parameter.version;
    const GLint location = use.locations[i];
    if (location < 0) continue;
    if (!bound) {
      m_device.bindProgramForUniforms(use.program.get());
      bound = true;
    }
    const GLsizei one = 1;
    if (parameter.kind == ParameterKind::Float) {
      switch (parameter.components) {
        case 1:
          glUniform1fv(location, one, parameter.values);
          break;
        case 2:
          glUniform2fv(location, one, parameter.values);
          break;
        case 3:
          glUniform3fv(location, one, parameter.values);
          break;
        default:
          glUniform4fv(location, one, parameter.values);
          break;
      }
    } else {
      GLint values[4];
      for (int c = 0; c < 4; ++c) {
        values[c] = parameter.kind == ParameterKind::Bool ? (parameter.values[c] != 0.0f ? 1 : 0)
                                                          : static_cast<GLint>(parameter.values[c]);
      }
      switch (parameter.components) {
        case 1:
          glUniform1iv(location, one, values);
          break;
        case 2:
          glUniform2iv(location, one, values);
          break;
        case 3:
          glUniform3iv(location, one, values);
          break;
        default:
          glUniform4iv(location, one, values);
          break;
      }
    }
  }
}

Effect::Handle Effect::parameter(std::string_view name) const { return m_impl->findParameter(name); }

bool Effect::setFloat(Handle handle, float value) { return setVector(handle, &value, 1); }

bool Effect::setInt(Handle handle, int value) {
  const float converted = static_cast<float>(value);
  return setVector(handle, &converted, 1);
}

bool Effect::setVector(Handle handle, const float* values, int count) {
  if (handle < 0 || static_cast<std::size_t>(handle) >= m_impl->parameters.size() || values == nullptr) return false;
  Parameter& parameter = m_impl->parameters[static_cast<std::size_t>(handle)];
  if (parameter.kind == ParameterKind::Texture || parameter.kind == ParameterKind::Other) return false;
  const int components = std::clamp(count, 0, 4);
  // The same value again changes nothing, so nothing is sent again.
  if (std::equal(values, values + components, parameter.values)) return true;
  std::copy(values, values + components, parameter.values);
  ++parameter.version;
  return true;
}

bool Effect::setTexture(Handle handle, const Texture* texture) {
  if (handle < 0 || static_cast<std::size_t>(handle) >= m_impl->parameters.size()) return false;
  Parameter& parameter = m_impl->parameters[static_cast<std::size_t>(handle)];
  if (parameter.kind != ParameterKind::Texture) return false;
  parameter.texture = texture;
  ++parameter.version;
  return true;
}

std::vector<float> Effect::parameterValue(Handle handle) const {
  if (handle < 0 || static_cast<std::size_t>(handle) >= m_impl->parameters.size()) return {};
  const Parameter& parameter = m_impl->parameters[static_cast<std::size_t>(handle)];
  return {parameter.values, parameter.values + 4};
}

std::size_t Effect::parameterCount() const { return m_impl->parameters.size(); }

const std::string& Effect::parameterName(Handle handle) const {
  static const std::string none;
  if (handle < 0 || static_cast<std::size_t>(handle) >= m_impl->parameters.size()) return none;
  return m_impl->parameters[static_cast<std::size_t>(handle)].name;
}

}  // namespace gfx
