#include "skeleton/draw/SkeletonDrawer.h"

#include <memory>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/MeshProgram.h"
#include "skeleton/draw/SkeletonMesh.h"
#include "skeleton/runtime/Atlas.h"

namespace skeleton {

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uTransform;
out vec4 vColour;
out vec2 vTexCoord;
void main() {
  vColour = aColour;
  vTexCoord = aTexCoord;
  gl_Position = uTransform * aPosition;
}
)";

// Texture × vertex colour, premultiplied; a page without a texture draws in the vertex colour. Fully transparent
// pixels are dropped so they leave the depth buffer alone.
constexpr const char* kFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
uniform bool uUseTexture;
in vec4 vColour;
in vec2 vTexCoord;
layout(location = 0) out vec4 oColour;
void main() {
  vec4 colour = uUseTexture ? texture(uTexture, vTexCoord) * vColour : vColour;
  if (colour.a <= 0.0) discard;
  oColour = vec4(colour.rgb * colour.a, colour.a);
}
)";

gfx::SamplerState pageSampler(const spine::AtlasPage* page) {
  gfx::SamplerState sampler;
  sampler.mipFilter = gfx::Filter::None;
  if (page == nullptr) return sampler;
  auto filter = [](spine::AtlasFilter f) {
    return f == spine::AtlasFilter::Nearest ? gfx::Filter::Point : gfx::Filter::Linear;
  };
  sampler.minFilter = filter(page->minFilter);
  sampler.magFilter = filter(page->magFilter);
  auto address = [](spine::AtlasWrap wrap) {
    return wrap == spine::AtlasWrap::Repeat ? gfx::Address::Wrap : gfx::Address::Clamp;
  };
  sampler.addressU = address(page->uWrap);
  sampler.addressV = address(page->vWrap);
  return sampler;
}

const gfx::Texture* pageTexture(const spine::AtlasPage* page) {
  if (page == nullptr || page->rendererObject == nullptr) return nullptr;
  auto* image = static_cast<bitmap::Bitmap*>(page->rendererObject);
  return image->disposed() ? nullptr : image->texture();
}

}  // namespace

BlendFactors blendFactors(spine::BlendMode mode) {
  switch (mode) {
    case spine::BlendMode::Additive:
      return {gfx::Blend::One, gfx::Blend::One};
    case spine::BlendMode::Multiply:
      return {gfx::Blend::DestColor, gfx::Blend::InvSrcAlpha};
    case spine::BlendMode::Screen:
      return {gfx::Blend::One, gfx::Blend::InvSrcColor};
    case spine::BlendMode::Normal:
      break;
  }
  return {gfx::Blend::One, gfx::Blend::InvSrcAlpha};
}

void SkeletonDrawer::draw(gfx::Device& device, const SkeletonMesh& mesh, bool changed, float originX, float originY) {
  if (mesh.batches().empty()) return;
  // Linked once per device and kept by it; looking it up each draw never outlives a replaced device.
  std::unique_ptr<gfx::MeshProgram> program = gfx::MeshProgram::create(device, kVertexShader, kFragmentShader);
  if (!program) return;
  if (changed || !m_buffer.resident()) {
    m_buffer.upload(mesh.vertices().data(), mesh.vertices().size());
    m_buffer.uploadIndices(mesh.indices().data(), mesh.indices().size());
  }

  gfx::RenderState& state = device.renderState();
  state.cullMode = gfx::Cull::None;
  state.alphaBlendEnable = true;
  state.blendOp = gfx::BlendOp::Add;
  state.separateAlphaBlendEnable = true;
  state.srcBlendAlpha = gfx::Blend::One;
  state.destBlendAlpha = gfx::Blend::InvSrcAlpha;
  state.blendOpAlpha = gfx::BlendOp::Add;
  state.zEnable = true;
  state.zFunc = gfx::Compare::LessEqual;
  state.zWriteEnable = true;
  state.alphaTestEnable = false;
  state.colorWriteMask = 0xF;
  device.setProgram(program->program());

  // Skeleton space to target pixels: y turns downwards about the origin.
  const gfx::Matrix4 placement = gfx::Matrix4::scaling(1.0f, -1.0f) * gfx::Matrix4::translation(originX, originY);
  for (const SkeletonBatch& batch : mesh.batches()) {
    const BlendFactors factors = blendFactors(batch.blendMode);
    state.srcBlend = factors.source;
    state.destBlend = factors.destination;
    device.samplerState(0) = pageSampler(batch.page);
    device.setTexture(0, pageTexture(batch.page));
    device.drawIndexedTriangles(m_buffer, batch.firstIndex, batch.indexCount, gfx::VertexSpace::TargetPixels,
                                placement);
  }
}

}  // namespace skeleton
