#include "bitmap/core/PixelBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace bitmap {

std::optional<PixelBuffer> PixelBuffer::create(int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) return std::nullopt;
  PixelBuffer buffer(width, height);
  try {
    buffer.m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return buffer;
}

std::optional<PixelBuffer> copyPixels(ConstPixelView source) {
  auto copy = PixelBuffer::create(source.width, source.height);
  if (!copy) return std::nullopt;
  // Row by row: the source may be a locked texture whose rows are further apart than its width.
  for (int y = 0; y < source.height; ++y) {
    std::memcpy(copy->view().row(y), source.row(y), static_cast<std::size_t>(source.width) * sizeof(Pixel));
  }
  return copy;
}

PixelRect lockRegion(const PixelRect& rect, int width, int height) {
  const int left = std::clamp(rect.x, 0, std::max(width - 1, 0));
  const int top = std::clamp(rect.y, 0, std::max(height - 1, 0));
  const long long farX = static_cast<long long>(rect.x) + rect.width;
  const long long farY = static_cast<long long>(rect.y) + rect.height;
  const int right = static_cast<int>(std::min<long long>(std::max<long long>(left + 1, farX), width));
  const int bottom = static_cast<int>(std::min<long long>(std::max<long long>(top + 1, farY), height));
  return {left, top, right - left, bottom - top};
}

PixelRect unite(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

PixelRect clip(const PixelRect& rect, int width, int height) {
  const long long left = std::max<long long>(rect.x, 0);
  const long long top = std::max<long long>(rect.y, 0);
  const long long right = std::min<long long>(static_cast<long long>(rect.x) + rect.width, width);
  const long long bottom = std::min<long long>(static_cast<long long>(rect.y) + rect.height, height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

}  // namespace bitmap
