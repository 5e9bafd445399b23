#include "scene/Geometry.h"

#include <algorithm>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/VertexBuffer.h"
#include "render/Renderer.h"
#include "scene/GeometryMath.h"

namespace scene {

namespace {

// Screen mode's unset corners sit at the origin with w 0, so a triangle never given its positions covers nothing.
gfx::Vertex newCorner(bool worldMode) {
  gfx::Vertex vertex;
  vertex.w = worldMode ? 1.0f : 0.0f;
  return vertex;
}

}  // namespace

Geometry::Geometry() : Sprite(PlayerOwned{}) {}

Geometry::~Geometry() = default;

void Geometry::setup(Viewport* target, bool worldMode) {
  releaseResources();
  Sprite::initialize(target);
  ownSourceRect();
  ownColor();
  ownTone();
  // Nothing of this bitmap shows: it gives the common procedure a texture for the quad drawn before the triangles.
  ownedBitmap = bitmap::createBitmap(1, 1);
  setBitmap(ownedBitmap.get(), nullptr);
  m_worldMode = worldMode;
  m_matrix = gfx::Matrix4::identity();
}

void Geometry::dispose() {
  if (disposed()) return;
  Sprite::dispose();
  releaseResources();
  releaseBitmap();
  ownedBitmap.reset();
}

void Geometry::releaseResources() {
  m_vertices.clear();
  m_vertices.shrink_to_fit();
  m_uploadVertices.clear();
  m_uploadVertices.shrink_to_fit();
  m_buffer.reset();
  m_texture = nullptr;
  m_capacity = 0;
  m_dirty = false;
}

bool Geometry::triangleOutOfRange(int triangle) { return triangle >= kMaxGeometryTriangles; }

gfx::Vertex* Geometry::cornerForWrite(int triangle, int corner) {
  if (triangle < 0 || corner < 0 || corner > 2) return nullptr;
  const std::optional<std::int32_t> capacity = grownTriangleCapacity(m_capacity, triangle);
  if (!capacity) return nullptr;
  if (*capacity != m_capacity) {
    m_vertices.resize(static_cast<std::size_t>(*capacity) * 3, newCorner(m_worldMode));
    m_capacity = *capacity;
  }
  m_dirty = true;
  return &m_vertices[static_cast<std::size_t>(triangle) * 3 + static_cast<std::size_t>(corner)];
}

bool Geometry::setPointPosition(int triangle, int corner, float x, float y, float z, float w) {
  gfx::Vertex* vertex = cornerForWrite(triangle, corner);
  if (vertex == nullptr) return false;
  vertex->x = x;
  vertex->y = y;
  vertex->z = z;
  if (!m_worldMode) vertex->w = w;
  return true;
}

bool Geometry::setPointTexcoord(int triangle, int corner, float u, float v) {
  gfx::Vertex* vertex = cornerForWrite(triangle, corner);
  if (vertex == nullptr) return false;
  vertex->u = u;
  vertex->v = v;
  return true;
}

bool Geometry::setPointColor(int triangle, int corner, const bindings::Color& colour) {
  gfx::Vertex* vertex = cornerForWrite(triangle, corner);
  if (vertex == nullptr) return false;
  vertex->colour = static_cast<std::uint32_t>(colour.alpha) << 24 | static_cast<std::uint32_t>(colour.red) << 16 |
                   static_cast<std::uint32_t>(colour.green) << 8 | colour.blue;
  return true;
}

void Geometry::setTransformMatrix(const std::array<float, 16>& rowOrder) {
  m_matrix = geometryMatrix(rowOrder, m_worldMode);
  // World mode hands the matrix to the device at each draw; screen mode bakes it into the uploaded corners.
  if (!m_worldMode) m_dirty = true;
}

const gfx::Vertex& Geometry::corner(int triangle, int corner) const {
  return m_vertices.at(static_cast<std::size_t>(triangle) * 3 + static_cast<std::size_t>(corner));
}

std::uint64_t Geometry::uploadCount() const { return m_uploads; }

void Geometry::upload() {
  if (!m_buffer) m_buffer = std::make_unique<gfx::VertexBuffer>();
  // Only triangles that can cover pixels go up: unset ones and lines draw nothing anyway, and a software rasteriser
  // (Mesa's llvmpipe) was seen to drop a whole small draw whose last triangle was such a line.
  m_uploadVertices.clear();
  for (std::size_t first = 0; first + 2 < m_vertices.size(); first += 3) {
    const gfx::Vertex* corners = &m_vertices[first];
    if (m_worldMode) {
      if (degenerateInSpace(corners[0], corners[1], corners[2])) continue;
      m_uploadVertices.insert(m_uploadVertices.end(), corners, corners + 3);
      continue;
    }
    gfx::Vertex placed[3];
    bool onScreen = true;
    for (std::size_t i = 0; i < 3 && onScreen; ++i) {
      const gfx::Vertex& in = corners[i];
      const std::optional<ScreenPoint> point = screenTransform(m_matrix, in.x, in.y, in.z, in.w);
      if (!point) {
        onScreen = false;
        break;
      }
      placed[i] = homogeneousCorner(*point);
      placed[i].colour = in.colour;
      placed[i].u = in.u;
      placed[i].v = in.v;
    }
    // A corner without a place on the screen takes its whole triangle out, rather than stretching it.
    if (!onScreen || degenerateOnScreen(placed[0], placed[1], placed[2])) continue;
    m_uploadVertices.insert(m_uploadVertices.end(), placed, placed + 3);
  }
  m_buffer->upload(m_uploadVertices.data(), m_uploadVertices.size());
  m_dirty = false;
  ++m_uploads;
}

void Geometry::drawCustom(render::Renderer& renderer) {
  gfx::Device& device = renderer.device();
  gfx::SpriteBatch& batch = renderer.batch();
  const bool ownEffect = !effectName.empty();
  const bool batchWasBegun = batch.isBegun();
  // Ending the batch puts back the states it began with; the sampler settings chosen for this object stay.
  const gfx::SamplerState sampler = device.samplerState(0);
  if (!ownEffect) batch.end();
  device.samplerState(0) = sampler;

  if (m_capacity > 0) {
    if (m_dirty || !m_buffer || !m_buffer->resident()) upload();
    gfx::RenderState& state = device.renderState();
    state.cullMode = gfx::Cull::None;
    state.alphaBlendEnable = true;
    state.srcBlend = gfx::Blend::SrcAlpha;
    state.destBlend = gfx::Blend::InvSrcAlpha;
    state.blendOp = gfx::BlendOp::Add;
    state.separateAlphaBlendEnable = false;
    state.zEnable = true;
    state.zFunc = gfx::Compare::LessEqual;
    state.zWriteEnable = true;
    // Fully transparent texels leave the depth buffer alone, as they leave the picture alone.
    state.alphaTestEnable = true;
    state.alphaFunc = gfx::Compare::Greater;
    state.alphaRef = 0;
    state.colorWriteMask = 0xF;
    // Without an effect of its own the triangles are the texture modulated by their corners' colours.
    if (!ownEffect) device.setProgram(nullptr);
    const bool textured = m_texture != nullptr && !m_texture->disposed();
    device.setTexture(0, textured ? m_texture->texture() : nullptr);
    if (m_worldMode) {
      const gfx::Matrix4 transform = m_matrix * pixelProjection(renderer.screenWidth(), renderer.screenHeight());
      device.drawTriangles(*m_buffer, 0, m_buffer->size(), gfx::VertexSpace::Clip, transform);
    } else {
      device.drawTriangles(*m_buffer, 0, m_buffer->size(), gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
    }
    state.zEnable = false;
  }

  if (!ownEffect && batchWasBegun) batch.begin(true);
}

}  // namespace scene
