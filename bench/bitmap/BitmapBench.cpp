// Prints the throughput of the bitmap pixel operations and of text drawing on 640 × 480 bitmaps, beside the
// machine's plain memory-copy bandwidth for the same number of pixels (the floor). Times are the thread's processor
// time, best of five rounds, so that a busy shared machine stretches them less.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include "bitmap/core/Filters.h"
#include "bitmap/core/PixelKernels.h"
#include "bitmap/core/PixelOps.h"
#include "bitmap/core/TextLayout.h"
#include "platform/text/FontFace.h"
#include "platform/text/FontSystem.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kMegapixels = kWidth * kHeight / 1e6;

double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Work>
double bestSeconds(int repeats, Work&& work) {
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    const double start = threadSeconds();
    for (int i = 0; i < repeats; ++i) work();
    best = std::min(best, threadSeconds() - start);
  }
  return best / repeats;
}

double g_copySeconds = 0;  // the floor, measured first

void printPixels(const char* what, double seconds) {
  std::printf("%-44s %9.3f ms  %9.1f Mpx/s  %5.1f %% of memcpy\n", what, seconds * 1e3, kMegapixels / seconds,
              100.0 * g_copySeconds / seconds);
}

bitmap::PixelBuffer randomPixels(std::uint32_t seed, bool opaque) {
  auto buffer = bitmap::PixelBuffer::create(kWidth, kHeight);
  std::mt19937 random(seed);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      bitmap::Pixel p = random();
      if (opaque) p |= 0xFF000000;
      buffer->view().at(x, y) = p;
    }
  }
  return std::move(*buffer);
}

}  // namespace

int main() {
  using namespace bitmap;
  PixelBuffer destination = randomPixels(1, true);
  const PixelBuffer opaque = randomPixels(2, true);
  const PixelBuffer translucent = randomPixels(3, false);
  const PixelRect whole{0, 0, kWidth, kHeight};

  std::printf("bitmaps %d x %d (%.3f Mpx), pixel kernels: %s\n", kWidth, kHeight, kMegapixels, pixelKernels().name);
  const double copy = g_copySeconds = bestSeconds(50, [&] {
    std::memcpy(destination.data(), opaque.data(), static_cast<std::size_t>(kWidth) * kHeight * sizeof(Pixel));
  });
  std::printf("%-44s %9.3f ms  %9.1f Mpx/s  %8.0f MB/s\n", "floor: memcpy", copy * 1e3, kMegapixels / copy,
              kMegapixels * 4 / copy);

  printPixels("blt opaque source", bestSeconds(20, [&] { blt(destination.view(), 0, 0, opaque.view(), whole); }));
  printPixels("blt opaque source, opacity 128",
              bestSeconds(10, [&] { blt(destination.view(), 0, 0, opaque.view(), whole, 128); }));
  printPixels("blt translucent source",
              bestSeconds(10, [&] { blt(destination.view(), 0, 0, translucent.view(), whole); }));
  printPixels("stretch_blt 320x240 -> 640x480", bestSeconds(10, [&] {
                stretchBlt(destination.view(), whole, translucent.view(), {0, 0, 320, 240});
              }));
  printPixels("stretch_blt 640x480 -> 640x480 shifted", bestSeconds(10, [&] {
                stretchBlt(destination.view(), {-3, -2, kWidth, kHeight}, translucent.view(), whole, 200);
              }));
  printPixels("fill_rect", bestSeconds(50, [&] { fillRect(destination.view(), whole, 0xFF336699); }));
  printPixels("gradient_fill_rect horizontal",
              bestSeconds(20, [&] { gradientFillRect(destination.view(), whole, 0xFF000000, 0x80FFFFFF, false); }));
  printPixels("gradient_fill_rect vertical",
              bestSeconds(20, [&] { gradientFillRect(destination.view(), whole, 0xFF000000, 0x80FFFFFF, true); }));
  printPixels("blur", bestSeconds(5, [&] { (void)blur(destination.view()); }));
  PixelBuffer noisy = randomPixels(4, true);
  printPixels("hue_change (every pixel different)", bestSeconds(3, [&] { hueChange(noisy.view(), 37); }));
  PixelBuffer flat = randomPixels(5, true);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) flat.view().at(x, y) = 0xFF000000 | (flat.view().at(x, y) & 0x3F) * 0x040404;
  }
  printPixels("hue_change (64 colours)", bestSeconds(3, [&] { hueChange(flat.view(), 37); }));
  printPixels("radial_blur 30 degrees, 10 divisions", bestSeconds(1, [&] { radialBlur(noisy.view(), 30, 10); }));

  auto face = text::FontFace::open({"黑体", 24, false, false});
  if (!face) {
    std::printf("draw_text: no font face available\n");
    return 0;
  }
  FaceGlyphs glyphs(*face);
  const std::string line = "The quick brown fox jumps 敏捷的棕色狐狸跳过";
  const int characters = 26 + 9;
  TextStyle style;
  for (const bool outline : {false, true}) {
    style.outline = outline;
    const double seconds = bestSeconds(20, [&] {
      drawText(destination.view(), glyphs, style, {4, 4, 632, 32}, line, 0);
    });
    std::printf("%-44s %9.3f ms  %9.0f chars/s\n", outline ? "draw_text 24 px, outline" : "draw_text 24 px",
                seconds * 1e3, characters / seconds);
  }
  face.reset();
  text::shutdownFontSystem();
  return 0;
}
