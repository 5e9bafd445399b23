#include "platform/gfx/MeshProgram.h"

#include "platform/gfx/Device.h"
#include "platform/gfx/private/Gl.h"
#include "platform/gfx/private/ShaderProgram.h"

namespace gfx {

std::unique_ptr<MeshProgram> MeshProgram::create(Device& device, std::string_view vertexSource,
                                                 std::string_view fragmentSource, std::string* log) {
  // The key cannot collide with an effect's, whose key is a single GLSL text.
  std::string key = "mesh\n";
  key += vertexSource;
  key += "\n--fragment--\n";
  key += fragmentSource;
  std::shared_ptr<detail::ShaderProgram> program = device.cachedProgram(key);
  if (!program) {
    std::unique_ptr<detail::ShaderProgram> built =
        detail::buildProgram(std::string(vertexSource), std::string(fragmentSource), log);
    if (!built) return nullptr;
    program = std::move(built);
    device.cacheProgram(key, program);
  }
  return std::unique_ptr<MeshProgram>(new MeshProgram(device, std::move(program)));
}

MeshProgram::MeshProgram(Device& device, std::shared_ptr<detail::ShaderProgram> program)
    : m_device(device), m_program(std::move(program)) {}

MeshProgram::~MeshProgram() = default;

MeshProgram::Uniform MeshProgram::uniform(std::string_view name) const {
  const GLint location = glGetUniformLocation(m_program->program, std::string(name).c_str());
  return location >= 0 ? location : kNoUniform;
}

void MeshProgram::bind() { m_device.bindProgramForUniforms(m_program.get()); }

void MeshProgram::setInt(Uniform uniform, int value) {
  if (uniform == kNoUniform) return;
  bind();
  glUniform1i(uniform, value);
}

void MeshProgram::setFloat(Uniform uniform, float value) {
  if (uniform == kNoUniform) return;
  bind();
  glUniform1f(uniform, value);
}

void MeshProgram::setVector(Uniform uniform, const float* four) {
  if (uniform == kNoUniform || four == nullptr) return;
  bind();
  glUniform4fv(uniform, 1, four);
}

void MeshProgram::setMatrix(Uniform uniform, const float* sixteen) {
  if (uniform == kNoUniform || sixteen == nullptr) return;
  bind();
  // Row-vector storage is the column-major storage of the transposed matrix that GL applies to column vectors.
  glUniformMatrix4fv(uniform, 1, GL_FALSE, sixteen);
}

}  // namespace gfx
