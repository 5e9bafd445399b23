#include "platform/gfx/Device.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/gfx/Context.h"
#include "platform/gfx/Texture.h"
#include "platform/gfx/VertexBuffer.h"
#include "platform/gfx/private/Gl.h"
#include "platform/gfx/private/ShaderProgram.h"

namespace gfx {

namespace {

// The device of the one context; textures tell it when they go.
Device* g_device = nullptr;

GLenum glBlend(Blend blend) {
  switch (blend) {
    case Blend::Zero:
      return GL_ZERO;
    case Blend::One:
      return GL_ONE;
    case Blend::SrcColor:
      return GL_SRC_COLOR;
    case Blend::InvSrcColor:
      return GL_ONE_MINUS_SRC_COLOR;
    case Blend::SrcAlpha:
      return GL_SRC_ALPHA;
    case Blend::InvSrcAlpha:
      return GL_ONE_MINUS_SRC_ALPHA;
    case Blend::DestAlpha:
      return GL_DST_ALPHA;
    case Blend::InvDestAlpha:
      return GL_ONE_MINUS_DST_ALPHA;
    case Blend::DestColor:
      return GL_DST_COLOR;
    case Blend::InvDestColor:
      return GL_ONE_MINUS_DST_COLOR;
    case Blend::SrcAlphaSat:
      return GL_SRC_ALPHA_SATURATE;
    case Blend::BlendFactor:
      return GL_CONSTANT_COLOR;
    case Blend::InvBlendFactor:
      return GL_ONE_MINUS_CONSTANT_COLOR;
    case Blend::SrcColor2:
      return GL_SRC1_COLOR;
    case Blend::InvSrcColor2:
      return GL_ONE_MINUS_SRC1_COLOR;
  }
  return GL_ONE;
}

GLenum glBlendOp(BlendOp op) {
  switch (op) {
    case BlendOp::Add:
      return GL_FUNC_ADD;
    case BlendOp::Subtract:
      return GL_FUNC_SUBTRACT;
    case BlendOp::RevSubtract:
      return GL_FUNC_REVERSE_SUBTRACT;
    case BlendOp::Min:
      return GL_MIN;
    case BlendOp::Max:
      return GL_MAX;
  }
  return GL_FUNC_ADD;
}

GLenum glCompare(Compare compare) {
  switch (compare) {
    case Compare::Never:
      return GL_NEVER;
    case Compare::Less:
      return GL_LESS;
    case Compare::Equal:
      return GL_EQUAL;
    case Compare::LessEqual:
      return GL_LEQUAL;
    case Compare::Greater:
      return GL_GREATER;
    case Compare::NotEqual:
      return GL_NOTEQUAL;
    case Compare::GreaterEqual:
      return GL_GEQUAL;
    case Compare::Always:
      return GL_ALWAYS;
  }
  return GL_ALWAYS;
}

GLint glMinFilter(Filter min, Filter mip) {
  const bool linear = min == Filter::Linear;
  switch (mip) {
    case Filter::None:
      return linear ? GL_LINEAR : GL_NEAREST;
    case Filter::Point:
      return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case Filter::Linear:
      return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  return GL_NEAREST;
}

void colourToFloats(std::uint32_t colour, float out[4]) {
  out[0] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
  out[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>(colour & 0xFF) / 255.0f;
  out[3] = static_cast<float>(colour >> 24) / 255.0f;
}

// Writes into a range of the streaming buffer bound at `target` that no draw in flight reads.
void writeStreamed(GLenum target, std::size_t offset, const void* data, std::size_t bytes) {
  void* mapped = glMapBufferRange(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes),
                                  GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (mapped != nullptr) {
    std::memcpy(mapped, data, bytes);
    glUnmapBuffer(target);
  } else {
    glBufferSubData(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
  }
}

struct DepthBuffer {
  int width = 0;
  int height = 0;
  GLuint renderbuffer = 0;
  // Cleared to `clearDepth` when next attached: new storage is undefined, and a clear made while another
  // target was bound is owed to this one too.
  bool clearPending = true;
  float clearDepth = 1.0f;
};

}  // namespace

struct Device::Impl {
  StateBlock state;
  std::array<const Texture*, kSamplerCount> textures{};
  std::array<Texture*, kRenderTargetCount> targets{};
  Viewport viewport;

  // What OpenGL currently has.
  RenderState appliedRender;
  bool renderValid = false;
  GLenum appliedFrontFace = 0;
  std::array<SamplerState, kSamplerCount> appliedSamplers;
  std::array<bool, kSamplerCount> samplerValid{};
  std::array<GLuint, kSamplerCount> boundNames{};
  bool targetsDirty = true;
  bool viewportDirty = true;
  const detail::ShaderProgram* usedProgram = nullptr;

  GLuint framebuffer = 0;
  std::vector<DepthBuffer> depthBuffers;
  std::array<GLuint, kSamplerCount> samplers{};
  GLuint vertexArray = 0;
  GLuint vertexBuffer = 0;
  std::size_t bufferBytes = 0;
  std::size_t writeBytes = 0;  // next free byte of the streaming buffer
  GLuint indexBuffer = 0;
  std::size_t quadCapacity = 0;
  // Shaded quads read the same buffers through a vertex array of their own, and their values from a buffer
  // texture streamed like the vertices.
  GLuint quadVertexArray = 0;
  GLuint valueBuffer = 0;
  GLuint valueTexture = 0;
  std::size_t valueBufferBytes = 0;
  std::size_t valueWriteBytes = 0;
  // Meshes bring their own indices, so they draw through a second vertex array whose element buffer is theirs
  // and leave the quad indices alone.
  GLuint meshVertexArray = 0;
  GLuint meshIndexBuffer = 0;
  std::vector<std::uint16_t> meshIndices;  // the valid triangles when a mesh names missing vertices
  // What draws use when no effect or shaded run sets a program, built at the first such draw: frames that draw
  // nothing else (a game's first, often) never need it.
  std::unique_ptr<detail::ShaderProgram> fixedFunction;
  bool fixedFunctionBuilt = false;
  std::map<std::string, std::shared_ptr<detail::ShaderProgram>> programs;
  bool mirrorOnceAvailable = false;
  bool softwareRasteriser = false;
  bool indexesSamplersPerTriangle = false;
  std::uint64_t drawCalls = 0;

  GLuint depthBufferFor(int width, int height);
  GLuint attachedDepthBuffer = 0;
  void applyTargets(Device& device);
  void applyRenderState(bool backBuffer);
  void applySamplersAndTextures();
  const detail::ShaderProgram* currentProgram();
  void useProgram(VertexSpace space, bool backBuffer, const Matrix4* positionTransform = nullptr);
  // Everything a draw from a vertex buffer needs, the buffer's vertex array bound last.
  void prepareBufferDraw(Device& device, const VertexBuffer& buffer, VertexSpace space,
                         const Matrix4& positionTransform);
  // Returns the index of the first uploaded vertex, counted in `stride`-byte vertices.
  std::size_t uploadVertices(const void* vertices, std::size_t count, std::size_t stride);
  // The same for the quad values' buffer; returns the first texel.
  std::size_t uploadValues(const std::array<float, 4>* vectors, std::size_t count);
  void ensureQuadIndices(std::size_t quadCount);
  template <class QuadCorner>
  void drawQuadCorners(Device& device, GLuint vertexArray, const QuadCorner* vertices, std::size_t quadCount,
                       std::size_t firstValue = 0);
};

namespace detail {

void forgetProgram(const ShaderProgram* program) {
  if (g_device != nullptr) g_device->programDeleted(program);
}

void forgetTexture(const Texture* texture) {
  forgetTextureInEffects(texture);
  forgetTextureInBatches(texture);
  if (g_device == nullptr) return;
  Device& device = *g_device;
  device.textureDeleted(texture->glName());
  for (int unit = 0; unit < kSamplerCount; ++unit) {
    if (device.texture(unit) == texture) device.setTexture(unit, nullptr);
  }
  for (int index = kRenderTargetCount - 1; index >= 0; --index) {
    if (device.renderTarget(index) == texture) device.setRenderTarget(index, nullptr);
  }
}

}  // namespace detail

Device::Device(Context& context) : m_context(context), m_impl(std::make_unique<Impl>()) {
  context.makeCurrent();
  Impl& impl = *m_impl;
  glGenFramebuffers(1, &impl.framebuffer);
  glGenSamplers(kSamplerCount, impl.samplers.data());
  for (int unit = 0; unit < kSamplerCount; ++unit) glBindSampler(static_cast<GLuint>(unit), impl.samplers[unit]);
  glGenVertexArrays(1, &impl.vertexArray);
  glGenBuffers(1, &impl.vertexBuffer);
  glGenBuffers(1, &impl.indexBuffer);
  glBindVertexArray(impl.vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, impl.vertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, impl.indexBuffer);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
  // GL_BGRA as the size reads the little-endian A8R8G8B8 word as red, green, blue, alpha.
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, colour)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
  // Shaded quads: the sprite vertex and the info word as an integer.
  glGenVertexArrays(1, &impl.quadVertexArray);
  glBindVertexArray(impl.quadVertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, impl.vertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, impl.indexBuffer);
  const GLsizei quadStride = sizeof(QuadVertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, quadStride, reinterpret_cast<void*>(offsetof(Vertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, quadStride,
                        reinterpret_cast<void*>(offsetof(Vertex, colour)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, quadStride, reinterpret_cast<void*>(offsetof(Vertex, u)));
  glEnableVertexAttribArray(3);
  glVertexAttribIPointer(3, 1, GL_UNSIGNED_INT, quadStride, reinterpret_cast<void*>(offsetof(QuadVertex, quadInfo)));
  glGenBuffers(1, &impl.valueBuffer);
  glGenTextures(1, &impl.valueTexture);
  glGenVertexArrays(1, &impl.meshVertexArray);
  glGenBuffers(1, &impl.meshIndexBuffer);
  glBindVertexArray(impl.meshVertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, impl.vertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, impl.meshIndexBuffer);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, colour)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
  glBindVertexArray(impl.vertexArray);
  impl.mirrorOnceAvailable = epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const std::string rendererName = renderer != nullptr ? renderer : "";
  impl.softwareRasteriser = rendererName.find("llvmpipe") != std::string::npos ||
                            rendererName.find("softpipe") != std::string::npos ||
                            rendererName.find("SWR") != std::string::npos;
  impl.indexesSamplersPerTriangle = impl.softwareRasteriser && epoxy_gl_version() >= 40;
  impl.viewport = {0, 0, backBufferWidth(), backBufferHeight(), 0.0f, 1.0f};
  g_device = this;
}

Device::~Device() {
  if (g_device == this) g_device = nullptr;
  releaseVertexBuffers();
  Impl& impl = *m_impl;
  impl.fixedFunction.reset();
  impl.programs.clear();
  glDeleteFramebuffers(1, &impl.framebuffer);
  for (const DepthBuffer& depth : impl.depthBuffers) glDeleteRenderbuffers(1, &depth.renderbuffer);
  glDeleteSamplers(kSamplerCount, impl.samplers.data());
  glDeleteBuffers(1, &impl.vertexBuffer);
  glDeleteBuffers(1, &impl.indexBuffer);
  glDeleteVertexArrays(1, &impl.vertexArray);
  glDeleteBuffers(1, &impl.meshIndexBuffer);
  glDeleteVertexArrays(1, &impl.meshVertexArray);
  glDeleteVertexArrays(1, &impl.quadVertexArray);
  glDeleteTextures(1, &impl.valueTexture);
  glDeleteBuffers(1, &impl.valueBuffer);
}

RenderState& Device::renderState() { return m_impl->state.render; }

SamplerState& Device::samplerState(int unit) {
  assert(unit >= 0 && unit < kSamplerCount);
  return m_impl->state.samplers[static_cast<std::size_t>(std::clamp(unit, 0, kSamplerCount - 1))];
}

StateBlock Device::captureState() const { return m_impl->state; }

void Device::applyState(const StateBlock& block) { m_impl->state = block; }

void Device::programDeleted(const detail::ShaderProgram* program) {
  if (m_impl->usedProgram == program) m_impl->usedProgram = nullptr;
  if (m_impl->state.program == program) m_impl->state.program = nullptr;
}

void Device::textureDeleted(unsigned glName) {
  if (glName == 0) return;
  for (GLuint& bound : m_impl->boundNames) {
    if (bound == glName) bound = 0;
  }
}

void Device::setTexture(int unit, const Texture* texture) {
  if (unit < 0 || unit >= kSamplerCount) return;
  m_impl->textures[static_cast<std::size_t>(unit)] = texture;
}

const Texture* Device::texture(int unit) const {
  if (unit < 0 || unit >= kSamplerCount) return nullptr;
  return m_impl->textures[static_cast<std::size_t>(unit)];
}

bool Device::setRenderTarget(int index, Texture* target) {
  if (index < 0 || index >= kRenderTargetCount) return false;
  if (target != nullptr && target->kind() != Texture::Kind::RenderTarget) return false;
  Impl& impl = *m_impl;
  impl.targets[static_cast<std::size_t>(index)] = target;
  impl.targetsDirty = true;
  if (index == 0) setViewport({0, 0, targetWidth(), targetHeight(), 0.0f, 1.0f});
  return true;
}

Texture* Device::renderTarget(int index) const {
  if (index < 0 || index >= kRenderTargetCount) return nullptr;
  return m_impl->targets[static_cast<std::size_t>(index)];
}

int Device::targetWidth() const {
  const Texture* target = m_impl->targets[0];
  return target != nullptr ? target->width() : backBufferWidth();
}

int Device::targetHeight() const {
  const Texture* target = m_impl->targets[0];
  return target != nullptr ? target->height() : backBufferHeight();
}

void Device::setViewport(const Viewport& viewport) {
  if (m_impl->viewport == viewport) return;
  m_impl->viewport = viewport;
  m_impl->viewportDirty = true;
}

const Viewport& Device::viewport() const { return m_impl->viewport; }

GLuint Device::Impl::depthBufferFor(int width, int height) {
  for (const DepthBuffer& depth : depthBuffers) {
    if (depth.width == width && depth.height == height) return depth.renderbuffer;
  }
  DepthBuffer depth{width, height, 0};
  glGenRenderbuffers(1, &depth.renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, depth.renderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
  depthBuffers.push_back(depth);
  return depth.renderbuffer;
}

void Device::Impl::applyTargets(Device& device) {
  if (targetsDirty) {
    targetsDirty = false;
    viewportDirty = true;
    renderValid = false;  // the winding that culling keeps depends on the target's orientation
    if (targets[0] == nullptr) {
      attachedDepthBuffer = 0;
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
      glDrawBuffer(GL_BACK);
      static bool warned = false;
      if (!warned && std::any_of(targets.begin() + 1, targets.end(), [](Texture* t) { return t != nullptr; })) {
        warned = true;
        std::fprintf(stderr, "[gfx] extra render targets are ignored while drawing into the back buffer\n");
      }
    } else {
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
      std::array<GLenum, kRenderTargetCount> buffers{};
      for (int index = 0; index < kRenderTargetCount; ++index) {
        Texture* target = targets[static_cast<std::size_t>(index)];
        const GLenum attachment = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(index);
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, attachment, GL_TEXTURE_2D, target ? target->glName() : 0, 0);
        buffers[static_cast<std::size_t>(index)] = target ? attachment : GL_NONE;
      }
      attachedDepthBuffer = depthBufferFor(targets[0]->width(), targets[0]->height());
      glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, attachedDepthBuffer);
      glDrawBuffers(kRenderTargetCount, buffers.data());
      for (DepthBuffer& depth : depthBuffers) {
        if (depth.renderbuffer != attachedDepthBuffer || !depth.clearPending) continue;
        depth.clearPending = false;
        glDisable(GL_SCISSOR_TEST);
        glDepthMask(GL_TRUE);
        glClearDepth(static_cast<double>(depth.clearDepth));
        glClear(GL_DEPTH_BUFFER_BIT);
        renderValid = false;
      }
    }
  }
  if (viewportDirty) {
    viewportDirty = false;
    const int glY = targets[0] == nullptr ? device.backBufferHeight() - viewport.y - viewport.height : viewport.y;
    glViewport(viewport.x, glY, viewport.width, viewport.height);
    glDepthRange(viewport.minZ, viewport.maxZ);
  }
}

void Device::Impl::applyRenderState(bool backBuffer) {
  const RenderState& want = state.render;
  RenderState& have = appliedRender;
  const bool all = !renderValid;
  if (all || want.alphaBlendEnable != have.alphaBlendEnable) {
    want.alphaBlendEnable ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
  }
  if (all || want.srcBlend != have.srcBlend || want.destBlend != have.destBlend ||
      want.separateAlphaBlendEnable != have.separateAlphaBlendEnable || want.srcBlendAlpha != have.srcBlendAlpha ||
      want.destBlendAlpha != have.destBlendAlpha) {
    if (want.separateAlphaBlendEnable) {
      glBlendFuncSeparate(glBlend(want.srcBlend), glBlend(want.destBlend), glBlend(want.srcBlendAlpha),
                          glBlend(want.destBlendAlpha));
    } else {
      glBlendFunc(glBlend(want.srcBlend), glBlend(want.destBlend));
    }
  }
  if (all || want.blendOp != have.blendOp || want.blendOpAlpha != have.blendOpAlpha ||
      want.separateAlphaBlendEnable != have.separateAlphaBlendEnable) {
    glBlendEquationSeparate(glBlendOp(want.blendOp),
                            glBlendOp(want.separateAlphaBlendEnable ? want.blendOpAlpha : want.blendOp));
  }
  if (all || want.blendFactor != have.blendFactor) {
    float factor[4];
    colourToFloats(want.blendFactor, factor);
    glBlendColor(factor[0], factor[1], factor[2], factor[3]);
  }
  if (all || want.zEnable != have.zEnable) want.zEnable ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
  if (all || want.zWriteEnable != have.zWriteEnable) glDepthMask(want.zWriteEnable ? GL_TRUE : GL_FALSE);
  if (all || want.zFunc != have.zFunc) glDepthFunc(glCompare(want.zFunc));
  if (all || want.colorWriteMask != have.colorWriteMask) {
    glColorMask((want.colorWriteMask & 1) != 0, (want.colorWriteMask & 2) != 0, (want.colorWriteMask & 4) != 0,
                (want.colorWriteMask & 8) != 0);
  }
  if (all || want.cullMode != have.cullMode) {
    want.cullMode == Cull::None ? glDisable(GL_CULL_FACE) : glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
  }
  if (want.cullMode != Cull::None) {
    // Direct3D names the winding as seen on screen. The back buffer's window coordinates run upwards, a
    // render target's rows downwards, so the same on-screen winding is the opposite GL winding in the two.
    const bool cullGlCounterClockwise =
        backBuffer ? want.cullMode == Cull::CounterClockwise : want.cullMode == Cull::Clockwise;
    const GLenum frontFace = cullGlCounterClockwise ? GL_CW : GL_CCW;
    if (frontFace != appliedFrontFace) {
      glFrontFace(frontFace);
      appliedFrontFace = frontFace;
    }
  }
  have = want;
  renderValid = true;
}

void Device::Impl::applySamplersAndTextures() {
  for (std::size_t unit = 0; unit < static_cast<std::size_t>(kSamplerCount); ++unit) {
    const GLuint name = textures[unit] != nullptr ? textures[unit]->glName() : 0;
    if (name != boundNames[unit]) {
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
      glBindTexture(GL_TEXTURE_2D, name);
      boundNames[unit] = name;
    }
    const SamplerState& want = state.samplers[unit];
    if (samplerValid[unit] && appliedSamplers[unit] == want) continue;
    const GLuint sampler = samplers[unit];
    auto wrap = [this](Address address) -> GLint {
      switch (address) {
        case Address::Wrap:
          return GL_REPEAT;
        case Address::Mirror:
          return GL_MIRRORED_REPEAT;
        case Address::Clamp:
          return GL_CLAMP_TO_EDGE;
        case Address::Border:
          return GL_CLAMP_TO_BORDER;
        case Address::MirrorOnce:
          return mirrorOnceAvailable ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
      }
      return GL_REPEAT;
    };
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap(want.addressU));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap(want.addressV));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, want.magFilter == Filter::Linear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, glMinFilter(want.minFilter, want.mipFilter));
    float border[4];
    colourToFloats(want.borderColor, border);
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    appliedSamplers[unit] = want;
    samplerValid[unit] = true;
  }
}

const detail::ShaderProgram* Device::Impl::currentProgram() {
  if (state.program != nullptr) return state.program;
  if (!fixedFunctionBuilt) {
    fixedFunctionBuilt = true;
    std::string log;
    fixedFunction = detail::buildFixedFunctionProgram(&log);
    if (!fixedFunction) std::fprintf(stderr, "[gfx] fixed-function program: %s\n", log.c_str());
    usedProgram = fixedFunction.get();  // building it made it GL's current program
  }
  return fixedFunction.get();
}

void Device::Impl::useProgram(VertexSpace space, bool backBuffer, const Matrix4* positionTransform) {
  const detail::ShaderProgram* program = currentProgram();
  if (program == nullptr) return;
  if (program != usedProgram) {
    glUseProgram(program->program);
    usedProgram = program;
  }
  // Column-major for GL. Maps the chosen space to GL clip space, flipping y for the back buffer whose rows run
  // upwards, and Direct3D's depth 0…1 to GL's −1…1.
  float matrix[16] = {};
  const float sign = backBuffer ? -1.0f : 1.0f;
  if (space == VertexSpace::TargetPixels) {
    const float width = static_cast<float>(std::max(viewport.width, 1));
    const float height = static_cast<float>(std::max(viewport.height, 1));
    matrix[0] = 2.0f / width;
    matrix[12] = -(2.0f * static_cast<float>(viewport.x) / width + 1.0f);
    matrix[5] = sign * 2.0f / height;
    matrix[13] = -sign * (2.0f * static_cast<float>(viewport.y) / height + 1.0f);
  } else {
    matrix[0] = 1.0f;
    matrix[5] = -sign;
  }
  matrix[10] = 2.0f;
  matrix[14] = -1.0f;
  matrix[15] = 1.0f;
  if (positionTransform != nullptr) {
    // The array is the row-vector matrix row by row (which GL reads as its transpose, column by column).
    Matrix4 toClip;
    for (std::size_t i = 0; i < 16; ++i) toClip.m[i / 4][i % 4] = matrix[i];
    const Matrix4 combined = *positionTransform * toClip;
    for (std::size_t i = 0; i < 16; ++i) matrix[i] = combined.m[i / 4][i % 4];
  }
  glUniformMatrix4fv(program->transform, 1, GL_FALSE, matrix);
  const RenderState& render = state.render;
  glUniform1i(program->alphaFunc, render.alphaTestEnable ? static_cast<GLint>(render.alphaFunc) : 8);
  glUniform1f(program->alphaRef, static_cast<float>(render.alphaRef));
  if (program->useTexture >= 0) glUniform1i(program->useTexture, textures[0] != nullptr ? 1 : 0);
}

std::size_t Device::Impl::uploadVertices(const void* vertices, std::size_t count, std::size_t stride) {
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  // A streaming buffer: each draw appends behind the previous ones, so the GPU never waits for a range it may
  // still be reading; when the buffer is full it is orphaned and writing starts over. Each draw's vertices start
  // at a multiple of their size, so that a base vertex finds them.
  const std::size_t bytes = count * stride;
  if (bytes > bufferBytes) {
    bufferBytes = std::max(bytes, std::max<std::size_t>(bufferBytes * 2, 4096 * sizeof(Vertex)));
    writeBytes = bufferBytes;
  }
  std::size_t first = (writeBytes + stride - 1) / stride;
  if ((first + count) * stride > bufferBytes) {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bufferBytes), nullptr, GL_STREAM_DRAW);
    first = 0;
  }
  const std::size_t offset = first * stride;
  writeStreamed(GL_ARRAY_BUFFER, offset, vertices, bytes);
  writeBytes = offset + bytes;
  return first;
}

void Device::Impl::prepareBufferDraw(Device& device, const VertexBuffer& buffer, VertexSpace space,
                                     const Matrix4& positionTransform) {
  const bool backBuffer = targets[0] == nullptr;
  applyTargets(device);
  applyRenderState(backBuffer);
  applySamplersAndTextures();
  useProgram(space, backBuffer, &positionTransform);
  glBindVertexArray(buffer.vertexArray());
}

std::size_t Device::Impl::uploadValues(const std::array<float, 4>* vectors, std::size_t count) {
  constexpr std::size_t kTexel = 4 * sizeof(float);
  const std::size_t bytes = count * kTexel;
  glBindBuffer(GL_TEXTURE_BUFFER, valueBuffer);
  bool attach = false;
  if (valueWriteBytes + bytes > valueBufferBytes) {
    valueBufferBytes = std::max(valueBufferBytes, std::max<std::size_t>(bytes * 2, 1 << 20));
    glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(valueBufferBytes), nullptr, GL_STREAM_DRAW);
    valueWriteBytes = 0;
    attach = true;
  }
  const std::size_t offset = valueWriteBytes;
  writeStreamed(GL_TEXTURE_BUFFER, offset, vectors, bytes);
  valueWriteBytes = offset + bytes;
  glActiveTexture(GL_TEXTURE0 + kQuadValueUnit);
  glBindTexture(GL_TEXTURE_BUFFER, valueTexture);
  // Storage made anew is attached anew (some drivers keep the texture's view of the old storage).
  if (attach) glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, valueBuffer);
  return offset / kTexel;
}

void Device::Impl::ensureQuadIndices(std::size_t quadCount) {
  if (quadCount <= quadCapacity) return;
  const std::size_t capacity = std::max(quadCount, quadCapacity * 2);
  std::vector<std::uint32_t> indices(capacity * 6);
  for (std::size_t quad = 0; quad < capacity; ++quad) {
    const auto first = static_cast<std::uint32_t>(quad * 4);
    const std::uint32_t corners[6] = {first, first + 1, first + 2, first + 2, first + 1, first + 3};
    std::memcpy(&indices[quad * 6], corners, sizeof(corners));
  }
  // The element buffer belongs to the bound vertex array; every quad array shares this one buffer.
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
               GL_STATIC_DRAW);
  quadCapacity = capacity;
}

template <class QuadCorner>
void Device::Impl::drawQuadCorners(Device& device, GLuint array, const QuadCorner* vertices, std::size_t quadCount,
                                   std::size_t firstValue) {
  const bool backBuffer = targets[0] == nullptr;
  applyTargets(device);
  applyRenderState(backBuffer);
  applySamplersAndTextures();
  useProgram(VertexSpace::TargetPixels, backBuffer);
  const detail::ShaderProgram* program = currentProgram();
  if (program != nullptr && program->quadValueBase >= 0) {
    glUniform1i(program->quadValueBase, static_cast<GLint>(firstValue));
  }
  glBindVertexArray(array);
  const std::size_t first = uploadVertices(vertices, quadCount * 4, sizeof(QuadCorner));
  ensureQuadIndices(quadCount);
  glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(quadCount * 6), GL_UNSIGNED_INT, nullptr,
                           static_cast<GLint>(first));
  if (array != vertexArray) glBindVertexArray(vertexArray);
  ++drawCalls;
}

void Device::clear(ClearFlags flags, std::uint32_t colour, float z) {
  Impl& impl = *m_impl;
  impl.applyTargets(*this);
  const Viewport& viewport = impl.viewport;
  const int glY = impl.targets[0] == nullptr ? backBufferHeight() - viewport.y - viewport.height : viewport.y;
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport.x, glY, viewport.width, viewport.height);
  GLbitfield mask = 0;
  if ((static_cast<int>(flags) & static_cast<int>(ClearFlags::Target)) != 0) {
    float rgba[4];
    colourToFloats(colour, rgba);
    glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if ((static_cast<int>(flags) & static_cast<int>(ClearFlags::ZBuffer)) != 0) {
    const float depthValue = std::clamp(z, 0.0f, 1.0f);
    glClearDepth(static_cast<double>(depthValue));
    glDepthMask(GL_TRUE);
    mask |= GL_DEPTH_BUFFER_BIT;
    for (DepthBuffer& depth : impl.depthBuffers) {
      if (depth.renderbuffer == impl.attachedDepthBuffer) continue;
      depth.clearPending = true;
      depth.clearDepth = depthValue;
    }
  }
  glClear(mask);
  glDisable(GL_SCISSOR_TEST);
  impl.renderValid = false;
}

void Device::drawTriangles(const Vertex* vertices, std::size_t vertexCount, VertexSpace space) {
  const std::size_t count = vertexCount - vertexCount % 3;
  if (vertices == nullptr || count == 0) return;
  Impl& impl = *m_impl;
  const bool backBuffer = impl.targets[0] == nullptr;
  impl.applyTargets(*this);
  impl.applyRenderState(backBuffer);
  impl.applySamplersAndTextures();
  impl.useProgram(space, backBuffer);
  glBindVertexArray(impl.vertexArray);
  const std::size_t first = impl.uploadVertices(vertices, count, sizeof(Vertex));
  glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first), static_cast<GLsizei>(count));
  ++impl.drawCalls;
}

void Device::drawTriangles(const VertexBuffer& buffer, std::size_t first, std::size_t count, VertexSpace space,
                           const Matrix4& positionTransform) {
  if (!buffer.resident() || first >= buffer.size()) return;
  count = std::min(count, buffer.size() - first);
  count -= count % 3;
  if (count == 0) return;
  m_impl->prepareBufferDraw(*this, buffer, space, positionTransform);
  glDrawArrays(GL_TRIANGLES, static_cast<GLint>(first), static_cast<GLsizei>(count));
  ++m_impl->drawCalls;
}

void Device::drawIndexedTriangles(const VertexBuffer& buffer, std::size_t firstIndex, std::size_t count,
                                  VertexSpace space, const Matrix4& positionTransform) {
  if (!buffer.resident() || !buffer.indicesValid() || firstIndex >= buffer.indexCount()) return;
  count = std::min(count, buffer.indexCount() - firstIndex);
  count -= count % 3;
  if (count == 0) return;
  m_impl->prepareBufferDraw(*this, buffer, space, positionTransform);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                 reinterpret_cast<const void*>(firstIndex * sizeof(std::uint32_t)));
  ++m_impl->drawCalls;
}

void Device::drawQuads(const Vertex* vertices, std::size_t quadCount) {
  if (vertices == nullptr || quadCount == 0) return;
  m_impl->drawQuadCorners(*this, m_impl->vertexArray, vertices, quadCount);
}

void Device::drawQuads(const QuadVertex* vertices, std::size_t quadCount, const std::array<float, 4>* vectors,
                       std::size_t vectorCount) {
  if (vertices == nullptr || quadCount == 0) return;
  const std::size_t firstValue = vectors != nullptr && vectorCount > 0 ? m_impl->uploadValues(vectors, vectorCount) : 0;
  m_impl->drawQuadCorners(*this, m_impl->quadVertexArray, vertices, quadCount, firstValue);
}

void Device::drawIndexedTriangles(const Vertex* vertices, std::size_t vertexCount, const std::uint16_t* indices,
                                  std::size_t indexCount, VertexSpace space) {
  indexCount -= indexCount % 3;
  if (vertices == nullptr || vertexCount == 0 || indices == nullptr || indexCount == 0) return;
  Impl& impl = *m_impl;
  // A bad index would make the GPU read past the vertices uploaded: keep only whole, valid triangles.
  if (std::any_of(indices, indices + indexCount, [&](std::uint16_t index) { return index >= vertexCount; })) {
    impl.meshIndices.clear();
    for (std::size_t t = 0; t < indexCount; t += 3) {
      if (indices[t] < vertexCount && indices[t + 1] < vertexCount && indices[t + 2] < vertexCount) {
        impl.meshIndices.insert(impl.meshIndices.end(), indices + t, indices + t + 3);
      }
    }
    if (impl.meshIndices.empty()) return;
    indices = impl.meshIndices.data();
    indexCount = impl.meshIndices.size();
  }
  const bool backBuffer = impl.targets[0] == nullptr;
  impl.applyTargets(*this);
  impl.applyRenderState(backBuffer);
  impl.applySamplersAndTextures();
  impl.useProgram(space, backBuffer);
  glBindVertexArray(impl.meshVertexArray);
  const std::size_t first = impl.uploadVertices(vertices, vertexCount, sizeof(Vertex));
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(std::uint16_t)), indices,
               GL_STREAM_DRAW);
  glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT, nullptr,
                           static_cast<GLint>(first));
  glBindVertexArray(impl.vertexArray);
  ++impl.drawCalls;
}

void Device::setProgram(const detail::ShaderProgram* program) { m_impl->state.program = program; }

const detail::ShaderProgram* Device::program() const { return m_impl->state.program; }

std::shared_ptr<detail::ShaderProgram> Device::cachedProgram(const std::string& key) const {
  auto found = m_impl->programs.find(key);
  return found != m_impl->programs.end() ? found->second : nullptr;
}

void Device::cacheProgram(const std::string& key, std::shared_ptr<detail::ShaderProgram> program) {
  m_impl->programs[key] = std::move(program);
}

void Device::bindProgramForUniforms(const detail::ShaderProgram* program) {
  if (program == nullptr || program == m_impl->usedProgram) return;
  glUseProgram(program->program);
  m_impl->usedProgram = program;
}

bool Device::present() { return m_context.swapBuffers(); }

bool Device::readBackBuffer(const Rect& rect, std::vector<std::uint32_t>& pixels) {
  const int height = backBufferHeight();
  if (!rectInside(rect, backBufferWidth(), height)) return false;
  const auto width = static_cast<std::size_t>(rect.width());
  pixels.resize(width * static_cast<std::size_t>(rect.height()));
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  // The back buffer's rows run upwards: read row by row from the top.
  for (int row = 0; row < rect.height(); ++row) {
    glReadPixels(rect.left, height - 1 - (rect.top + row), rect.width(), 1, GL_BGRA, GL_UNSIGNED_BYTE,
                 &pixels[static_cast<std::size_t>(row) * width]);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
  return true;
}

int Device::backBufferWidth() const {
  int width = 0;
  int height = 0;
  m_context.drawableSize(&width, &height);
  return width;
}

int Device::backBufferHeight() const {
  int width = 0;
  int height = 0;
  m_context.drawableSize(&width, &height);
  return height;
}

void Device::invalidateGlState() {
  Impl& impl = *m_impl;
  impl.renderValid = false;
  impl.appliedFrontFace = 0;
  impl.samplerValid.fill(false);
  impl.boundNames.fill(~0u);
  impl.targetsDirty = true;
  impl.viewportDirty = true;
  impl.usedProgram = nullptr;
}

bool Device::softwareRasteriser() const { return m_impl->softwareRasteriser; }

bool Device::indexesSamplersPerTriangle() const { return m_impl->indexesSamplersPerTriangle; }

std::uint64_t Device::drawCallCount() const { return m_impl->drawCalls; }

void Device::finish() { glFinish(); }

}  // namespace gfx
