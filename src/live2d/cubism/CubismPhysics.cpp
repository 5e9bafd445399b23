#include "live2d/cubism/CubismPhysics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/private/Json.h"

namespace live2d::cubism {

namespace {

constexpr float kAirResistance = 5.0f;
constexpr float kMovementThreshold = 0.001f;
constexpr float kMaxCatchUpSeconds = 5.0f;
constexpr float kPi = std::numbers::pi_v<float>;

float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

// Signed angle from `from` to `to`, in (-π, π].
float directionToRadian(CubismVector2 from, CubismVector2 to) {
  float r = std::atan2(to.y, to.x) - std::atan2(from.y, from.x);
  while (r < -kPi) r += 2.0f * kPi;
  while (r > kPi) r -= 2.0f * kPi;
  return r;
}

CubismVector2 normalized(CubismVector2 v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y);
  return length > 0.0f ? CubismVector2{v.x / length, v.y / length} : CubismVector2{0.0f, 0.0f};
}

// Maps a parameter value onto a normalisation range. Each side of the parameter range's midpoint maps
// onto its own side of the normalisation default. The sign is flipped unless `reflect`.
float normalize(float value, float parameterMinimum, float parameterMaximum, const auto& n, bool reflect) {
  const float maxValue = std::max(parameterMinimum, parameterMaximum);
  const float minValue = std::min(parameterMinimum, parameterMaximum);
  value = std::clamp(value, minValue, maxValue);
  const float minNorm = std::min(n.minimum, n.maximum);
  const float maxNorm = std::max(n.minimum, n.maximum);
  const float middleNorm = n.defaultValue;
  const float middleValue = minValue + (maxValue - minValue) / 2.0f;
  const float offset = value - middleValue;
  float result = middleNorm;
  if (offset > 0.0f) {
    const float span = maxValue - middleValue;
    if (span != 0.0f) result = offset * ((maxNorm - middleNorm) / span) + middleNorm;
  } else if (offset < 0.0f) {
    const float span = minValue - middleValue;
    if (span != 0.0f) result = offset * ((minNorm - middleNorm) / span) + middleNorm;
  }
  return reflect ? result : -result;
}

}  // namespace

std::unique_ptr<CubismPhysics> CubismPhysics::create(std::span<const std::uint8_t> bytes) {
  const nlohmann::json root = json::parse(bytes);
  if (root.is_discarded() || !root.is_object()) {
    CUBISM_LOG_ERROR("Invalid physics: not a JSON object.\n");
    return nullptr;
  }
  auto physics = std::make_unique<CubismPhysics>();
  const nlohmann::json& meta = json::object(root, "Meta");
  const float fps = json::number(meta, "Fps", 0.0f);
  physics->m_fps = std::isfinite(fps) && fps > 0.0f ? fps : 0.0f;
  const nlohmann::json& forces = json::object(meta, "EffectiveForces");
  const nlohmann::json& gravity = json::object(forces, "Gravity");
  const nlohmann::json& wind = json::object(forces, "Wind");
  physics->m_options.gravity = {finiteOr(json::number(gravity, "X", 0.0f), 0.0f),
                                finiteOr(json::number(gravity, "Y", -1.0f), -1.0f)};
  physics->m_options.wind = {finiteOr(json::number(wind, "X", 0.0f), 0.0f), finiteOr(json::number(wind, "Y", 0.0f), 0.0f)};

  CubismIdManager* ids = CubismFramework::getIdManager();
  const auto sourceType = [](const std::string& type) {
    return type == "Y" ? Source::Y : type == "Angle" ? Source::Angle : Source::X;
  };
  const auto normalization = [](const nlohmann::json& n) {
    return Normalization{finiteOr(json::number(n, "Minimum", 0.0f), 0.0f), finiteOr(json::number(n, "Maximum", 0.0f), 0.0f),
                         finiteOr(json::number(n, "Default", 0.0f), 0.0f)};
  };
  for (const nlohmann::json& s : json::array(root, "PhysicsSettings")) {
    Setting setting;
    for (const nlohmann::json& in : json::array(s, "Input")) {
      const std::string id = json::string(json::object(in, "Source"), "Id");
      if (id.empty()) continue;
      setting.inputs.push_back({ids->getId(id), -1, finiteOr(json::number(in, "Weight", 0.0f), 0.0f),
                                sourceType(json::string(in, "Type")), json::boolean(in, "Reflect", false)});
    }
    for (const nlohmann::json& v : json::array(s, "Vertices")) {
      Particle p;
      const nlohmann::json& position = json::object(v, "Position");
      p.initialPosition = {finiteOr(json::number(position, "X", 0.0f), 0.0f), finiteOr(json::number(position, "Y", 0.0f), 0.0f)};
      p.mobility = finiteOr(json::number(v, "Mobility", 0.0f), 0.0f);
      p.delay = finiteOr(json::number(v, "Delay", 0.0f), 0.0f);
      p.acceleration = finiteOr(json::number(v, "Acceleration", 0.0f), 0.0f);
      p.radius = finiteOr(json::number(v, "Radius", 0.0f), 0.0f);
      setting.particles.push_back(p);
    }
    for (const nlohmann::json& out : json::array(s, "Output")) {
      const std::string id = json::string(json::object(out, "Destination"), "Id");
      const float vertex = json::number(out, "VertexIndex", -1.0f);
      // An output reads particle k and its parent, so k must name a particle after the first.
      if (id.empty() || !(vertex >= 1.0f) || vertex >= static_cast<float>(setting.particles.size())) continue;
      setting.outputs.push_back({ids->getId(id), -1, static_cast<int>(vertex), finiteOr(json::number(out, "Scale", 1.0f), 1.0f),
                                 finiteOr(json::number(out, "Weight", 0.0f), 0.0f), sourceType(json::string(out, "Type")),
                                 json::boolean(out, "Reflect", false)});
    }
    const nlohmann::json& norm = json::object(s, "Normalization");
    setting.position = normalization(json::object(norm, "Position"));
    setting.angle = normalization(json::object(norm, "Angle"));
    if (setting.particles.empty()) continue;
    setting.currentOutputs.assign(setting.outputs.size(), 0.0f);
    setting.previousOutputs.assign(setting.outputs.size(), 0.0f);
    physics->m_settings.push_back(std::move(setting));
  }
  physics->reset();
  return physics;
}

void CubismPhysics::reset() {
  for (Setting& s : m_settings) {
    for (std::size_t i = 0; i < s.particles.size(); ++i) {
      Particle& p = s.particles[i];
      p.position = i == 0 ? CubismVector2{0.0f, 0.0f}
                          : CubismVector2{s.particles[i - 1].position.x, s.particles[i - 1].position.y + p.radius};
      p.lastPosition = p.position;
      p.lastGravity = {0.0f, 1.0f};
      p.velocity = {0.0f, 0.0f};
    }
    std::fill(s.currentOutputs.begin(), s.currentOutputs.end(), 0.0f);
    std::fill(s.previousOutputs.begin(), s.previousOutputs.end(), 0.0f);
  }
  m_remainingSeconds = 0.0f;
  m_parameterCache.clear();
}

std::vector<CubismVector2> CubismPhysics::getParticlePositions(std::size_t setting) const {
  std::vector<CubismVector2> positions;
  if (setting >= m_settings.size()) return positions;
  for (const Particle& p : m_settings[setting].particles) positions.push_back(p.position);
  return positions;
}

void CubismPhysics::resolve(CubismModel* model) {
  if (m_resolvedFor == model) return;
  const int count = model->getParameterCount();
  // Ids the model does not have are left out rather than read as unbounded variables.
  const auto index = [&](CubismIdHandle id) {
    const int i = model->getParameterIndex(id);
    return i < count ? i : -1;
  };
  for (Setting& s : m_settings) {
    for (Input& in : s.inputs) in.parameterIndex = index(in.id);
    for (Output& out : s.outputs) out.parameterIndex = index(out.id);
  }
  m_resolvedFor = model;
  m_parameterCache.clear();
}

void CubismPhysics::evaluate(CubismModel* model, float deltaTimeSeconds) {
  if (!model || !(deltaTimeSeconds > 0.0f)) return;
  resolve(model);
  const int count = model->getParameterCount();
  if (m_parameterCache.size() != static_cast<std::size_t>(count)) {
    m_parameterCache.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) m_parameterCache[static_cast<std::size_t>(i)] = model->getParameterValue(i);
  }
  m_remainingSeconds += deltaTimeSeconds;
  // After a long stall, start afresh rather than simulating seconds of catch-up in one frame.
  if (m_remainingSeconds > kMaxCatchUpSeconds) m_remainingSeconds = 0.0f;
  const float stepSeconds = m_fps > 0.0f ? 1.0f / m_fps : deltaTimeSeconds;
  while (m_remainingSeconds >= stepSeconds) {
    const float inputWeight = stepSeconds / m_remainingSeconds;
    for (int i = 0; i < count; ++i) {
      float& cached = m_parameterCache[static_cast<std::size_t>(i)];
      cached = cached * (1.0f - inputWeight) + model->getParameterValue(i) * inputWeight;
    }
    step(model, stepSeconds);
    m_remainingSeconds -= stepSeconds;
  }
  const float alpha = m_remainingSeconds / stepSeconds;
  for (Setting& s : m_settings) {
    for (std::size_t o = 0; o < s.outputs.size(); ++o) {
      const Output& out = s.outputs[o];
      if (out.parameterIndex < 0) continue;
      float value = model->getParameterValue(out.parameterIndex);
      writeOutput(model, &value, out, s.previousOutputs[o] * (1.0f - alpha) + s.currentOutputs[o] * alpha);
      model->setParameterValue(out.parameterIndex, value);
    }
  }
}

void CubismPhysics::step(CubismModel* model, float stepSeconds) {
  for (Setting& s : m_settings) {
    s.previousOutputs = s.currentOutputs;
    CubismVector2 translation;
    float angle = 0.0f;
    for (const Input& in : s.inputs) {
      if (in.parameterIndex < 0) continue;
      const float weight = in.weight / 100.0f;
      const float value = m_parameterCache[static_cast<std::size_t>(in.parameterIndex)];
      const float minimum = model->getParameterMinimumValue(in.parameterIndex);
      const float maximum = model->getParameterMaximumValue(in.parameterIndex);
      switch (in.type) {
        case Source::X: translation.x += normalize(value, minimum, maximum, s.position, in.reflect) * weight; break;
        case Source::Y: translation.y += normalize(value, minimum, maximum, s.position, in.reflect) * weight; break;
        case Source::Angle: angle += normalize(value, minimum, maximum, s.angle, in.reflect) * weight; break;
      }
    }
    const float radians = -angle * kPi / 180.0f;
    const float c = std::cos(radians);
    const float sn = std::sin(radians);
    translation = {translation.x * c - translation.y * sn, translation.x * sn + translation.y * c};
    updateParticles(s, translation, angle, stepSeconds);
    for (std::size_t o = 0; o < s.outputs.size(); ++o) {
      const Output& out = s.outputs[o];
      if (out.parameterIndex < 0) continue;
      const float value = outputValue(s, out);
      s.currentOutputs[o] = value;
      writeOutput(model, &m_parameterCache[static_cast<std::size_t>(out.parameterIndex)], out, value);
    }
  }
}

void CubismPhysics::updateParticles(Setting& s, CubismVector2 translation, float angleDegrees, float stepSeconds) {
  std::vector<Particle>& particles = s.particles;
  particles[0].position = translation;
  const float radians = angleDegrees * kPi / 180.0f;
  const CubismVector2 gravity = normalized({std::sin(radians), std::cos(radians)});
  const float threshold = kMovementThreshold * s.position.maximum;
  for (std::size_t i = 1; i < particles.size(); ++i) {
    Particle& p = particles[i];
    const Particle& parent = particles[i - 1];
    const CubismVector2 force{gravity.x * p.acceleration + m_options.wind.x, gravity.y * p.acceleration + m_options.wind.y};
    p.lastPosition = p.position;
    const float delay = p.delay * stepSeconds * 30.0f;
    CubismVector2 direction{p.position.x - parent.position.x, p.position.y - parent.position.y};
    // The chain turns with the gravity direction, damped by the air.
    const float turn = directionToRadian(p.lastGravity, gravity) / kAirResistance;
    const float tc = std::cos(turn);
    const float ts = std::sin(turn);
    direction = {tc * direction.x - ts * direction.y, ts * direction.x + tc * direction.y};
    p.position = {parent.position.x + direction.x + p.velocity.x * delay + force.x * delay * delay,
                  parent.position.y + direction.y + p.velocity.y * delay + force.y * delay * delay};
    const CubismVector2 unit = normalized({p.position.x - parent.position.x, p.position.y - parent.position.y});
    p.position = {parent.position.x + unit.x * p.radius, parent.position.y + unit.y * p.radius};
    if (std::fabs(p.position.x) < threshold) p.position.x = 0.0f;
    if (delay != 0.0f) {
      p.velocity = {(p.position.x - p.lastPosition.x) / delay * p.mobility,
                    (p.position.y - p.lastPosition.y) / delay * p.mobility};
    }
    p.lastGravity = gravity;
  }
}

float CubismPhysics::outputValue(const Setting& s, const Output& out) const {
  const auto k = static_cast<std::size_t>(out.vertexIndex);
  const CubismVector2 translation{s.particles[k].position.x - s.particles[k - 1].position.x,
                                  s.particles[k].position.y - s.particles[k - 1].position.y};
  float value = 0.0f;
  switch (out.type) {
    case Source::X: value = translation.x; break;
    case Source::Y: value = translation.y; break;
    case Source::Angle: {
      const CubismVector2 parent = k >= 2 ? CubismVector2{s.particles[k - 1].position.x - s.particles[k - 2].position.x,
                                                          s.particles[k - 1].position.y - s.particles[k - 2].position.y}
                                          : CubismVector2{-m_options.gravity.x, -m_options.gravity.y};
      value = directionToRadian(parent, translation);
      break;
    }
  }
  if (out.reflect) value = -value;
  return value * out.scale;
}

void CubismPhysics::writeOutput(CubismModel* model, float* target, const Output& out, float value) const {
  value = std::clamp(value, model->getParameterMinimumValue(out.parameterIndex),
                     model->getParameterMaximumValue(out.parameterIndex));
  if (!std::isfinite(value)) return;
  const float weight = out.weight / 100.0f;
  *target = weight >= 1.0f ? value : *target * (1.0f - weight) + value * weight;
}

}  // namespace live2d::cubism
