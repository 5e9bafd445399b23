#include "bitmap/core/PixelOps.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bitmap/core/PixelKernels.h"

namespace bitmap {
namespace {

bool overlaps(ConstPixelView a, ConstPixelView b) {
  if (a.empty() || b.empty()) return false;
  const Pixel* aEnd = a.row(a.height - 1) + a.width;
  const Pixel* bEnd = b.row(b.height - 1) + b.width;
  return a.data < bEnd && b.data < aEnd;
}

// Columns [first, last) of the destination: the first one drawn and the bound, after the left-edge rule.
struct Span {
  long long first = 0;
  long long last = 0;
  long long sourceStart = 0;
};

Span span(long long start, long long end, long long sourceStart, long long sourceLength, long long length,
          int limit) {
  Span result;
  result.sourceStart = sourceStart;
  result.first = start;
  if (start < 0) {
    result.sourceStart -= sourceLength * start / length;
    result.first = 0;
  }
  result.last = std::min<long long>(end, limit);
  return result;
}

Corners corners(const PixelRect& rect) {
  return {rect.x, rect.y, 0LL + rect.x + rect.width, 0LL + rect.y + rect.height};
}

// The destination columns whose source column lies inside the source, and those source columns. The source
// column grows (or, for a negative source width, shrinks) steadily with the destination column, so the columns
// that read the source form one run.
struct ColumnRun {
  long long first = 0;  // counted from the first drawn column
  long long count = 0;
  long long sourceStart = 0;       // source column of `first` when unscaled
  std::vector<int> sourceColumns;  // one per column of the run when scaled
};

ColumnRun columnRun(const Span& columns, long long sw, long long dw, int sourceWidth) {
  ColumnRun run;
  const long long count = columns.last - columns.first;
  if (sw == dw) {
    run.first = std::clamp(-columns.sourceStart, 0LL, count);
    run.count = std::clamp(sourceWidth - columns.sourceStart, run.first, count) - run.first;
    run.sourceStart = columns.sourceStart + run.first;
    return run;
  }
  // j · sw ÷ dw stepped by its whole and remainder parts instead of a division per column; truncation toward
  // zero makes a negative width the mirror of a positive one.
  const long long magnitude = sw < 0 ? -sw : sw;
  const long long whole = magnitude / dw;
  const long long rest = magnitude % dw;
  long long offset = 0, remainder = 0;
  for (long long j = 0; j < count; ++j) {
    const long long sourceX = columns.sourceStart + (sw < 0 ? -offset : offset);
    if (sourceX >= 0 && sourceX < sourceWidth) {
      if (run.sourceColumns.empty()) run.first = j;
      run.sourceColumns.push_back(static_cast<int>(sourceX));
    } else if (!run.sourceColumns.empty()) {
      break;
    }
    offset += whole;
    remainder += rest;
    if (remainder >= dw) remainder -= dw, ++offset;
  }
  run.count = static_cast<long long>(run.sourceColumns.size());
  return run;
}

}  // namespace

void blit(PixelView destination, Corners to, ConstPixelView source, Corners from, int opacity) {
  opacity = std::clamp(opacity, 0, 255);
  const long long dw = to.x2 - to.x1;
  const long long dh = to.y2 - to.y1;
  // An empty (or inverted) destination draws nothing, and the edge rule below would divide by its size.
  if (dw <= 0 || dh <= 0 || opacity == 0 || destination.empty() || source.empty()) return;
  const long long sw = from.x2 - from.x1;
  const long long sh = from.y2 - from.y1;

  std::optional<PixelBuffer> copy;
  if (overlaps(destination, source)) {
    // Reading pixels this same operation already wrote would smear them; draw from a snapshot.
    copy = copyPixels(source);
    if (!copy) return;
    source = copy->view();
  }

  const Span columns = span(to.x1, to.x2, from.x1, sw, dw, destination.width);
  const Span rows = span(to.y1, to.y2, from.y1, sh, dh, destination.height);
  if (columns.first >= columns.last) return;
  const ColumnRun run = columnRun(columns, sw, dw, source.width);
  if (run.count == 0) return;
  const auto count = static_cast<int>(run.count);
  const PixelKernels& kernels = pixelKernels();
  std::vector<Pixel> gathered(run.sourceColumns.size());
  long long gatheredRow = -1;
  for (long long y = rows.first; y < rows.last; ++y) {
    const long long sourceY = rows.sourceStart + (y - rows.first) * sh / dh;
    if (sourceY < 0 || sourceY >= source.height) continue;
    const Pixel* in = source.row(static_cast<int>(sourceY));
    Pixel* out = destination.row(static_cast<int>(y)) + columns.first + run.first;
    if (run.sourceColumns.empty()) {
      kernels.compositeRow(out, in + run.sourceStart, count, opacity);
      continue;
    }
    if (sourceY != gatheredRow) {
      kernels.gatherRow(gathered.data(), in, source.width, run.sourceColumns.data(), count);
      gatheredRow = sourceY;
    }
    kernels.compositeRow(out, gathered.data(), count, opacity);
  }
}

void blt(PixelView destination, int x, int y, ConstPixelView source, const PixelRect& sourceRect, int opacity) {
  blit(destination, {x, y, 0LL + x + sourceRect.width, 0LL + y + sourceRect.height}, source, corners(sourceRect),
       opacity);
}

void stretchBlt(PixelView destination, const PixelRect& destinationRect, ConstPixelView source,
                const PixelRect& sourceRect, int opacity) {
  blit(destination, corners(destinationRect), source, corners(sourceRect), opacity);
}

void tiledBlt(PixelView destination, const PixelRect& to, ConstPixelView source, const PixelRect& sourceRect) {
  const PixelRect area = clip(to, destination.width, destination.height);
  if (area.empty() || sourceRect.width <= 0 || sourceRect.height <= 0 || source.empty()) return;
  std::optional<PixelBuffer> copy;
  if (overlaps(destination, source)) {
    copy = copyPixels(source);
    if (!copy) return;
    source = copy->view();
  }
  const PixelKernels& kernels = pixelKernels();
  for (int k = 0; k < area.height; ++k) {
    const long long sourceY = 0LL + sourceRect.y + k % sourceRect.height;
    if (sourceY < 0 || sourceY >= source.height) continue;
    const Pixel* in = source.row(static_cast<int>(sourceY));
    Pixel* out = destination.row(area.y + k) + area.x;
    // Each repetition of the source row, cut to the columns that lie inside the source.
    const long long first = std::max(0LL, -static_cast<long long>(sourceRect.x));
    for (long long j = 0; j < area.width; j += sourceRect.width) {
      const long long last = std::min<long long>({sourceRect.width, area.width - j, 0LL + source.width - sourceRect.x});
      if (first < last) {
        kernels.compositeRow(out + j + first, in + sourceRect.x + first, static_cast<int>(last - first), 255);
      }
    }
  }
}

namespace {

// The extent a fill counts from its corner: the given size, no less than 0 and no further than the far edge.
long long fillExtent(int origin, int size, int limit) {
  return std::min<long long>(std::max(size, 0), static_cast<long long>(limit) - origin);
}

}  // namespace

void fillRect(PixelView destination, const PixelRect& rect, Pixel colour) {
  const long long w = fillExtent(rect.x, rect.width, destination.width);
  const long long h = fillExtent(rect.y, rect.height, destination.height);
  const PixelRect area =
      clip({rect.x, rect.y, static_cast<int>(std::max(w, 0LL)), static_cast<int>(std::max(h, 0LL))},
           destination.width, destination.height);
  for (int y = area.y; y < area.y + area.height; ++y) {
    std::fill_n(destination.row(y) + area.x, area.width, colour);
  }
}

void clearRect(PixelView destination, const PixelRect& rect) { fillRect(destination, rect, 0); }

void clear(PixelView destination) { fillRect(destination, {0, 0, destination.width, destination.height}, 0); }

void gradientFillRect(PixelView destination, const PixelRect& rect, Pixel first, Pixel last, bool vertical) {
  const long long w = fillExtent(rect.x, rect.width, destination.width);
  const long long h = fillExtent(rect.y, rect.height, destination.height);
  if (w <= 0 || h <= 0) return;
  const long long steps = vertical ? h : w;
  const auto step = [&](long long i) {
    const auto channel = [&](int shift) {
      const long long a = (first >> shift) & 0xFF;
      const long long b = (last >> shift) & 0xFF;
      return static_cast<Pixel>((i * b + (steps - i) * a) / steps) << shift;
    };
    return channel(24) | channel(16) | channel(8) | channel(0);
  };
  const PixelRect area =
      clip({rect.x, rect.y, static_cast<int>(w), static_cast<int>(h)}, destination.width, destination.height);
  if (area.empty()) return;
  if (vertical) {
    for (int y = area.y; y < area.y + area.height; ++y) {
      std::fill_n(destination.row(y) + area.x, area.width, step(y - static_cast<long long>(rect.y)));
    }
    return;
  }
  // Every row is the same: work one out, copy it to the others.
  Pixel* firstRow = destination.row(area.y) + area.x;
  for (int x = 0; x < area.width; ++x) firstRow[x] = step(area.x + x - static_cast<long long>(rect.x));
  for (int y = area.y + 1; y < area.y + area.height; ++y) {
    std::copy_n(firstRow, area.width, destination.row(y) + area.x);
  }
}

Pixel getPixel(ConstPixelView source, int x, int y) {
  if (source.empty()) return 0;
  return source.at(std::clamp(x, 0, source.width - 1), std::clamp(y, 0, source.height - 1));
}

void setPixel(PixelView destination, int x, int y, Pixel colour) {
  if (destination.empty()) return;
  destination.at(std::clamp(x, 0, destination.width - 1), std::clamp(y, 0, destination.height - 1)) = colour;
}

}  // namespace bitmap
