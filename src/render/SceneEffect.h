#pragma once

// The built-in effect every 2D draw goes through, with the shader functions and passes scripts add to it. The
// source keeps two markers; additions go in just before them, in call order, and the whole text is compiled
// again. A text that does not compile is dropped again, so drawing always goes on with the last good effect.

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/Effect.h"

namespace gfx {
class Device;
}

namespace render {

inline constexpr std::string_view kCustomFunctionsMarker = "// [CUSTOM FUNCTIONS]";
inline constexpr std::string_view kCustomPassesMarker = "// [CUSTOM PASSES]";

// The built-in effect text.
std::string_view builtinEffectSource();

// `source` with `addition` + "\n" put just before the first `marker`; unchanged without the marker.
std::string insertBeforeMarker(std::string_view source, std::string_view marker, std::string_view addition);

// The parameters the renderer and the scene set most, looked up once per compile.
enum class EffectParam {
  SampWidth,
  SampHeight,
  Tone,
  BlendColor,
  BushDepth,
  BushOpacity,
  TexcoordYBottom,
  TexcoordScale,
  TexcoordOffset,
  WaveAmp,
  WaveSpeedAngle,
  WaveFreq,
  WavePhase,
  Count
};

class SceneEffect {
 public:
  // The device must outlive the effect.
  explicit SceneEffect(gfx::Device& device) : m_device(device) {}

  // Adds the texts before their markers and compiles the whole source. On failure returns false with the
  // compiler's text in `errors`; the additions are dropped and the previous effect stays in use.
  [[nodiscard]] bool compile(std::string_view functions, std::string_view passes, std::string* errors);

  gfx::Effect* effect() { return m_effect.get(); }
  const std::string& source() const { return m_source; }
  gfx::Effect::Handle handle(EffectParam param) const { return m_handles[static_cast<int>(param)]; }

  // Begins the technique "Render" and remembers its pass count.
  unsigned beginTechnique();
  void endTechnique();
  unsigned passCount() const { return m_passCount; }
  // Begins the first pass of that name; prints "Effect pass %s not found." and begins nothing otherwise.
  bool beginPassByName(std::string_view name);
  bool beginPass(unsigned index);
  void endPass();
  // The parameter values every object starts from.
  void resetParameters();

 private:
  gfx::Device& m_device;
  std::unique_ptr<gfx::Effect> m_effect;
  std::string m_source;
  std::array<gfx::Effect::Handle, static_cast<int>(EffectParam::Count)> m_handles{};
  unsigned m_passCount = 0;
};

}  // namespace render
