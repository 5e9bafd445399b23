#pragma once

// The one internal header that brings in OpenGL (through libepoxy), with helpers shared by the layer's sources.

#include <epoxy/gl.h>

#include <string>

namespace gfx {
class Texture;
}

namespace gfx::detail {

// Whatever holds a texture without owning it (device bindings, effect parameters, queued sprites) lets go of it
// when the texture is destroyed: no pointer dangles, and a recycled GL name is never taken for a binding that is
// still in place.
void forgetTexture(const Texture* texture);
void forgetTextureInEffects(const Texture* texture);
void forgetTextureInBatches(const Texture* texture);

// The device lets go of a program being destroyed (Device::programDeleted).
struct ShaderProgram;
void forgetProgram(const ShaderProgram* program);

// Texture edits bind on a unit the device never samples from, so its bindings stay as it left them.
inline constexpr int kEditTextureUnit = 16;
void bindForEdit(GLuint texture);

// Compiles and links a vertex and a fragment shader; 0 with `log` set on failure.
GLuint linkProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string* log);

}  // namespace gfx::detail
