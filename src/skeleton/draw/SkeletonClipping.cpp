#include "skeleton/draw/SkeletonClipping.h"

#include <algorithm>
#include <numeric>

#include "skeleton/runtime/ClippingAttachment.h"
#include "skeleton/runtime/Slot.h"

namespace skeleton {

namespace {

// Twice the signed area of (a, b, c): positive when they turn counter-clockwise (y up).
double turn(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

struct Box {
  float left, bottom, right, top;
};

Box boxOf(const float* points, std::size_t count) {
  Box box{points[0], points[1], points[0], points[1]};
  for (std::size_t i = 1; i < count; ++i) {
    box.left = std::min(box.left, points[i * 2]);
    box.right = std::max(box.right, points[i * 2]);
    box.bottom = std::min(box.bottom, points[i * 2 + 1]);
    box.top = std::max(box.top, points[i * 2 + 1]);
  }
  return box;
}

bool overlap(const Box& a, const Box& b) {
  return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

}  // namespace

std::vector<std::array<float, 6>> triangulatePolygon(const std::vector<float>& polygon) {
  std::vector<std::array<float, 6>> triangles;
  const std::size_t count = polygon.size() / 2;
  if (count < 3) return triangles;
  auto x = [&](std::size_t i) { return static_cast<double>(polygon[i * 2]); };
  auto y = [&](std::size_t i) { return static_cast<double>(polygon[i * 2 + 1]); };
  double area = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t next = (i + 1) % count;
    area += x(i) * y(next) - x(next) * y(i);
  }
  std::vector<std::size_t> ring(count);
  std::iota(ring.begin(), ring.end(), std::size_t{0});
  if (area < 0) std::reverse(ring.begin(), ring.end());

  auto emit = [&](std::size_t a, std::size_t b, std::size_t c) {
    triangles.push_back(
        {polygon[a * 2], polygon[a * 2 + 1], polygon[b * 2], polygon[b * 2 + 1], polygon[c * 2], polygon[c * 2 + 1]});
  };
  // Each round removes one corner, so the cut ends after count - 2 rounds whatever the polygon is.
  while (ring.size() > 3) {
    const std::size_t size = ring.size();
    std::size_t cut = size;
    std::size_t mostConvex = 0;
    double mostTurn = -1e300;
    for (std::size_t i = 0; i < size && cut == size; ++i) {
      const std::size_t a = ring[(i + size - 1) % size], b = ring[i], c = ring[(i + 1) % size];
      const double corner = turn(x(a), y(a), x(b), y(b), x(c), y(c));
      if (corner > mostTurn) {
        mostTurn = corner;
        mostConvex = i;
      }
      if (corner == 0) {
        cut = i;  // a straight or doubled corner adds no area
        break;
      }
      if (corner < 0) continue;
      // An ear holds no other corner, not even on its edges: a reflex corner there means the ear leaves the polygon.
      bool empty = true;
      for (std::size_t j = 0; j < size && empty; ++j) {
        const std::size_t p = ring[j];
        if (p == a || p == b || p == c) continue;
        const bool corner = (x(p) == x(a) && y(p) == y(a)) || (x(p) == x(b) && y(p) == y(b)) ||
                            (x(p) == x(c) && y(p) == y(c));
        empty = corner || !(turn(x(a), y(a), x(b), y(b), x(p), y(p)) >= 0 &&
                            turn(x(b), y(b), x(c), y(c), x(p), y(p)) >= 0 &&
                            turn(x(c), y(c), x(a), y(a), x(p), y(p)) >= 0);
      }
      if (empty) cut = i;
    }
    // A self-intersecting polygon may have no ear left: its most convex corner goes instead.
    if (cut == size) cut = mostConvex;
    const std::size_t a = ring[(cut + size - 1) % size], b = ring[cut], c = ring[(cut + 1) % size];
    if (turn(x(a), y(a), x(b), y(b), x(c), y(c)) > 0) emit(a, b, c);
    ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(cut));
  }
  if (turn(x(ring[0]), y(ring[0]), x(ring[1]), y(ring[1]), x(ring[2]), y(ring[2])) > 0) emit(ring[0], ring[1], ring[2]);
  return triangles;
}

std::vector<float> clipToTriangle(const std::vector<float>& subject, const std::array<float, 6>& clip) {
  std::vector<float> output = subject;
  std::vector<float> input;
  for (std::size_t edge = 0; edge < 3 && output.size() >= 6; ++edge) {
    const double ax = clip[edge * 2], ay = clip[edge * 2 + 1];
    const double bx = clip[(edge * 2 + 2) % 6], by = clip[(edge * 2 + 3) % 6];
    input.swap(output);
    output.clear();
    const std::size_t count = input.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t previous = (i + count - 1) % count;
      const double px = input[previous * 2], py = input[previous * 2 + 1];
      const double cx = input[i * 2], cy = input[i * 2 + 1];
      const double previousSide = turn(ax, ay, bx, by, px, py);
      const double currentSide = turn(ax, ay, bx, by, cx, cy);
      auto crossing = [&] {
        const double t = previousSide / (previousSide - currentSide);
        output.push_back(static_cast<float>(px + (cx - px) * t));
        output.push_back(static_cast<float>(py + (cy - py) * t));
      };
      if (currentSide >= 0) {
        if (previousSide < 0) crossing();
        output.push_back(static_cast<float>(cx));
        output.push_back(static_cast<float>(cy));
      } else if (previousSide >= 0) {
        crossing();
      }
    }
  }
  if (output.size() < 6) output.clear();
  return output;
}

bool SkeletonClipping::clipStart(const spine::Slot& slot, const spine::ClippingAttachment& clip) {
  if (m_active) return false;
  const auto length = static_cast<std::size_t>(std::max(clip.worldVerticesLength, 0));
  if (length < 6) return false;
  m_polygon.resize(length);
  clip.computeWorldVertices(slot, m_polygon.data());
  m_triangles = triangulatePolygon(m_polygon);
  m_endSlot = clip.endSlot;
  m_active = true;
  return true;
}

void SkeletonClipping::clipEnd(const spine::Slot& slot) {
  if (m_active && slot.data.index == m_endSlot) clipEnd();
}

void SkeletonClipping::clipEnd() {
  m_active = false;
  m_endSlot = -1;
  m_triangles.clear();
}

void SkeletonClipping::clipTriangles(const float* positions, const float* uvs, const std::uint16_t* indices,
                                     std::size_t indexCount, std::vector<float>& outPositions,
                                     std::vector<float>& outUvs, std::vector<std::uint32_t>& outIndices,
                                     std::uint32_t firstVertex) {
  std::uint32_t next = firstVertex;
  for (std::size_t t = 0; t + 2 < indexCount; t += 3) {
    const std::size_t i0 = indices[t], i1 = indices[t + 1], i2 = indices[t + 2];
    const double x0 = positions[i0 * 2], y0 = positions[i0 * 2 + 1];
    const double x1 = positions[i1 * 2], y1 = positions[i1 * 2 + 1];
    const double x2 = positions[i2 * 2], y2 = positions[i2 * 2 + 1];
    // Barycentric weights give each clipped corner the texture coordinate the triangle has there.
    const double denominator = (y1 - y2) * (x0 - x2) + (x2 - x1) * (y0 - y2);
    if (denominator == 0) continue;
    m_subject = {static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1),
                 static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2)};
    const Box subjectBox = boxOf(m_subject.data(), 3);
    for (const std::array<float, 6>& clip : m_triangles) {
      if (!overlap(subjectBox, boxOf(clip.data(), 3))) continue;
      const std::vector<float> part = clipToTriangle(m_subject, clip);
      const std::size_t corners = part.size() / 2;
      if (corners < 3) continue;
      for (std::size_t c = 0; c < corners; ++c) {
        const double px = part[c * 2], py = part[c * 2 + 1];
        const double w0 = ((y1 - y2) * (px - x2) + (x2 - x1) * (py - y2)) / denominator;
        const double w1 = ((y2 - y0) * (px - x2) + (x0 - x2) * (py - y2)) / denominator;
        const double w2 = 1 - w0 - w1;
        outPositions.push_back(static_cast<float>(px));
        outPositions.push_back(static_cast<float>(py));
        outUvs.push_back(static_cast<float>(w0 * uvs[i0 * 2] + w1 * uvs[i1 * 2] + w2 * uvs[i2 * 2]));
        outUvs.push_back(static_cast<float>(w0 * uvs[i0 * 2 + 1] + w1 * uvs[i1 * 2 + 1] + w2 * uvs[i2 * 2 + 1]));
      }
      for (std::size_t c = 1; c + 1 < corners; ++c) {
        outIndices.push_back(next);
        outIndices.push_back(next + static_cast<std::uint32_t>(c));
        outIndices.push_back(next + static_cast<std::uint32_t>(c + 1));
      }
      next += static_cast<std::uint32_t>(corners);
    }
  }
}

}  // namespace skeleton
