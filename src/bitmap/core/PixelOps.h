#pragma once

// The pixel operations of bitmaps, each over views and free of side effects beyond the destination pixels.
// Integer arithmetic with divisions truncating toward zero throughout: games were tuned against exactly these
// results. Every write is clipped to the destination; nothing reads outside a view.

#include "bitmap/core/Division.h"
#include "bitmap/core/PixelBuffer.h"

namespace bitmap {

// Source-over composition of colour `source` with source alpha `sourceAlpha` (0..255) onto `destination`,
// straight alpha; a result of alpha 0 leaves the destination as it was.
inline Pixel composite(Pixel destination, Pixel source, int sourceAlpha) {
  const int destinationAlpha = (255 - sourceAlpha) * alphaOf(destination) / 255;
  const int alpha = sourceAlpha + destinationAlpha;
  if (alpha == 0) return destination;
  const auto mix = [&](int s, int d) {
    return static_cast<int>(divideSmall(static_cast<std::uint32_t>(sourceAlpha * s + destinationAlpha * d), alpha));
  };
  return makePixel(alpha, mix(redOf(source), redOf(destination)), mix(greenOf(source), greenOf(destination)),
                   mix(blueOf(source), blueOf(destination)));
}

// A rectangle by its corners: (x1, y1) inside, (x2, y2) just beyond.
struct Corners {
  long long x1 = 0;  // wide enough that corners made from any int rectangle do not overflow
  long long y1 = 0;
  long long x2 = 0;
  long long y2 = 0;
};

// Composites source area `from` onto destination area `to`, scaling by nearest neighbour, at `opacity` (clamped
// 0..255). A destination origin left of or above the bitmap moves the source start by the scaled amount; source
// positions outside the source are skipped. Source and destination may be the same pixels.
void blit(PixelView destination, Corners to, ConstPixelView source, Corners from, int opacity);
// `Bitmap#blt`: unscaled, the source rectangle drawn with its top-left corner at (x, y).
void blt(PixelView destination, int x, int y, ConstPixelView source, const PixelRect& sourceRect, int opacity = 255);
void stretchBlt(PixelView destination, const PixelRect& destinationRect, ConstPixelView source,
                const PixelRect& sourceRect, int opacity = 255);
// Fills `to` (clamped to the destination) with the source rectangle repeated from its corner, composited opaque.
void tiledBlt(PixelView destination, const PixelRect& to, ConstPixelView source, const PixelRect& sourceRect);

// Replaces the pixels of the rectangle with `colour`, no blending.
void fillRect(PixelView destination, const PixelRect& rect, Pixel colour);
void clearRect(PixelView destination, const PixelRect& rect);
void clear(PixelView destination);
// Per channel (alpha included) from `first` at the left (top) edge towards `last`. The steps count the whole
// rectangle, columns (rows) outside the bitmap included, so a clipped gradient keeps its colours.
void gradientFillRect(PixelView destination, const PixelRect& rect, Pixel first, Pixel last, bool vertical);

// Coordinates outside the bitmap address its nearest edge pixel.
Pixel getPixel(ConstPixelView source, int x, int y);
void setPixel(PixelView destination, int x, int y, Pixel colour);

}  // namespace bitmap
