#pragma once

// Bitmap pixels as the processor edits them: 32-bit ARGB words, straight (not premultiplied) alpha, stored blue,
// green, red, alpha in memory; rows `stride` pixels apart. A view borrows pixels owned elsewhere (a texture's
// processor-side copy or a PixelBuffer).

#include <cstdint>
#include <optional>
#include <type_traits>
#include <vector>

namespace bitmap {

using Pixel = std::uint32_t;  // 0xAARRGGBB

constexpr int alphaOf(Pixel p) { return static_cast<int>(p >> 24); }
constexpr int redOf(Pixel p) { return static_cast<int>((p >> 16) & 0xFF); }
constexpr int greenOf(Pixel p) { return static_cast<int>((p >> 8) & 0xFF); }
constexpr int blueOf(Pixel p) { return static_cast<int>(p & 0xFF); }
constexpr Pixel makePixel(int alpha, int red, int green, int blue) {
  return static_cast<Pixel>(alpha) << 24 | static_cast<Pixel>(red) << 16 | static_cast<Pixel>(green) << 8 |
         static_cast<Pixel>(blue);
}

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

template <typename T>
struct BasicPixelView {
  T* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next

  BasicPixelView() = default;
  BasicPixelView(T* pixels, int w, int h, int rowStride) : data(pixels), width(w), height(h), stride(rowStride) {}
  template <typename U>
    requires(std::is_const_v<T> && std::is_same_v<std::remove_const_t<T>, U>)
  BasicPixelView(const BasicPixelView<U>& other)  // NOLINT: a mutable view reads as a constant one
      : data(other.data), width(other.width), height(other.height), stride(other.stride) {}

  T* row(int y) const { return data + static_cast<std::ptrdiff_t>(y) * stride; }
  T& at(int x, int y) const { return row(y)[x]; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  bool empty() const { return width <= 0 || height <= 0 || !data; }
};

using PixelView = BasicPixelView<Pixel>;
using ConstPixelView = BasicPixelView<const Pixel>;

// Owned pixels without row padding, all transparent black when made.
class PixelBuffer {
 public:
  // The largest bitmap we allocate: 16384 × 16384, the texture size limit of the GPUs we draw with.
  static constexpr long long kMaxPixels = 16384LL * 16384LL;

  // Null for a size of 0 or less, above kMaxPixels or one that cannot be allocated.
  static std::optional<PixelBuffer> create(int width, int height);

  int width() const { return m_width; }
  int height() const { return m_height; }
  PixelView view() { return {m_pixels.data(), m_width, m_height, m_width}; }
  ConstPixelView view() const { return {m_pixels.data(), m_width, m_height, m_width}; }
  Pixel* data() { return m_pixels.data(); }
  const Pixel* data() const { return m_pixels.data(); }

 private:
  PixelBuffer(int width, int height) : m_width(width), m_height(height) {}
  int m_width = 0;
  int m_height = 0;
  std::vector<Pixel> m_pixels;
};

// A copy of any view, rows packed; null when it cannot be allocated.
std::optional<PixelBuffer> copyPixels(ConstPixelView source);

// The region a bitmap locks for an operation on (x, y, w, h): the corner clamped into the bitmap, the far edge
// at least one pixel beyond it and no further than the bitmap. Never empty for a bitmap of at least 1 × 1.
PixelRect lockRegion(const PixelRect& rect, int width, int height);

// The smallest rectangle holding both; an empty rectangle adds nothing.
PixelRect unite(const PixelRect& a, const PixelRect& b);
// The part of `rect` inside a width × height bitmap (possibly empty).
PixelRect clip(const PixelRect& rect, int width, int height);

}  // namespace bitmap
