#include "platform/gfx/private/ShaderProgram.h"

#include <optional>

#include "platform/gfx/private/ShaderDiskCache.h"

namespace gfx::detail {

namespace {

GLuint compileShader(GLenum stage, const std::string& source, std::string* log) {
  GLuint shader = glCreateShader(stage);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  if (log != nullptr) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, length, nullptr, text.data());
    *log = (stage == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + std::string(text.c_str());
  }
  glDeleteShader(shader);
  return 0;
}

bool driverGivesBinaries() {
  GLint formats = 0;
  glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
  return formats > 0;
}

// The program stored under `key`; 0 when there is none or the driver refuses it (another driver version).
GLuint loadStoredProgram(const std::string& folder, const std::string& key) {
  const std::optional<ProgramBinary> stored = loadCachedProgram(folder, key);
  if (!stored) return 0;
  GLuint program = glCreateProgram();
  glProgramBinary(program, stored->format, stored->bytes.data(), static_cast<GLsizei>(stored->bytes.size()));
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE) return program;
  glGetError();  // a format the driver no longer offers is an error as well as a failed link
  glDeleteProgram(program);
  return 0;
}

void storeProgram(const std::string& folder, const std::string& key, GLuint program) {
  GLint length = 0;
  glGetProgramiv(program, GL_PROGRAM_BINARY_LENGTH, &length);
  if (length <= 0) return;
  ProgramBinary binary;
  binary.bytes.resize(static_cast<std::size_t>(length));
  GLenum format = 0;
  glGetProgramBinary(program, length, &length, &format, binary.bytes.data());
  binary.bytes.resize(static_cast<std::size_t>(length));
  binary.format = format;
  if (!binary.bytes.empty()) storeCachedProgram(folder, key, binary);
}

constexpr const char* kSpriteVertexDeclarations = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uTransform;
out vec4 vColour;
out vec2 vTexCoord;
)";

constexpr const char* kFixedVertexMain = R"(void main() {
  gl_Position = uTransform * aPosition;
  vColour = aColour;
  vTexCoord = aTexCoord;
}
)";

}  // namespace

std::string programCacheKey(const std::string& vertexSource, const std::string& fragmentSource) {
  auto text = [](GLenum name) {
    const GLubyte* value = glGetString(name);
    return value != nullptr ? reinterpret_cast<const char*>(value) : "";
  };
  return std::string(text(GL_VENDOR)) + "\n" + text(GL_RENDERER) + "\n" + text(GL_VERSION) + "\n" + vertexSource +
         "\n" + fragmentSource;
}

ShaderProgram::~ShaderProgram() {
  forgetProgram(this);
  if (program != 0) glDeleteProgram(program);
}

// A program linked before is loaded from the binary the driver gave for it: that skips the shader compiler, whose
// first use in a process cost a processor rasteriser more than the rest of the player's start.
GLuint linkProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string* log) {
  const bool binaries = driverGivesBinaries();
  const std::string folder = binaries ? programCacheFolder() : std::string();
  const std::string key = folder.empty() ? std::string() : programCacheKey(vertexSource, fragmentSource);
  if (!folder.empty()) {
    if (GLuint stored = loadStoredProgram(folder, key); stored != 0) return stored;
  }
  GLuint vertex = compileShader(GL_VERTEX_SHADER, vertexSource, log);
  if (vertex == 0) return 0;
  GLuint fragment = compileShader(GL_FRAGMENT_SHADER, fragmentSource, log);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glBindAttribLocation(program, 0, "aPosition");
  glBindAttribLocation(program, 1, "aColour");
  glBindAttribLocation(program, 2, "aTexCoord");
  if (binaries) glProgramParameteri(program, GL_PROGRAM_BINARY_RETRIEVABLE_HINT, GL_TRUE);
  glLinkProgram(program);
  glDetachShader(program, vertex);
  glDetachShader(program, fragment);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE) {
    if (!folder.empty()) storeProgram(folder, key, program);
    return program;
  }
  if (log != nullptr) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    glGetProgramInfoLog(program, length, nullptr, text.data());
    *log = "link: " + std::string(text.c_str());
  }
  glDeleteProgram(program);
  return 0;
}

namespace {

void locateUniforms(ShaderProgram& program) {
  const GLuint name = program.program;
  program.transform = glGetUniformLocation(name, "uTransform");
  program.alphaFunc = glGetUniformLocation(name, "uAlphaFunc");
  program.alphaRef = glGetUniformLocation(name, "uAlphaRef");
  program.useTexture = glGetUniformLocation(name, "uUseTexture");
  program.quadValueBase = glGetUniformLocation(name, "uQuadValueBase");
}

}  // namespace

std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexSource, const std::string& fragmentSource,
                                            std::string* log) {
  GLuint name = linkProgram(vertexSource, fragmentSource, log);
  if (name == 0) return nullptr;
  auto program = std::make_unique<ShaderProgram>();
  program->program = name;
  locateUniforms(*program);
  return program;
}

bool programStored(const std::string& vertexSource, const std::string& fragmentSource) {
  if (!driverGivesBinaries()) return false;
  const std::string folder = programCacheFolder();
  return !folder.empty() && cachedProgramExists(folder, programCacheKey(vertexSource, fragmentSource));
}

std::unique_ptr<ShaderProgram> deferProgram(const std::string& vertexSource, const std::string& fragmentSource) {
  auto program = std::make_unique<ShaderProgram>();
  program->pendingVertex = vertexSource;
  program->pendingFragment = fragmentSource;
  return program;
}

bool linkPending(ShaderProgram& program, std::string* log) {
  if (program.program != 0 || program.pendingVertex.empty()) return program.program != 0;
  program.program = linkProgram(program.pendingVertex, program.pendingFragment, log);
  program.pendingVertex.clear();
  program.pendingFragment.clear();
  if (program.program == 0) return false;
  locateUniforms(program);
  return true;
}

std::unique_ptr<ShaderProgram> buildFixedFunctionProgram(std::string* log) {
  std::string fragment = "#version 330 core\n";
  fragment += alphaTestDeclarations();
  fragment += R"(
uniform sampler2D uTexture;
uniform bool uUseTexture;
in vec4 vColour;
in vec2 vTexCoord;
layout(location = 0) out vec4 oColour;
void main() {
  // Direct3D's default stage 0: texture modulated by the diffuse colour; a missing texture reads as white.
  vec4 colour = uUseTexture ? texture(uTexture, vTexCoord) * vColour : vColour;
)";
  fragment += "  " + alphaTestStatement("colour") + "\n  oColour = colour;\n}\n";
  auto program = buildProgram(std::string(kSpriteVertexDeclarations) + kFixedVertexMain, fragment, log);
  if (program) {
    glUseProgram(program->program);
    glUniform1i(glGetUniformLocation(program->program, "uTexture"), 0);
  }
  return program;
}

const char* spriteVertexDeclarations() { return kSpriteVertexDeclarations; }

const char* alphaTestDeclarations() {
  return R"(
uniform int uAlphaFunc;
uniform float uAlphaRef;
bool quillonAlphaPasses(float alpha) {
  // Direct3D compares the 8-bit alpha with the reference.
  float value = floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
  switch (uAlphaFunc) {
    case 1: return false;
    case 2: return value < uAlphaRef;
    case 3: return value == uAlphaRef;
    case 4: return value <= uAlphaRef;
    case 5: return value > uAlphaRef;
    case 6: return value != uAlphaRef;
    case 7: return value >= uAlphaRef;
    default: return true;
  }
}
)";
}

std::string alphaTestStatement(const std::string& colourExpression) {
  return "if (!quillonAlphaPasses((" + colourExpression + ").a)) discard;";
}

}  // namespace gfx::detail
