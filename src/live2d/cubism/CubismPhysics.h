#pragma once

// physics3.json: chains of pendulum particles driven by parameters (head angle, body sway) whose swing
// drives other parameters (hair, ribbons). Runs at the file's fixed rate, interpolating the outputs
// between steps, so the result does not depend on the frame rate.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismModel;

struct CubismVector2 {
  float x = 0.0f;
  float y = 0.0f;
};

class CubismPhysics {
 public:
  struct Options {
    CubismVector2 gravity{0.0f, -1.0f};
    CubismVector2 wind{0.0f, 0.0f};
  };

  // Nothing (and one log line) when the bytes are not a physics file.
  static std::unique_ptr<CubismPhysics> create(std::span<const std::uint8_t> bytes);

  void evaluate(CubismModel* model, float deltaTimeSeconds);
  // Particles back at rest.
  void reset();
  void setOptions(const Options& options) { m_options = options; }
  const Options& getOptions() const { return m_options; }

  // For tests and tools: particle positions of one setting.
  std::size_t getSettingCount() const { return m_settings.size(); }
  std::vector<CubismVector2> getParticlePositions(std::size_t setting) const;

 private:
  enum class Source { X, Y, Angle };
  struct Normalization {
    float minimum = 0.0f;
    float maximum = 0.0f;
    float defaultValue = 0.0f;
  };
  struct Input {
    CubismIdHandle id = nullptr;
    int parameterIndex = -1;
    float weight = 0.0f;
    Source type = Source::X;
    bool reflect = false;
  };
  struct Output {
    CubismIdHandle id = nullptr;
    int parameterIndex = -1;
    int vertexIndex = 0;
    float scale = 1.0f;
    float weight = 0.0f;
    Source type = Source::X;
    bool reflect = false;
  };
  struct Particle {
    CubismVector2 initialPosition;
    float mobility = 0.0f;
    float delay = 0.0f;
    float acceleration = 0.0f;
    float radius = 0.0f;
    CubismVector2 position;
    CubismVector2 lastPosition;
    CubismVector2 lastGravity{0.0f, 1.0f};
    CubismVector2 velocity;
  };
  struct Setting {
    std::vector<Input> inputs;
    std::vector<Output> outputs;
    std::vector<Particle> particles;
    Normalization position;
    Normalization angle;
    std::vector<float> currentOutputs;
    std::vector<float> previousOutputs;
  };

  void resolve(CubismModel* model);
  void step(CubismModel* model, float stepSeconds);
  void updateParticles(Setting& setting, CubismVector2 translation, float angleDegrees, float stepSeconds);
  float outputValue(const Setting& setting, const Output& output) const;
  void writeOutput(CubismModel* model, float* target, const Output& output, float value) const;

  std::vector<Setting> m_settings;
  Options m_options;
  float m_fps = 0.0f;
  float m_remainingSeconds = 0.0f;
  std::vector<float> m_parameterCache;
  const CubismModel* m_resolvedFor = nullptr;
};

}  // namespace live2d::cubism
