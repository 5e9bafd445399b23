#pragma once

// A linked GL program in the device's conventions: the vertex attributes of gfx::Vertex at locations 0 to 2, the
// position transform in `uTransform`, and the alpha test done in the fragment shader (`uAlphaFunc`, `uAlphaRef`),
// since core OpenGL has none.

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/private/Gl.h"

namespace gfx::detail {

struct ShaderProgram {
  ShaderProgram() = default;
  ~ShaderProgram();
  ShaderProgram(const ShaderProgram&) = delete;
  ShaderProgram& operator=(const ShaderProgram&) = delete;

  GLuint program = 0;
  GLint transform = -1;
  GLint alphaFunc = -1;
  GLint alphaRef = -1;
  GLint useTexture = -1;     // fixed function only
  GLint quadValueBase = -1;  // shading programs of shaded quads that read values
  // Effect programs: uniform location of each effect parameter (−1 where the program does not use it).
  std::vector<GLint> parameterLocations;
  // The effect that set the program's uniforms last (programs are shared by effects of the same text).
  const void* uniformsOwner = nullptr;
  // The sources of a program left unlinked until its first use (program 0 until then).
  std::string pendingVertex;
  std::string pendingFragment;
};

// What a linked program is stored under on disk: the driver that linked it and the sources it was linked from.
std::string programCacheKey(const std::string& vertexSource, const std::string& fragmentSource);

// Links `vertexSource` and `fragmentSource`, or loads what an earlier link stored; null with `log` set when either
// fails.
std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexSource, const std::string& fragmentSource,
                                            std::string* log);

// Whether an earlier link of these sources by this driver stored its program: linking them again cannot fail, so
// the link may wait until the program is first used.
bool programStored(const std::string& vertexSource, const std::string& fragmentSource);

// A program of `vertexSource` and `fragmentSource` that links at its first linkPending.
std::unique_ptr<ShaderProgram> deferProgram(const std::string& vertexSource, const std::string& fragmentSource);

// Links a deferred program; true when it is linked (also when it was not deferred). A failed link is not tried
// again.
bool linkPending(ShaderProgram& program, std::string* log);

// The program the device draws with when no effect pass is active: texture unit 0 × vertex colour.
std::unique_ptr<ShaderProgram> buildFixedFunctionProgram(std::string* log);

// The start of a vertex shader reading the sprite vertex: version, attributes 0 to 2 and the position transform,
// with the outputs vColour and vTexCoord.
const char* spriteVertexDeclarations();

// GLSL that declares the alpha test, and the statement that applies it to a colour; in every fragment shader.
const char* alphaTestDeclarations();
std::string alphaTestStatement(const std::string& colourExpression);

}  // namespace gfx::detail
