#pragma once

// A compiled effect in the manner of Direct3D's extension library: techniques of named passes, each pass a set
// of render and sampler states and an HLSL pixel shader, and parameters set by name or handle. Parameter values
// reach the GPU when a pass begins and at commitChanges, as there; only values a pass's program does not hold yet
// are sent. begin saves the device states and end
// restores them; endPass leaves the pass's states in place.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/EffectSource.h"

namespace gfx {

class Device;
class Texture;

namespace detail {
struct ShaderProgram;
}

class Effect {
 public:
  using Handle = int;
  static constexpr Handle kNoParameter = -1;

  // Compiles the effect text for `device`, which must outlive the effect. Null with `errors` set ("effect(LINE): error:
  // message" lines, LINE counted in `source`) when it does not compile. Translated shaders and linked programs are
  // reused across effects with the same text. `warnings` (optional) receives notes on states that are accepted but have
  // no effect here.
  static std::unique_ptr<Effect> create(Device& device, std::string_view source, std::string* errors,
                                        std::string* warnings = nullptr);
  ~Effect();
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  // The first technique is current after creation.
  bool setTechnique(std::string_view name);
  const std::string& techniqueName() const;
  unsigned passCount() const;
  const std::string& passName(unsigned index) const;
  // The first pass of that name in the current technique.
  std::optional<unsigned> findPass(std::string_view name) const;

  // Saves the device states and returns the pass count of the current technique.
  unsigned begin();
  // Restores the states saved by begin.
  void end();
  bool isBegun() const { return m_begun; }
  // Applies the pass's states, shader, textures and parameters. False for an index out of range.
  bool beginPass(unsigned index);
  void endPass();
  std::optional<unsigned> activePass() const { return m_activePass; }
  // Sends parameters and textures changed since the pass began to the running pass.
  void commitChanges();

  // Parameters: the HLSL globals of the effect and its textures. A setter fails for an unknown parameter or a
  // value of the wrong kind (a texture for a number or the reverse); numbers convert between float and int.
  Handle parameter(std::string_view name) const;
  bool setFloat(Handle handle, float value);
  bool setInt(Handle handle, int value);
  // Up to four components; missing ones keep their value.
  bool setVector(Handle handle, const float* values, int count);
  bool setTexture(Handle handle, const Texture* texture);
  bool setFloat(std::string_view name, float value) { return setFloat(parameter(name), value); }
  bool setInt(std::string_view name, int value) { return setInt(parameter(name), value); }
  bool setVector(std::string_view name, const float* values, int count) {
    return setVector(parameter(name), values, count);
  }
  bool setTexture(std::string_view name, const Texture* texture) { return setTexture(parameter(name), texture); }
  // The stored value (four floats; a texture parameter reads zeros).
  std::vector<float> parameterValue(Handle handle) const;

  // Texture parameters holding a texture that is going away become empty.
  void forgetTexture(const Texture* texture);

  std::size_t parameterCount() const;
  const std::string& parameterName(Handle handle) const;

 private:
  struct Impl;

  explicit Effect(Device& device);
  // Sends the parameters whose values the running pass's program does not hold yet.
  void uploadParameters();
  void bindTextures();

  Device& m_device;
  std::unique_ptr<Impl> m_impl;
  bool m_begun = false;
  std::optional<unsigned> m_activePass;
};

}  // namespace gfx
