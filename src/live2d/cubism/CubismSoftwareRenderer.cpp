#include "live2d/cubism/CubismSoftwareRenderer.h"

#include <algorithm>
#include <cmath>

namespace live2d::cubism {

namespace {

struct Texel {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  float a = 0.0f;
};

Texel fetch(const std::uint8_t* rgba, int width, int x, int y) {
  const std::uint8_t* p = rgba + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  constexpr float k = 1.0f / 255.0f;
  return {p[0] * k, p[1] * k, p[2] * k, p[3] * k};
}

// Bilinear sample with clamped edges; v = 0 is the top row.
Texel sample(const std::vector<std::uint8_t>& rgba, int width, int height, float u, float v) {
  const float fx = u * static_cast<float>(width) - 0.5f;
  const float fy = v * static_cast<float>(height) - 0.5f;
  const float flx = std::floor(fx);
  const float fly = std::floor(fy);
  const float tx = fx - flx;
  const float ty = fy - fly;
  const auto clampi = [](float value, int limit) {
    if (!(value > 0.0f)) return 0;
    if (value >= static_cast<float>(limit - 1)) return limit - 1;
    return static_cast<int>(value);
  };
  const int x0 = clampi(flx, width);
  const int x1 = clampi(flx + 1.0f, width);
  const int y0 = clampi(fly, height);
  const int y1 = clampi(fly + 1.0f, height);
  const Texel a = fetch(rgba.data(), width, x0, y0);
  const Texel b = fetch(rgba.data(), width, x1, y0);
  const Texel c = fetch(rgba.data(), width, x0, y1);
  const Texel d = fetch(rgba.data(), width, x1, y1);
  const auto mix = [&](float pa, float pb, float pc, float pd) {
    return (pa * (1 - tx) + pb * tx) * (1 - ty) + (pc * (1 - tx) + pd * tx) * ty;
  };
  return {mix(a.r, b.r, c.r, d.r), mix(a.g, b.g, c.g, d.g), mix(a.b, b.b, c.b, d.b), mix(a.a, b.a, c.a, d.a)};
}

}  // namespace

CubismMatrix44 CubismSoftwareRenderer::canvasProjection(const CubismModel& model, int width, int height) {
  const float ppu = model.getPixelsPerUnit();
  const float zoom = static_cast<float>(width) / (model.getCanvasWidth() * ppu);
  const auto w = static_cast<float>(std::max(1, width));
  const auto h = static_cast<float>(std::max(1, height));
  CubismMatrix44 m;
  m.scale(2.0f * ppu * zoom / w, 2.0f * ppu * zoom / h);
  m.translate(2.0f * model.getCanvasOriginX() * zoom / w - 1.0f, 1.0f - 2.0f * model.getCanvasOriginY() * zoom / h);
  return m;
}

int CubismSoftwareRenderer::canvasImageHeight(const CubismModel& model, int width) {
  return static_cast<int>(static_cast<float>(width) * model.getCanvasHeight() / model.getCanvasWidth());
}

void CubismSoftwareRenderer::setTarget(int width, int height) {
  m_width = std::max(0, width);
  m_height = std::max(0, height);
  m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height) * 4, 0.0f);
}

void CubismSoftwareRenderer::clear(float r, float g, float b, float a) {
  for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
    m_pixels[i] = r;
    m_pixels[i + 1] = g;
    m_pixels[i + 2] = b;
    m_pixels[i + 3] = a;
  }
}

void CubismSoftwareRenderer::bindTexture(int index, const CubismImage& image) {
  if (index < 0 || image.width <= 0 || image.height <= 0 ||
      image.rgba.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
    return;
  }
  if (m_textures.size() <= static_cast<std::size_t>(index)) m_textures.resize(static_cast<std::size_t>(index) + 1);
  Texture& texture = m_textures[static_cast<std::size_t>(index)];
  texture.levels.clear();
  MipLevel base{image.width, image.height, image.rgba};
  if (!isPremultipliedAlpha()) {
    for (std::size_t i = 0; i < base.rgba.size(); i += 4) {
      const unsigned a = base.rgba[i + 3];
      for (int c = 0; c < 3; ++c) base.rgba[i + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>((base.rgba[i + static_cast<std::size_t>(c)] * a + 127) / 255);
    }
  }
  texture.levels.push_back(std::move(base));
  while (texture.levels.back().width > 1 || texture.levels.back().height > 1) {
    const MipLevel& prev = texture.levels.back();
    MipLevel next;
    next.width = std::max(1, prev.width / 2);
    next.height = std::max(1, prev.height / 2);
    next.rgba.resize(static_cast<std::size_t>(next.width) * static_cast<std::size_t>(next.height) * 4);
    for (int y = 0; y < next.height; ++y) {
      for (int x = 0; x < next.width; ++x) {
        const int x0 = std::min(2 * x, prev.width - 1);
        const int x1 = std::min(2 * x + 1, prev.width - 1);
        const int y0 = std::min(2 * y, prev.height - 1);
        const int y1 = std::min(2 * y + 1, prev.height - 1);
        for (int c = 0; c < 4; ++c) {
          const auto at = [&](int px, int py) {
            return static_cast<unsigned>(prev.rgba[(static_cast<std::size_t>(py) * static_cast<std::size_t>(prev.width) + static_cast<std::size_t>(px)) * 4 + static_cast<std::size_t>(c)]);
          };
          next.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(next.width) + static_cast<std::size_t>(x)) * 4 + static_cast<std::size_t>(c)] =
              static_cast<std::uint8_t>((at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1) + 2) / 4);
        }
      }
    }
    texture.levels.push_back(std::move(next));
  }
}

CubismImage CubismSoftwareRenderer::compositeOver(float r, float g, float b) const {
  CubismImage out;
  out.width = m_width;
  out.height = m_height;
  out.rgba.resize(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height) * 4);
  const auto toByte = [](float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  for (std::size_t i = 0; i < m_pixels.size(); i += 4) {
    const float keep = 1.0f - std::clamp(m_pixels[i + 3], 0.0f, 1.0f);
    out.rgba[i] = toByte(m_pixels[i] + r * keep);
    out.rgba[i + 1] = toByte(m_pixels[i + 1] + g * keep);
    out.rgba[i + 2] = toByte(m_pixels[i + 2] + b * keep);
    out.rgba[i + 3] = 255;
  }
  return out;
}

void CubismSoftwareRenderer::toScreen(std::span<const float> positions) {
  const CubismMatrix44& mvp = getMvpMatrix();
  const float* m = mvp.getArray();
  m_screen.resize(positions.size() / 2);
  for (std::size_t k = 0; k < m_screen.size(); ++k) {
    const float x = positions[2 * k];
    const float y = positions[2 * k + 1];
    const float cx = x * m[0] + y * m[4] + m[12];
    const float cy = x * m[1] + y * m[5] + m[13];
    m_screen[k] = {(cx + 1.0f) * 0.5f * static_cast<float>(m_width), (1.0f - cy) * 0.5f * static_cast<float>(m_height)};
  }
}

template <class Shade>
void CubismSoftwareRenderer::rasterize(const CubismDrawItem& item, const Texture* texture, Shade&& shade) {
  toScreen(item.positions);
  const std::size_t vertexCount = m_screen.size();
  for (std::size_t t = 0; t + 2 < item.indices.size(); t += 3) {
    const std::uint16_t i0 = item.indices[t];
    std::uint16_t i1 = item.indices[t + 1];
    std::uint16_t i2 = item.indices[t + 2];
    if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount) continue;
    const ScreenVertex a = m_screen[i0];
    ScreenVertex b = m_screen[i1];
    ScreenVertex c = m_screen[i2];
    // Screen y points down, so a counter-clockwise triangle of y-up clip space has negative area here.
    float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (!(std::fabs(area) > 1e-12f)) continue;
    if (item.culling && area > 0.0f) continue;
    if (area < 0.0f) {
      std::swap(b, c);
      std::swap(i1, i2);
      area = -area;
    }
    const float minX = std::max(0.0f, std::floor(std::min({a.x, b.x, c.x})));
    const float maxX = std::min(static_cast<float>(m_width - 1), std::ceil(std::max({a.x, b.x, c.x})));
    const float minY = std::max(0.0f, std::floor(std::min({a.y, b.y, c.y})));
    const float maxY = std::min(static_cast<float>(m_height - 1), std::ceil(std::max({a.y, b.y, c.y})));
    if (!(minX <= maxX) || !(minY <= maxY)) continue;

    const float u0 = item.uvs[2 * i0];
    const float v0 = item.uvs[2 * i0 + 1];
    const float u1 = item.uvs[2 * i1];
    const float v1 = item.uvs[2 * i1 + 1];
    const float u2 = item.uvs[2 * i2];
    const float v2 = item.uvs[2 * i2 + 1];
    const MipLevel* level = nullptr;
    if (texture && !texture->levels.empty()) {
      // One mip level per triangle, from its texel-to-pixel area ratio.
      const MipLevel& base = texture->levels.front();
      const float uvArea = std::fabs((u1 - u0) * (v2 - v0) - (v1 - v0) * (u2 - u0)) *
                           static_cast<float>(base.width) * static_cast<float>(base.height);
      const float ratio = uvArea / std::fabs(area);
      int lod = ratio > 1.0f ? static_cast<int>(std::lround(0.5f * std::log2(ratio))) : 0;
      lod = std::clamp(lod, 0, static_cast<int>(texture->levels.size()) - 1);
      level = &texture->levels[static_cast<std::size_t>(lod)];
    }
    const float inverseArea = 1.0f / area;
    // A pixel centre exactly on an edge belongs to one of the two triangles sharing it: the one that
    // walks the edge downward (or leftward when flat), so shared edges are not blended twice.
    const auto owns = [](const ScreenVertex& p, const ScreenVertex& q) {
      return q.y > p.y || (q.y == p.y && q.x < p.x);
    };
    const bool ownsBC = owns(b, c);
    const bool ownsCA = owns(c, a);
    const bool ownsAB = owns(a, b);
    const auto edge = [](const ScreenVertex& p, const ScreenVertex& q, float x, float y) {
      return (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x);
    };
    for (int py = static_cast<int>(minY); py <= static_cast<int>(maxY); ++py) {
      const float sy = static_cast<float>(py) + 0.5f;
      for (int px = static_cast<int>(minX); px <= static_cast<int>(maxX); ++px) {
        const float sx = static_cast<float>(px) + 0.5f;
        const float e0 = edge(b, c, sx, sy);
        const float e1 = edge(c, a, sx, sy);
        const float e2 = edge(a, b, sx, sy);
        if (e0 < 0.0f || e1 < 0.0f || e2 < 0.0f) continue;
        if ((e0 == 0.0f && !ownsBC) || (e1 == 0.0f && !ownsCA) || (e2 == 0.0f && !ownsAB)) continue;
        const float w0 = e0 * inverseArea;
        const float w1 = e1 * inverseArea;
        const float w2 = 1.0f - w0 - w1;
        Texel texel;
        if (level) {
          texel = sample(level->rgba, level->width, level->height, w0 * u0 + w1 * u1 + w2 * u2,
                         w0 * v0 + w1 * v1 + w2 * v2);
        } else {
          texel = {1.0f, 1.0f, 1.0f, 1.0f};
        }
        shade(static_cast<std::size_t>(py) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(px), texel);
      }
    }
  }
}

const std::vector<float>& CubismSoftwareRenderer::maskCoverage(const CubismDrawList& list, int context) {
  const auto c = static_cast<std::size_t>(context);
  std::vector<float>& coverage = m_coverage[c];
  if (m_coverageReady[c]) return coverage;
  coverage.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0.0f);
  const CubismModel* model = getModel();
  for (int maskIndex : list.clipContexts()[c].maskDrawables) {
    // Masks clip with their shape and texture alpha wherever they are, whatever their own opacity.
    CubismDrawItem mask;
    mask.drawableIndex = maskIndex;
    mask.textureIndex = model->getDrawableTextureIndex(maskIndex);
    mask.positions = model->getDrawableVertexPositions(maskIndex);
    mask.uvs = model->getDrawableVertexUvs(maskIndex);
    mask.indices = model->getDrawableVertexIndices(maskIndex);
    const Texture* texture = static_cast<std::size_t>(mask.textureIndex) < m_textures.size()
                                 ? &m_textures[static_cast<std::size_t>(mask.textureIndex)]
                                 : nullptr;
    rasterize(mask, texture, [&](std::size_t pixel, const Texel& texel) {
      coverage[pixel] = std::max(coverage[pixel], texel.a);
    });
  }
  m_coverageReady[c] = 1;
  return coverage;
}

void CubismSoftwareRenderer::doDrawModel(const CubismDrawList& list) {
  if (m_width <= 0 || m_height <= 0) return;
  m_coverage.resize(list.clipContexts().size());
  m_coverageReady.assign(list.clipContexts().size(), 0);
  for (const CubismDrawItem& item : list.items()) {
    const Texture* texture = static_cast<std::size_t>(item.textureIndex) < m_textures.size() &&
                                     !m_textures[static_cast<std::size_t>(item.textureIndex)].levels.empty()
                                 ? &m_textures[static_cast<std::size_t>(item.textureIndex)]
                                 : nullptr;
    const std::vector<float>* coverage = item.clipContext >= 0 ? &maskCoverage(list, item.clipContext) : nullptr;
    const CubismTextureColor mul = item.multiplyColor;
    const CubismTextureColor scr = item.screenColor;
    const CubismTextureColor base = item.baseColor;
    const bool inverted = item.invertedMask;
    const CubismBlendMode mode = item.blendMode;
    rasterize(item, texture, [&](std::size_t pixel, const Texel& texel) {
      float r = texel.r * mul.r;
      float g = texel.g * mul.g;
      float b = texel.b * mul.b;
      r = r + scr.r * texel.a - r * scr.r;
      g = g + scr.g * texel.a - g * scr.g;
      b = b + scr.b * texel.a - b * scr.b;
      float factor = 1.0f;
      if (coverage) factor = inverted ? 1.0f - (*coverage)[pixel] : (*coverage)[pixel];
      const float sr = r * base.r * factor;
      const float sg = g * base.g * factor;
      const float sb = b * base.b * factor;
      const float sa = texel.a * base.a * factor;
      float* d = m_pixels.data() + pixel * 4;
      switch (mode) {
        case CubismBlendMode::Normal:
          d[0] = sr + d[0] * (1.0f - sa);
          d[1] = sg + d[1] * (1.0f - sa);
          d[2] = sb + d[2] * (1.0f - sa);
          d[3] = sa + d[3] * (1.0f - sa);
          break;
        case CubismBlendMode::Additive:
          d[0] += sr;
          d[1] += sg;
          d[2] += sb;
          break;
        case CubismBlendMode::Multiplicative:
          d[0] = sr * d[0] + d[0] * (1.0f - sa);
          d[1] = sg * d[1] + d[1] * (1.0f - sa);
          d[2] = sb * d[2] + d[2] * (1.0f - sa);
          break;
      }
    });
  }
}

}  // namespace live2d::cubism
