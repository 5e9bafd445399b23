#pragma once

// A vertex and pixel shader pair of the caller's own (GLSL 3.30 text), for drawing indexed meshes with
// Device::drawIndexedTriangles, in the manner of a Direct3D 9 vertex and pixel shader set on the device.
//
// The vertex shader reads the layer's vertex format (aPosition at location 0, aColour at 1, aTexCoord at 2) and
// must end with `gl_Position = uTransform * clipPosition;`: the device sets uTransform to map Direct3D clip space
// (or target pixels) onto OpenGL's, whichever target is bound. Uniform values are kept by the program and stay
// in force for every later draw with it.

#include <memory>
#include <string>
#include <string_view>

namespace gfx {

class Device;

namespace detail {
struct ShaderProgram;
}

class MeshProgram {
 public:
  using Uniform = int;
  static constexpr Uniform kNoUniform = -1;

  // Links the pair for `device` (which must outlive the program). Programs with the same text share one
  // linked GL program for the life of the device. Null with `log` set when either shader fails.
  static std::unique_ptr<MeshProgram> create(Device& device, std::string_view vertexSource,
                                             std::string_view fragmentSource, std::string* log = nullptr);
  ~MeshProgram();
  MeshProgram(const MeshProgram&) = delete;
  MeshProgram& operator=(const MeshProgram&) = delete;

  // kNoUniform for a name the linked program does not use; setting it is then a no-op.
  Uniform uniform(std::string_view name) const;
  void setInt(Uniform uniform, int value);
  void setFloat(Uniform uniform, float value);
  void setVector(Uniform uniform, const float* four);
  // Sixteen floats as Direct3D stores a matrix for row vectors (translation in elements 12 to 14).
  void setMatrix(Uniform uniform, const float* sixteen);

  // What Device::setProgram takes to draw with this pair.
  const detail::ShaderProgram* program() const { return m_program.get(); }

 private:
  MeshProgram(Device& device, std::shared_ptr<detail::ShaderProgram> program);
  void bind();

  Device& m_device;
  std::shared_ptr<detail::ShaderProgram> m_program;
};

}  // namespace gfx
