#pragma once

// The one internal header that brings in OpenGL (through libepoxy), with helpers shared by the layer's sources.

#include <epoxy/gl.h>

#include <string>

namespace gfx::detail {

// The device forgets a texture that is being destroyed, so that a recycled GL name is never taken for a binding
// that is still in place.
void forgetTexture(unsigned glName);

// Texture edits bind on a unit the device never samples from, so its bindings stay as it left them.
inline constexpr int kEditTextureUnit = 16;
void bindForEdit(GLuint texture);

// Compiles and links a vertex and a fragment shader; 0 with `log` set on failure.
GLuint linkProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string* log);

}  // namespace gfx::detail
