#include "live2d/cubism/CubismRenderer_D3D9.h"

#include <algorithm>
#include <array>
#include <vector>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "live2d/cubism/private/D3D9DrawStates.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/MeshProgram.h"
#include "platform/gfx/Texture.h"

namespace live2d::cubism {

namespace {

struct FrameSettings {
  gfx::Device* device = nullptr;
  int frameWidth = 0;
  int frameHeight = 0;
};

FrameSettings g_settings;

constexpr int kModelTextureUnit = 0;
constexpr int kMaskTextureUnit = 1;

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uTransform;
uniform mat4 uMvp;
out vec2 vTexCoord;
void main() {
  vec4 clip = uMvp * vec4(aPosition.xy, 0.0, 1.0);
  // Depth means nothing to a flat model: keep every vertex mid-range so no matrix pushes it past a clip plane.
  clip.z = 0.5 * clip.w;
  gl_Position = uTransform * clip;
  vTexCoord = aTexCoord;
}
)";

// Texels are premultiplied; a drawable without a texture reads white.
constexpr const char* kDrawFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
uniform sampler2D uMask;
uniform bool uHasTexture;
uniform vec4 uBaseColor;
uniform vec4 uMultiplyColor;
uniform vec4 uScreenColor;
uniform int uMaskMode;
uniform vec4 uMaskChannel;
uniform vec4 uMaskLookup;
in vec2 vTexCoord;
layout(location = 0) out vec4 oColour;
void main() {
  vec4 c = uHasTexture ? texture(uTexture, vTexCoord) : vec4(1.0);
  c.rgb *= uMultiplyColor.rgb;
  c.rgb = c.rgb + uScreenColor.rgb * c.a - c.rgb * uScreenColor.rgb;
  vec4 colour = c * uBaseColor;
  if (uMaskMode != 0) {
    vec2 at = vec2(gl_FragCoord.x * uMaskLookup.x, gl_FragCoord.y * uMaskLookup.y + uMaskLookup.z);
    float coverage = dot(texture(uMask, at), uMaskChannel);
    colour *= uMaskMode == 2 ? 1.0 - coverage : coverage;
  }
  oColour = colour;
}
)";

// Coverage is the texture's alpha in every channel; the colour write mask picks the context's channel.
constexpr const char* kMaskFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
uniform bool uHasTexture;
in vec2 vTexCoord;
layout(location = 0) out vec4 oColour;
void main() {
  oColour = vec4(uHasTexture ? texture(uTexture, vTexCoord).a : 1.0);
}
)";

enum MaskMode { kUnmasked = 0, kMasked = 1, kInverted = 2 };

}  // namespace

struct CubismRenderer_D3D9::Impl {
  struct TextureSlot {
    const gfx::Texture* borrowed = nullptr;
    // bindImage's upload, or the premultiplied copy of a straight borrowed texture.
    std::unique_ptr<gfx::Texture> owned;
  };

  gfx::Device* device = nullptr;  // the device the programs and mask targets belong to
  std::unique_ptr<gfx::MeshProgram> draw;
  std::unique_ptr<gfx::MeshProgram> mask;
  struct {
    gfx::MeshProgram::Uniform mvp = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform hasTexture = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform baseColor = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform multiplyColor = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform screenColor = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform maskMode = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform maskChannel = gfx::MeshProgram::kNoUniform;
    gfx::MeshProgram::Uniform maskLookup = gfx::MeshProgram::kNoUniform;
  } drawUniforms;
  gfx::MeshProgram::Uniform maskMvp = gfx::MeshProgram::kNoUniform;
  gfx::MeshProgram::Uniform maskHasTexture = gfx::MeshProgram::kNoUniform;

  std::vector<TextureSlot> textures;
  std::vector<std::unique_ptr<gfx::Texture>> maskTargets;
  int maskTargetsUsed = 0;
  std::vector<gfx::Vertex> vertices;
  bool reportedNoDevice = false;

  bool preparePrograms(gfx::Device& target);
  const gfx::Texture* textureFor(int index, bool premultiplied);
  bool prepareMaskTargets(int count, int width, int height);
  void drawMesh(gfx::Device& target, std::span<const float> positions, std::span<const float> uvs,
                std::span<const std::uint16_t> indices);
};

bool CubismRenderer_D3D9::Impl::preparePrograms(gfx::Device& target) {
  if (device == &target && draw && mask) return true;
  maskTargets.clear();
  device = &target;
  std::string log;
  draw = gfx::MeshProgram::create(target, kVertexShader, kDrawFragmentShader, &log);
  if (draw) mask = gfx::MeshProgram::create(target, kVertexShader, kMaskFragmentShader, &log);
  if (!draw || !mask) {
    CUBISM_LOG_ERROR("model shaders do not build: %s\n", log.c_str());
    draw.reset();
    mask.reset();
    return false;
  }
  drawUniforms.mvp = draw->uniform("uMvp");
  drawUniforms.hasTexture = draw->uniform("uHasTexture");
  drawUniforms.baseColor = draw->uniform("uBaseColor");
  drawUniforms.multiplyColor = draw->uniform("uMultiplyColor");
  drawUniforms.screenColor = draw->uniform("uScreenColor");
  drawUniforms.maskMode = draw->uniform("uMaskMode");
  drawUniforms.maskChannel = draw->uniform("uMaskChannel");
  drawUniforms.maskLookup = draw->uniform("uMaskLookup");
  draw->setInt(draw->uniform("uTexture"), kModelTextureUnit);
  draw->setInt(draw->uniform("uMask"), kMaskTextureUnit);
  maskMvp = mask->uniform("uMvp");
  maskHasTexture = mask->uniform("uHasTexture");
  mask->setInt(mask->uniform("uTexture"), kModelTextureUnit);
  return true;
}

const gfx::Texture* CubismRenderer_D3D9::Impl::textureFor(int index, bool premultiplied) {
  if (index < 0 || static_cast<std::size_t>(index) >= textures.size()) return nullptr;
  TextureSlot& slot = textures[static_cast<std::size_t>(index)];
  if (slot.borrowed == nullptr) return slot.owned.get();
  if (premultiplied) return slot.borrowed;
  if (!slot.owned) {
    const gfx::Texture& source = *slot.borrowed;
    const int width = source.width();
    const int height = source.height();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    if (source.readPixels({0, 0, width, height}, pixels.data(), width * 4)) {
      detail::premultiplyBgra(pixels.data(), pixels.size() / 4);
      slot.owned = gfx::Texture::createManaged(width, height, true);
      if (slot.owned && !slot.owned->update({0, 0, width, height}, pixels.data(), width * 4)) slot.owned.reset();
    }
    if (!slot.owned) {
      CUBISM_LOG_WARNING("model texture %d is drawn unconverted: no premultiplied copy could be made\n", index);
      return slot.borrowed;
    }
  }
  return slot.owned.get();
}

bool CubismRenderer_D3D9::Impl::prepareMaskTargets(int count, int width, int height) {
  if (!maskTargets.empty() && (maskTargets.front()->width() < width || maskTargets.front()->height() < height)) {
    maskTargets.clear();
  }
  while (static_cast<int>(maskTargets.size()) < count) {
    auto made = gfx::Texture::createRenderTarget(width, height);
    if (!made) {
      CUBISM_LOG_ERROR("can't create a %d x %d mask target\n", width, height);
      return false;
    }
    maskTargets.push_back(std::move(made));
  }
  return true;
}

void CubismRenderer_D3D9::Impl::drawMesh(gfx::Device& target, std::span<const float> positions,
                                         std::span<const float> uvs, std::span<const std::uint16_t> indices) {
  const std::size_t count = std::min(positions.size(), uvs.size()) / 2;
  vertices.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    vertices[k] = {positions[2 * k], positions[2 * k + 1], 0.0f, 1.0f, 0xFFFFFFFF, uvs[2 * k], uvs[2 * k + 1]};
  }
  target.drawIndexedTriangles(vertices.data(), count, indices.data(), indices.size(), gfx::VertexSpace::Clip);
}

void CubismRenderer_D3D9::initializeConstantSettings(int bufferSetCount, gfx::Device* device) {
  (void)bufferSetCount;
  g_settings.device = device;
}

void CubismRenderer_D3D9::startFrame(gfx::Device* device, int viewportWidth, int viewportHeight) {
  g_settings.device = device;
  g_settings.frameWidth = std::max(0, viewportWidth);
  g_settings.frameHeight = std::max(0, viewportHeight);
}

void CubismRenderer_D3D9::endFrame(gfx::Device* device) {
  // Draws outside a frame size their masks by their target alone.
  if (device == g_settings.device) g_settings.frameWidth = g_settings.frameHeight = 0;
}

void CubismRenderer_D3D9::onDeviceLost() { g_settings = {}; }

CubismRenderer_D3D9::CubismRenderer_D3D9() : m_impl(std::make_unique<Impl>()) {}

CubismRenderer_D3D9::~CubismRenderer_D3D9() = default;

void CubismRenderer_D3D9::bindTexture(int index, const gfx::Texture* texture) {
  if (index < 0) return;
  auto& textures = m_impl->textures;
  if (textures.size() <= static_cast<std::size_t>(index)) textures.resize(static_cast<std::size_t>(index) + 1);
  textures[static_cast<std::size_t>(index)] = {texture, nullptr};
}

void CubismRenderer_D3D9::bindImage(int index, const CubismImage& image) {
  const std::size_t pixelCount =
      static_cast<std::size_t>(std::max(0, image.width)) * static_cast<std::size_t>(std::max(0, image.height));
  if (index < 0 || pixelCount == 0 || image.rgba.size() < pixelCount * 4) return;
  std::vector<std::uint8_t> bgra(pixelCount * 4);
  detail::rgbaToPremultipliedBgra(image.rgba.data(), pixelCount, isPremultipliedAlpha(), bgra.data());
  auto texture = gfx::Texture::createManaged(image.width, image.height, true);
  if (!texture || !texture->update({0, 0, image.width, image.height}, bgra.data(), image.width * 4)) {
    CUBISM_LOG_ERROR("can't upload a %d x %d model texture\n", image.width, image.height);
    return;
  }
  auto& textures = m_impl->textures;
  if (textures.size() <= static_cast<std::size_t>(index)) textures.resize(static_cast<std::size_t>(index) + 1);
  textures[static_cast<std::size_t>(index)] = {nullptr, std::move(texture)};
}

void CubismRenderer_D3D9::unbindTextures() { m_impl->textures.clear(); }

int CubismRenderer_D3D9::maskTextureCount() const { return m_impl->maskTargetsUsed; }

void CubismRenderer_D3D9::doDrawModel(const CubismDrawList& list) {
  Impl& impl = *m_impl;
  impl.maskTargetsUsed = 0;
  if (g_settings.device == nullptr) {
    if (!impl.reportedNoDevice) CUBISM_LOG_ERROR("the model renderer has no device to draw on\n");
    impl.reportedNoDevice = true;
    return;
  }
  gfx::Device& device = *g_settings.device;
  if (!impl.preparePrograms(device)) return;
  const CubismModel& model = *getModel();

  const gfx::StateBlock savedState = device.captureState();
  std::array<gfx::Texture*, gfx::kRenderTargetCount> savedTargets{};
  for (int index = 0; index < gfx::kRenderTargetCount; ++index) {
    savedTargets[static_cast<std::size_t>(index)] = device.renderTarget(index);
  }
  const gfx::Viewport viewport = device.viewport();
  const gfx::Texture* savedModelTexture = device.texture(kModelTextureUnit);
  const gfx::Texture* savedMaskTexture = device.texture(kMaskTextureUnit);
  const bool intoBackBuffer = savedTargets[0] == nullptr;
  const int targetWidth = device.targetWidth();
  const int targetHeight = device.targetHeight();

  gfx::SamplerState modelSampler;
  modelSampler.addressU = modelSampler.addressV = gfx::Address::Clamp;
  modelSampler.minFilter = modelSampler.magFilter = gfx::Filter::Linear;
  // Bilinear within the nearest mip level, as the software renderer samples: blending two levels blurs fine
  // lines (eyelashes, outlines) that the references keep.
  modelSampler.mipFilter = gfx::Filter::Point;
  gfx::SamplerState maskSampler;
  maskSampler.addressU = maskSampler.addressV = gfx::Address::Clamp;
  device.samplerState(kModelTextureUnit) = modelSampler;
  device.samplerState(kMaskTextureUnit) = maskSampler;
  // Whatever the caller left on the mask unit may be the very target drawn into (a frame drawn last frame).
  device.setTexture(kMaskTextureUnit, nullptr);

  const float* mvp = getMvpMatrix().getArray();
  const bool premultiplied = isPremultipliedAlpha();

  // Masks first: they only depend on the masks' own meshes, so every context is ready before any drawable.
  const detail::MaskPlan plan = detail::planMasks(list);
  const int maskWidth = std::max(targetWidth, g_settings.frameWidth);
  const int maskHeight = std::max(targetHeight, g_settings.frameHeight);
  bool masksReady = false;
  if (plan.textureCount > 0 && impl.prepareMaskTargets(plan.textureCount, maskWidth, maskHeight)) {
    masksReady = true;
    impl.maskTargetsUsed = plan.textureCount;
    for (int index = gfx::kRenderTargetCount - 1; index > 0; --index) device.setRenderTarget(index, nullptr);
    device.setProgram(impl.mask->program());
    impl.mask->setMatrix(impl.maskMvp, mvp);
    for (int t = 0; t < plan.textureCount; ++t) {
      device.setRenderTarget(0, impl.maskTargets[static_cast<std::size_t>(t)].get());
      device.setViewport(viewport);
      device.clear(gfx::ClearFlags::Target, 0);
      for (std::size_t c = 0; c < plan.slots.size(); ++c) {
        if (plan.slots[c].texture != t) continue;
        device.renderState() = detail::maskState(plan.slots[c].channel);
        for (int drawable : list.clipContexts()[c].maskDrawables) {
          const gfx::Texture* texture = impl.textureFor(model.getDrawableTextureIndex(drawable), premultiplied);
          device.setTexture(kModelTextureUnit, texture);
          impl.mask->setInt(impl.maskHasTexture, texture != nullptr ? 1 : 0);
          impl.drawMesh(device, model.getDrawableVertexPositions(drawable), model.getDrawableVertexUvs(drawable),
                        model.getDrawableVertexIndices(drawable));
        }
      }
    }
    for (int index = 0; index < gfx::kRenderTargetCount; ++index) {
      device.setRenderTarget(index, savedTargets[static_cast<std::size_t>(index)]);
    }
    device.setViewport(viewport);
  }

  device.setProgram(impl.draw->program());
  impl.draw->setMatrix(impl.drawUniforms.mvp, mvp);
  const detail::MaskLookup lookup = detail::maskLookup(intoBackBuffer, targetHeight, maskWidth, maskHeight);
  const float lookupVector[4] = {lookup.scaleX, lookup.scaleY, lookup.offsetY, 0.0f};
  impl.draw->setVector(impl.drawUniforms.maskLookup, lookupVector);
  for (const CubismDrawItem& item : list.items()) {
    int maskMode = kUnmasked;
    if (item.clipContext >= 0) {
      const detail::MaskSlot slot = plan.slots[static_cast<std::size_t>(item.clipContext)];
      if (masksReady && slot.texture >= 0) {
        maskMode = item.invertedMask ? kInverted : kMasked;
        device.setTexture(kMaskTextureUnit, impl.maskTargets[static_cast<std::size_t>(slot.texture)].get());
        // Write-mask bit i and sampled component i name the same channel.
        float channel[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        channel[slot.channel] = 1.0f;
        impl.draw->setVector(impl.drawUniforms.maskChannel, channel);
      } else if (!item.invertedMask) {
        continue;  // without its mask nothing covers it
      }
    }
    impl.draw->setInt(impl.drawUniforms.maskMode, maskMode);
    const gfx::Texture* texture = impl.textureFor(item.textureIndex, premultiplied);
    device.setTexture(kModelTextureUnit, texture);
    impl.draw->setInt(impl.drawUniforms.hasTexture, texture != nullptr ? 1 : 0);
    const float base[4] = {item.baseColor.r, item.baseColor.g, item.baseColor.b, item.baseColor.a};
    const float multiply[4] = {item.multiplyColor.r, item.multiplyColor.g, item.multiplyColor.b, 1.0f};
    const float screen[4] = {item.screenColor.r, item.screenColor.g, item.screenColor.b, 0.0f};
    impl.draw->setVector(impl.drawUniforms.baseColor, base);
    impl.draw->setVector(impl.drawUniforms.multiplyColor, multiply);
    impl.draw->setVector(impl.drawUniforms.screenColor, screen);
    device.renderState() = detail::drawState(item.blendMode, item.culling);
    impl.drawMesh(device, item.positions, item.uvs, item.indices);
  }

  device.applyState(savedState);
  device.setTexture(kModelTextureUnit, savedModelTexture);
  device.setTexture(kMaskTextureUnit, savedMaskTexture);
}

}  // namespace live2d::cubism
