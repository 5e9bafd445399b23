#include "platform/gfx/SpriteBatch.h"

#include <algorithm>

#include "platform/gfx/Texture.h"
#include "platform/gfx/private/Gl.h"

namespace gfx {

namespace {

std::vector<SpriteBatch*> g_batches;

}  // namespace

void detail::forgetTextureInBatches(const Texture* texture) {
  for (SpriteBatch* batch : g_batches) batch->forgetTexture(texture);
}

SpriteBatch::SpriteBatch(Device& device) : m_device(device) { g_batches.push_back(this); }

SpriteBatch::~SpriteBatch() { g_batches.erase(std::find(g_batches.begin(), g_batches.end(), this)); }

void SpriteBatch::forgetTexture(const Texture* texture) {
  if (m_savedTexture == texture) m_savedTexture = nullptr;
  std::vector<Vertex> kept;
  std::vector<Run> runs;
  std::size_t first = 0;
  for (const Run& run : m_runs) {
    if (run.texture != texture) {
      kept.insert(kept.end(), m_vertices.begin() + static_cast<std::ptrdiff_t>(first * 4),
                  m_vertices.begin() + static_cast<std::ptrdiff_t>((first + run.quads) * 4));
      if (!runs.empty() && runs.back().texture == run.texture) {
        runs.back().quads += run.quads;
      } else {
        runs.push_back(run);
      }
    }
    first += run.quads;
  }
  if (runs.size() == m_runs.size()) return;
  m_vertices = std::move(kept);
  m_runs = std::move(runs);
}

bool SpriteBatch::begin(bool alphaBlend) {
  if (m_begun) return false;
  m_begun = true;
  m_saved = m_device.captureState();
  m_savedTexture = m_device.texture(0);
  RenderState& render = m_device.renderState();
  render.alphaBlendEnable = alphaBlend;
  render.srcBlend = Blend::SrcAlpha;
  render.destBlend = Blend::InvSrcAlpha;
  render.blendOp = BlendOp::Add;
  render.separateAlphaBlendEnable = false;
  render.alphaTestEnable = alphaBlend;
  render.alphaFunc = Compare::Greater;
  render.alphaRef = 0;
  render.cullMode = Cull::None;
  render.colorWriteMask = 0xF;
  SamplerState& sampler = m_device.samplerState(0);
  sampler.addressU = Address::Clamp;
  sampler.addressV = Address::Clamp;
  sampler.minFilter = Filter::Linear;
  sampler.magFilter = Filter::Linear;
  sampler.mipFilter = Filter::Linear;
  return true;
}

void SpriteBatch::end() {
  if (!m_begun) return;
  flush();
  m_begun = false;
  m_device.applyState(m_saved);
  m_device.setTexture(0, m_savedTexture);
}

void SpriteBatch::draw(const Texture* texture, const Rect* source, const Vector3* centre, const Vector3* position,
                       std::uint32_t colour) {
  if (!m_begun || texture == nullptr) return;
  const Rect area = source != nullptr ? *source : Rect{0, 0, texture->width(), texture->height()};
  if (area.width() <= 0 || area.height() <= 0) return;
  const Vector3 origin = centre != nullptr ? *centre : Vector3{};
  const Vector3 place = position != nullptr ? *position : Vector3{};
  const float left = place.x - origin.x;
  const float top = place.y - origin.y;
  const float z = place.z - origin.z;
  const float width = static_cast<float>(area.width());
  const float height = static_cast<float>(area.height());
  const float texelWidth = 1.0f / static_cast<float>(texture->width());
  const float texelHeight = 1.0f / static_cast<float>(texture->height());
  const float u0 = static_cast<float>(area.left) * texelWidth;
  const float u1 = static_cast<float>(area.right) * texelWidth;
  const float v0 = static_cast<float>(area.top) * texelHeight;
  const float v1 = static_cast<float>(area.bottom) * texelHeight;
  const auto& m = m_transform.m;
  // Keep w: a projective transform then divides on the GPU, with perspective-correct texture coordinates.
  auto corner = [&](float x, float y, float u, float v) {
    Vertex vertex;
    vertex.x = x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0];
    vertex.y = x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1];
    vertex.z = x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2];
    vertex.w = x * m[0][3] + y * m[1][3] + z * m[2][3] + m[3][3];
    vertex.colour = colour;
    vertex.u = u;
    vertex.v = v;
    m_vertices.push_back(vertex);
  };
  corner(left, top, u0, v0);
  corner(left + width, top, u1, v0);
  corner(left, top + height, u0, v1);
  corner(left + width, top + height, u1, v1);
  if (m_runs.empty() || m_runs.back().texture != texture) m_runs.push_back({texture, 0});
  ++m_runs.back().quads;
}

void SpriteBatch::flush() {
  std::size_t first = 0;
  for (const Run& run : m_runs) {
    m_device.setTexture(0, run.texture);
    m_device.drawQuads(m_vertices.data() + first * 4, run.quads);
    first += run.quads;
  }
  m_runs.clear();
  m_vertices.clear();
}

}  // namespace gfx
