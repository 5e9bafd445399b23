#include "platform/gfx/SpriteBatch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gfx/Texture.h"
#include "platform/gfx/private/Gl.h"
#include "platform/gfx/private/ShaderProgram.h"

namespace gfx {

namespace {

std::vector<SpriteBatch*> g_batches;

constexpr std::uint32_t kUnitMask = 0xF;
constexpr std::uint32_t kAdditiveBit = 0x10;
constexpr int kValueIndexShift = 5;

constexpr const char* kQuadInfoDeclarations = "layout(location = 3) in uint aQuadInfo;\nflat out uint vQuadInfo;\n";

// Selects the quad's texture among `count` units, a uniform choice within each triangle: by index where the
// driver shades triangles apart, otherwise by a branch per unit.
std::string texelFunction(int count, bool indexed) {
  std::string text = "uniform sampler2D uQuadTextures[" + std::to_string(count) + "];\n";
  text += "vec4 quadTexel(vec2 coordinate) {\n";
  if (count == 1) return text + "  return texture(uQuadTextures[0], coordinate);\n}\n";
  if (indexed) return text + "  return texture(uQuadTextures[vQuadInfo & 15u], coordinate);\n}\n";
  text += "  uint unit = vQuadInfo & 15u;\n";
  for (int unit = 0; unit < count - 1; ++unit) {
    text += "  if (unit == " + std::to_string(unit) + "u) return texture(uQuadTextures[" + std::to_string(unit) +
            "], coordinate);\n";
  }
  return text + "  return texture(uQuadTextures[" + std::to_string(count - 1) + "], coordinate);\n}\n";
}

int unitsFor(int textureCount) {
  int units = 1;
  while (units < textureCount) units *= 2;
  return units;
}

// Where a processor rasteriser branches among the textures, it samples every one the program can choose for every
// pixel, so a run takes one more texture only while the extra sampling of its pixels costs less than a draw call of
// its own: about this many pixel samples.
constexpr double kSoftwareDrawCallSamples = 20000.0;

}  // namespace

void detail::forgetTextureInBatches(const Texture* texture) {
  for (SpriteBatch* batch : g_batches) batch->forgetTexture(texture);
}

SpriteBatch::SpriteBatch(Device& device) : m_device(device), m_indexedTextures(device.indexesSamplersPerTriangle()) {
  g_batches.push_back(this);
}

SpriteBatch::~SpriteBatch() { g_batches.erase(std::find(g_batches.begin(), g_batches.end(), this)); }

void SpriteBatch::forgetTexture(const Texture* texture) {
  if (m_savedTexture == texture) m_savedTexture = nullptr;
  const auto uses = [texture](const Run& run) {
    if (!run.shaded) return run.texture == texture;
    return std::find(run.textures.begin(), run.textures.begin() + run.textureCount, texture) !=
           run.textures.begin() + run.textureCount;
  };
  if (std::none_of(m_runs.begin(), m_runs.end(), uses)) return;
  std::vector<Vertex> vertices;
  std::vector<QuadVertex> shadedVertices;
  std::vector<QuadValues> shadedValues;
  std::vector<Run> runs;
  std::size_t plainFirst = 0;
  std::size_t shadedFirst = 0;
  for (const Run& run : m_runs) {
    if (!run.shaded) {
      if (run.texture != texture) {
        vertices.insert(vertices.end(), m_vertices.begin() + static_cast<std::ptrdiff_t>(plainFirst * 4),
                        m_vertices.begin() + static_cast<std::ptrdiff_t>((plainFirst + run.quads) * 4));
        if (!runs.empty() && !runs.back().shaded && runs.back().texture == run.texture) {
          runs.back().quads += run.quads;
        } else {
          runs.push_back(run);
        }
      }
      plainFirst += run.quads;
      continue;
    }
    // A shaded run keeps its quads of the other textures, on their units.
    Run kept = run;
    kept.quads = 0;
    for (std::size_t quad = shadedFirst; quad < shadedFirst + run.quads; ++quad) {
      const std::uint32_t unit = m_shadedVertices[quad * 4].quadInfo & kUnitMask;
      if (run.textures[unit] == texture) continue;
      // Its values move up with it.
      const auto valueIndex = static_cast<std::uint32_t>(kept.quads++);
      for (std::size_t corner = 0; corner < 4; ++corner) {
        QuadVertex vertex = m_shadedVertices[quad * 4 + corner];
        vertex.quadInfo = (vertex.quadInfo & ((1u << kValueIndexShift) - 1)) | (valueIndex << kValueIndexShift);
        shadedVertices.push_back(vertex);
      }
      shadedValues.push_back(m_shadedValues[quad]);
    }
    for (int unit = 0; unit < kept.textureCount; ++unit) {
      if (kept.textures[static_cast<std::size_t>(unit)] == texture)
        kept.textures[static_cast<std::size_t>(unit)] = nullptr;
    }
    if (kept.quads > 0) runs.push_back(kept);
    shadedFirst += run.quads;
  }
  m_vertices = std::move(vertices);
  m_shadedVertices = std::move(shadedVertices);
  m_shadedValues = std::move(shadedValues);
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

void SpriteBatch::corners(const Rect& area, const Vector3& place, const Texture& texture, std::uint32_t colour,
                          Vertex* out) const {
  const float left = place.x;
  const float top = place.y;
  const float z = place.z;
  const float width = static_cast<float>(area.width());
  const float height = static_cast<float>(area.height());
  const float texelWidth = 1.0f / static_cast<float>(texture.width());
  const float texelHeight = 1.0f / static_cast<float>(texture.height());
  const float u0 = static_cast<float>(area.left) * texelWidth;
  const float u1 = static_cast<float>(area.right) * texelWidth;
  const float v0 = static_cast<float>(area.top) * texelHeight;
  const float v1 = static_cast<float>(area.bottom) * texelHeight;
  const auto& m = m_transform.m;
  // Keep w: a projective transform then divides on the GPU, with perspective-correct texture coordinates.
  auto corner = [&](Vertex& vertex, float x, float y, float u, float v) {
    vertex.x = x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0];
    vertex.y = x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1];
    vertex.z = x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2];
    vertex.w = x * m[0][3] + y * m[1][3] + z * m[2][3] + m[3][3];
    vertex.colour = colour;
    vertex.u = u;
    vertex.v = v;
  };
  corner(out[0], left, top, u0, v0);
  corner(out[1], left + width, top, u1, v0);
  corner(out[2], left, top + height, u0, v1);
  corner(out[3], left + width, top + height, u1, v1);
}

void SpriteBatch::draw(const Texture* texture, const Rect* source, const Vector3* centre, const Vector3* position,
                       std::uint32_t colour) {
  if (!m_begun || texture == nullptr) return;
  const Rect area = source != nullptr ? *source : Rect{0, 0, texture->width(), texture->height()};
  if (area.width() <= 0 || area.height() <= 0) return;
  const Vector3 origin = centre != nullptr ? *centre : Vector3{};
  const Vector3 place = position != nullptr ? *position : Vector3{};
  const std::size_t at = m_vertices.size();
  m_vertices.resize(at + 4);
  corners(area, {place.x - origin.x, place.y - origin.y, place.z - origin.z}, *texture, colour, &m_vertices[at]);
  if (m_runs.empty() || m_runs.back().shaded || m_runs.back().texture != texture) m_runs.push_back({texture, 0});
  ++m_runs.back().quads;
}

int SpriteBatch::shadedUnit(const ShadedQuad& quad, double pixels) {
  const bool subtractive = quad.blend == QuadBlend::Subtractive;
  if (!m_runs.empty() && m_runs.back().shaded && m_runs.back().subtractive == subtractive) {
    Run& run = m_runs.back();
    for (int unit = 0; unit < run.textureCount; ++unit) {
      const auto index = static_cast<std::size_t>(unit);
      if (run.textures[index] == quad.texture && run.samplers[index] == quad.sampler) {
        run.pixels += pixels;
        return unit;
      }
    }
    const int extraUnits = unitsFor(run.textureCount + 1) - unitsFor(run.textureCount);
    const bool worthADrawCall = m_device.softwareRasteriser() && !m_indexedTextures &&
                                (run.pixels + pixels) * extraUnits > kSoftwareDrawCallSamples;
    if (run.textureCount < kShadedTextures && !worthADrawCall) {
      run.pixels += pixels;
      const auto index = static_cast<std::size_t>(run.textureCount);
      run.textures[index] = quad.texture;
      run.samplers[index] = quad.sampler;
      return run.textureCount++;
    }
  }
  Run run;
  run.shaded = true;
  run.subtractive = subtractive;
  run.textureCount = 1;
  run.textures[0] = quad.texture;
  run.samplers[0] = quad.sampler;
  run.pixels = pixels;
  m_runs.push_back(run);
  return 0;
}

void SpriteBatch::drawShaded(const ShadedQuad& quad) {
  if (!m_begun || quad.texture == nullptr || quad.values == nullptr || quad.shading < 0 ||
      static_cast<std::size_t>(quad.shading) >= m_shadings.size()) {
    return;
  }
  if (quad.source.width() <= 0 || quad.source.height() <= 0) return;
  const auto& m = m_transform.m;
  const double pixels = std::abs(static_cast<double>(m[0][0]) * m[1][1] - static_cast<double>(m[0][1]) * m[1][0]) *
                        quad.source.width() * quad.source.height();
  const int unit = shadedUnit(quad, pixels);
  Run& run = m_runs.back();
  // The quad's values are the run's n-th, n counted from the run's first quad.
  const auto valueIndex = static_cast<std::uint32_t>(run.quads++);
  run.shading = std::max(run.shading, quad.shading);
  const std::uint32_t info = static_cast<std::uint32_t>(unit) |
                             (quad.blend == QuadBlend::Additive ? kAdditiveBit : 0u) | (valueIndex << kValueIndexShift);
  const std::size_t at = m_shadedVertices.size();
  m_shadedVertices.resize(at + 4);
  Vertex vertices[4];
  corners(quad.source, quad.position, *quad.texture, quad.colour, vertices);
  for (int i = 0; i < 4; ++i) m_shadedVertices[at + static_cast<std::size_t>(i)] = {vertices[i], info};
  m_shadedValues.push_back(*quad.values);
}

void SpriteBatch::flush() {
  std::size_t plainFirst = 0;
  std::size_t shadedFirst = 0;
  for (const Run& run : m_runs) {
    if (run.shaded) {
      drawShadedRun(run, shadedFirst);
      shadedFirst += run.quads;
      continue;
    }
    m_device.setTexture(0, run.texture);
    m_device.drawQuads(m_vertices.data() + plainFirst * 4, run.quads);
    plainFirst += run.quads;
  }
  m_runs.clear();
  m_vertices.clear();
  m_shadedVertices.clear();
  m_shadedValues.clear();
}

void SpriteBatch::setShading(std::vector<ShadingSource> shadings) {
  m_shadings = std::move(shadings);
  for (ShadingSource& shading : m_shadings) {
    shading.valueVectors = std::clamp(shading.valueVectors, 0, kQuadValueVectors);
  }
  m_programs.clear();
}

void SpriteBatch::setIndexedTextures(bool indexed) {
  m_indexedTextures = indexed;
  m_programs.clear();
}

const detail::ShaderProgram* SpriteBatch::shadingProgram(int shading, int textureCount) {
  // An index costs the same whatever the array's size, so one program per shading serves every run.
  const int units = m_indexedTextures ? kShadedTextures : unitsFor(textureCount);
  auto found = m_programs.find({shading, units});
  if (found != m_programs.end()) return found->second.get();
  std::string vertex = std::string(detail::spriteVertexDeclarations()) + kQuadInfoDeclarations;
  std::string fragment = m_indexedTextures ? "#version 400 core\n" : "#version 330 core\n";
  fragment += detail::alphaTestDeclarations();
  fragment += "in vec4 vColour;\nin vec2 vTexCoord;\nflat in uint vQuadInfo;\n";
  const ShadingSource& source = m_shadings[static_cast<std::size_t>(shading)];
  if (source.valueVectors > 0) {
    const std::string count = std::to_string(source.valueVectors);
    vertex += "uniform samplerBuffer uQuadValues;\nuniform int uQuadValueBase;\nflat out vec4 quadValues[" + count +
              "];\nvoid main() {\n  int first = uQuadValueBase + int(aQuadInfo >> " + std::to_string(kValueIndexShift) +
              "u) * " + count + ";\n  for (int i = 0; i < " + count +
              "; ++i) quadValues[i] = texelFetch(uQuadValues, first + i);\n";
    fragment += "flat in vec4 quadValues[" + count + "];\n";
  } else {
    vertex += "void main() {\n";
  }
  vertex +=
      "  gl_Position = uTransform * aPosition;\n  vColour = aColour;\n  vTexCoord = aTexCoord;\n"
      "  vQuadInfo = aQuadInfo;\n}\n";
  // The second output is the blend factor of the destination colour: the alpha for normal quads, nothing for
  // additive ones, so that both blend in one draw call (one source, one minus the second source colour).
  fragment += "layout(location = 0, index = 0) out vec4 oColour;\nlayout(location = 0, index = 1) out vec4 oFactor;\n";
  fragment += texelFunction(units, m_indexedTextures);
  fragment += source.function;
  fragment += "\nvoid main() {\n  vec4 colour = shadeQuad(vTexCoord, vColour);\n  ";
  fragment += detail::alphaTestStatement("colour");
  fragment += "\n  oColour = colour;\n  oFactor = vec4((vQuadInfo & 16u) != 0u ? 0.0 : colour.a);\n}\n";
  std::string log;
  std::unique_ptr<detail::ShaderProgram> program = detail::buildProgram(vertex, fragment, &log);
  if (program) {
    m_device.bindProgramForUniforms(program.get());
    std::vector<GLint> units(static_cast<std::size_t>(kShadedTextures));
    for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<GLint>(i);
    glUniform1iv(glGetUniformLocation(program->program, "uQuadTextures"), static_cast<GLsizei>(units.size()),
                 units.data());
    glUniform1i(glGetUniformLocation(program->program, "uQuadValues"), Device::kQuadValueUnit);
  } else {
    std::fprintf(stderr, "[gfx] shading program: %s\n", log.c_str());
  }
  return (m_programs[{shading, units}] = std::move(program)).get();
}

void SpriteBatch::drawShadedRun(const Run& run, std::size_t firstQuad) {
  const detail::ShaderProgram* program = shadingProgram(run.shading, run.textureCount);
  if (program == nullptr || run.quads == 0) return;
  // Each quad sends the vectors the run's shading reads, and no more.
  const auto vectors = static_cast<std::size_t>(m_shadings[static_cast<std::size_t>(run.shading)].valueVectors);
  m_sentValues.clear();
  for (std::size_t quad = firstQuad; quad < firstQuad + run.quads && vectors > 0; ++quad) {
    m_sentValues.insert(m_sentValues.end(), m_shadedValues[quad].begin(),
                        m_shadedValues[quad].begin() + static_cast<std::ptrdiff_t>(vectors));
  }
  const StateBlock saved = m_device.captureState();
  std::array<const Texture*, kShadedTextures> savedTextures{};
  for (int unit = 0; unit < run.textureCount; ++unit) {
    const auto index = static_cast<std::size_t>(unit);
    savedTextures[index] = m_device.texture(unit);
    m_device.setTexture(unit, run.textures[index]);
    m_device.samplerState(unit) = run.samplers[index];
  }
  RenderState& render = m_device.renderState();
  render.alphaBlendEnable = true;
  render.separateAlphaBlendEnable = true;
  render.srcBlend = Blend::One;
  render.destBlend = run.subtractive ? Blend::One : Blend::InvSrcColor2;
  render.blendOp = run.subtractive ? BlendOp::RevSubtract : BlendOp::Add;
  render.srcBlendAlpha = Blend::One;
  render.destBlendAlpha = Blend::InvSrcAlpha;
  render.blendOpAlpha = BlendOp::Add;
  m_device.setProgram(program);
  m_device.drawQuads(m_shadedVertices.data() + firstQuad * 4, run.quads, m_sentValues.data(), m_sentValues.size());
  m_device.applyState(saved);
  for (int unit = 0; unit < run.textureCount; ++unit) {
    m_device.setTexture(unit, savedTextures[static_cast<std::size_t>(unit)]);
  }
}

}  // namespace gfx
