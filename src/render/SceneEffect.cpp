#include "render/SceneEffect.h"

#include <cstdio>

extern const char kBuiltinEffectSource[];

namespace render {

namespace {

constexpr std::array<const char*, static_cast<int>(EffectParam::Count)> kParamNames = {
    "sampWidth",   "sampHeight",    "tone",           "blendColor", "bushDepth", "bushOpacity",
    "texcoordYBottom", "texcoordScale", "texcoordOffset", "wave_amp", "wave_speedangle", "wave_freq",
    "wave_phase"};

}  // namespace

std::string_view builtinEffectSource() {
  return kBuiltinEffectSource;
}

std::string insertBeforeMarker(std::string_view source, std::string_view marker, std::string_view addition) {
  std::string result(source);
  const std::size_t at = result.find(marker);
  if (at != std::string::npos) {
    result.insert(at, std::string(addition) + "\n");
  }
  return result;
}

bool SceneEffect::compile(std::string_view functions, std::string_view passes, std::string* errors) {
  std::string source = m_source.empty() ? std::string(builtinEffectSource()) : m_source;
  source = insertBeforeMarker(source, kCustomFunctionsMarker, functions);
  source = insertBeforeMarker(source, kCustomPassesMarker, passes);
  std::string messages;
  std::unique_ptr<gfx::Effect> effect = gfx::Effect::create(m_device, source, &messages);
  if (!effect) {
    if (errors != nullptr) {
      *errors = messages;
    }
    return false;
  }
  if (m_effect && m_effect->isBegun()) {
    m_effect->end();
  }
  m_effect = std::move(effect);
  m_source = std::move(source);
  m_effect->setTechnique("Render");
  for (std::size_t i = 0; i < kParamNames.size(); ++i) {
    m_handles[i] = m_effect->parameter(kParamNames[i]);
  }
  m_passCount = m_effect->passCount();
  return true;
}

unsigned SceneEffect::beginTechnique() {
  if (!m_effect) {
    return 0;
  }
  m_effect->setTechnique("Render");
  m_passCount = m_effect->begin();
  return m_passCount;
}

void SceneEffect::endTechnique() {
  if (m_effect && m_effect->isBegun()) {
    m_effect->end();
  }
}

bool SceneEffect::beginPassByName(std::string_view name) {
  if (m_effect) {
    std::optional<unsigned> index = m_effect->findPass(name);
    if (index && *index < m_passCount) {
      return m_effect->beginPass(*index);
    }
  }
  std::printf("Effect pass %.*s not found.\n", static_cast<int>(name.size()), name.data());
  std::fflush(stdout);
  return false;
}

bool SceneEffect::beginPass(unsigned index) {
  return m_effect && m_effect->beginPass(index);
}

void SceneEffect::endPass() {
  if (m_effect && m_effect->activePass()) {
    m_effect->endPass();
  }
}

void SceneEffect::resetParameters() {
  if (!m_effect) {
    return;
  }
  const float zero[4] = {0, 0, 0, 0};
  const float one[2] = {1, 1};
  m_effect->setVector(handle(EffectParam::Tone), zero, 4);
  m_effect->setVector(handle(EffectParam::BlendColor), zero, 4);
  m_effect->setInt(handle(EffectParam::BushDepth), 0);
  m_effect->setFloat(handle(EffectParam::BushOpacity), 0.0f);
  m_effect->setFloat(handle(EffectParam::TexcoordYBottom), 1.0f);
  m_effect->setVector(handle(EffectParam::TexcoordScale), one, 2);
  m_effect->setVector(handle(EffectParam::TexcoordOffset), zero, 2);
  m_effect->setFloat(handle(EffectParam::WaveAmp), 0.0f);
  m_effect->setFloat(handle(EffectParam::WaveSpeedAngle), 0.0f);
  m_effect->setFloat(handle(EffectParam::WaveFreq), 0.0f);
  m_effect->setFloat(handle(EffectParam::WavePhase), 0.0f);
}

}  // namespace render
