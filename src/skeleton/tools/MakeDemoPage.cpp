// spine-demo-page OUT_DIR
// Draws the page image of the demo's skeleton and writes it with its atlas (Knight.png, Knight.atlas) into
// OUT_DIR: simple shapes, antialiased, packed in rows. The skeleton itself (Knight.json) is written by hand and
// refers to these regions by name, at their sizes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bitmap/core/ImageCodec.h"
#include "bitmap/core/PixelBuffer.h"

namespace {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

// A shape in the region's own pixels (y down): the signed distance of a point to its outline (negative inside),
// its fill and its outline colour.
struct Region {
  const char* name;
  int width;
  int height;
  std::function<float(float, float)> distance;
  Rgba fill;
  Rgba outline;
  float outlineWidth = 2.0f;
  // For a soft shape: alpha falls off with the distance from the centre instead of a hard edge.
  bool soft = false;
  std::function<Rgba(float, float, Rgba)> pattern;  // optional: recolours the fill at a point
  int x = 0, y = 0;                                 // place on the page, set by the packer
};

float circle(float x, float y, float cx, float cy, float radius) { return std::hypot(x - cx, y - cy) - radius; }

float roundedBox(float x, float y, float width, float height, float radius) {
  const float qx = std::abs(x - width / 2) - (width / 2 - radius);
  const float qy = std::abs(y - height / 2) - (height / 2 - radius);
  return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - radius;
}

// Distance to the triangle (ax, ay), (bx, by), (cx, cy), negative inside.
float triangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy) {
  auto segment = [&](float px, float py, float qx, float qy) {
    const float ex = qx - px, ey = qy - py;
    const float t = std::clamp(((x - px) * ex + (y - py) * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
    return std::hypot(x - px - ex * t, y - py - ey * t);
  };
  const float d = std::min({segment(ax, ay, bx, by), segment(bx, by, cx, cy), segment(cx, cy, ax, ay)});
  auto side = [&](float px, float py, float qx, float qy) { return (qx - px) * (y - py) - (qy - py) * (x - px); };
  const float s1 = side(ax, ay, bx, by), s2 = side(bx, by, cx, cy), s3 = side(cx, cy, ax, ay);
  const bool inside = (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
  return inside ? -d : d;
}

Rgba over(Rgba top, Rgba below) {
  const float a = top.a + below.a * (1 - top.a);
  if (a <= 0) return {};
  auto mix = [&](float t, float b) { return (t * top.a + b * below.a * (1 - top.a)) / a; };
  return {mix(top.r, below.r), mix(top.g, below.g), mix(top.b, below.b), a};
}

std::vector<Region> regions() {
  const Rgba outline{0.22f, 0.22f, 0.3f, 1};
  std::vector<Region> list;
  list.push_back({"body",
                  64,
                  84,
                  [](float x, float y) { return roundedBox(x, y, 64, 84, 18); },
                  {0.86f, 0.87f, 0.92f, 1},
                  outline});
  list.push_back(
      {"head", 56, 56, [](float x, float y) { return circle(x, y, 28, 28, 27); }, {0.98f, 0.86f, 0.74f, 1}, outline});
  list.push_back({"eye",
                  10,
                  10,
                  [](float x, float y) { return circle(x, y, 5, 5, 4.5f); },
                  {0.15f, 0.15f, 0.25f, 1},
                  {0.15f, 0.15f, 0.25f, 1},
                  0});
  list.push_back(
      {"arm", 18, 52, [](float x, float y) { return roundedBox(x, y, 18, 52, 9); }, {0.8f, 0.8f, 0.86f, 1}, outline});
  list.push_back(
      {"leg", 20, 56, [](float x, float y) { return roundedBox(x, y, 20, 56, 8); }, {0.45f, 0.47f, 0.6f, 1}, outline});
  // A wizard's hat: a cone with a brim, speckled with stars.
  list.push_back({"hat",
                  64,
                  60,
                  [](float x, float y) {
                    return std::min(triangle(x, y, 32, 2, 8, 50, 56, 50), roundedBox(x - 0, y - 44, 64, 14, 7));
                  },
                  {0.45f, 0.28f, 0.8f, 1},
                  outline,
                  2.0f,
                  false,
                  [](float x, float y, Rgba fill) {
                    const bool star =
                        circle(x, y, 30, 22, 3) < 0 || circle(x, y, 38, 36, 2.5f) < 0 || circle(x, y, 24, 38, 2) < 0;
                    return star ? Rgba{1, 0.9f, 0.3f, 1} : fill;
                  }});
  // A crown: a band with three points.
  list.push_back({"crown",
                  56,
                  36,
                  [](float x, float y) {
                    return std::min({roundedBox(x, y - 22, 56, 14, 3), triangle(x, y, 2, 24, 14, 24, 6, 2),
                                     triangle(x, y, 21, 24, 35, 24, 28, 0), triangle(x, y, 42, 24, 54, 24, 50, 2)});
                  },
                  {0.98f, 0.78f, 0.2f, 1},
                  {0.55f, 0.38f, 0.05f, 1}});
  // A shield with a white cross.
  list.push_back({"shield",
                  48,
                  56,
                  [](float x, float y) { return roundedBox(x, y, 48, 56, 16); },
                  {0.78f, 0.2f, 0.22f, 1},
                  outline,
                  2.0f,
                  false,
                  [](float x, float y, Rgba fill) {
                    const bool cross = std::abs(x - 24) < 4 || std::abs(y - 24) < 4;
                    return cross ? Rgba{0.97f, 0.97f, 0.97f, 1} : fill;
                  }});
  // Night sky behind the badge: larger than the badge's clipping polygon, which shows only its middle.
  list.push_back({"stars",
                  72,
                  72,
                  [](float x, float y) { return roundedBox(x, y, 72, 72, 2); },
                  {0.08f, 0.1f, 0.3f, 1},
                  {0.08f, 0.1f, 0.3f, 1},
                  0,
                  false,
                  [](float x, float y, Rgba fill) {
                    const int cell = static_cast<int>(x / 9) * 7 + static_cast<int>(y / 9) * 13;
                    const float cx = std::floor(x / 9) * 9 + 2 + static_cast<float>(cell % 5);
                    const float cy = std::floor(y / 9) * 9 + 2 + static_cast<float>(cell % 4);
                    if (circle(x, y, cx, cy, 1.3f) < 0) return Rgba{1, 1, 0.85f, 1};
                    return std::fmod(x + y, 24.0f) < 3 ? Rgba{0.3f, 0.35f, 0.7f, 1} : fill;
                  }});
  list.push_back(
      {"glow", 96, 96, [](float x, float y) { return circle(x, y, 48, 48, 47); }, {1, 1, 1, 1}, {1, 1, 1, 1}, 0, true});
  list.push_back({"sheen",
                  40,
                  40,
                  [](float x, float y) { return circle(x, y, 20, 20, 19); },
                  {0.8f, 0.8f, 0.85f, 1},
                  {0.8f, 0.8f, 0.85f, 1},
                  0,
                  true});
  list.push_back({"shadow",
                  84,
                  22,
                  [](float x, float y) { return std::hypot((x - 42) / 41, (y - 11) / 10) * 10 - 10; },
                  {0.35f, 0.3f, 0.4f, 1},
                  {0.35f, 0.3f, 0.4f, 1},
                  0,
                  true});
  return list;
}

// Rows of regions, two pixels apart so that linear filtering never reaches a neighbour.
int pack(std::vector<Region>& list, int pageWidth) {
  int x = 0, y = 0, rowHeight = 0;
  for (Region& region : list) {
    if (x + region.width > pageWidth) {
      x = 0;
      y += rowHeight + 2;
      rowHeight = 0;
    }
    region.x = x;
    region.y = y;
    x += region.width + 2;
    rowHeight = std::max(rowHeight, region.height);
  }
  return y + rowHeight;
}

bitmap::Pixel toPixel(Rgba c) {
  auto byte = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
  return bitmap::makePixel(byte(c.a), byte(c.r), byte(c.g), byte(c.b));
}

void paint(bitmap::PixelView page, const Region& region) {
  for (int py = 0; py < region.height; ++py) {
    for (int px = 0; px < region.width; ++px) {
      const float x = static_cast<float>(px) + 0.5f, y = static_cast<float>(py) + 0.5f;
      const float d = region.distance(x, y);
      Rgba colour;
      if (region.soft) {
        // Radial falloff: opaque nowhere, fading to nothing at the outline.
        const float reach =
            region.distance(static_cast<float>(region.width) / 2, static_cast<float>(region.height) / 2);
        const float t = std::clamp(d / reach, 0.0f, 1.0f);
        colour = region.fill;
        colour.a = t * t * 0.9f;
      } else {
        const float coverage = std::clamp(0.5f - d, 0.0f, 1.0f);
        if (coverage <= 0) continue;
        Rgba inner = region.pattern ? region.pattern(x, y, region.fill) : region.fill;
        const float ring = std::clamp(0.5f - (-d - region.outlineWidth), 0.0f, 1.0f);
        colour = region.outlineWidth > 0 ? over(Rgba{region.outline.r, region.outline.g, region.outline.b, ring}, inner)
                                         : inner;
        colour.a *= coverage;
      }
      page.at(region.x + px, region.y + py) = toPixel(colour);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: spine-demo-page OUT_DIR\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);

  constexpr int kPageWidth = 256;
  std::vector<Region> list = regions();
  const int used = pack(list, kPageWidth);
  int pageHeight = 64;
  while (pageHeight < used) pageHeight *= 2;
  std::optional<bitmap::PixelBuffer> page = bitmap::PixelBuffer::create(kPageWidth, pageHeight);
  if (!page) return 1;
  for (const Region& region : list) paint(page->view(), region);
  if (!bitmap::savePng(page->view(), (folder / "Knight.png").string())) {
    std::fprintf(stderr, "spine-demo-page: cannot write %s\n", (folder / "Knight.png").c_str());
    return 1;
  }

  std::ofstream atlas(folder / "Knight.atlas", std::ios::binary);
  atlas << "\nKnight.png\nsize: " << kPageWidth << "," << pageHeight
        << "\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n";
  for (const Region& region : list) {
    atlas << region.name << "\n  rotate: false\n  xy: " << region.x << ", " << region.y << "\n  size: " << region.width
          << ", " << region.height << "\n  orig: " << region.width << ", " << region.height
          << "\n  offset: 0, 0\n  index: -1\n";
  }
  if (!atlas) {
    std::fprintf(stderr, "spine-demo-page: cannot write %s\n", (folder / "Knight.atlas").c_str());
    return 1;
  }
  return 0;
}
