#include "bitmap/core/ImageCodec.h"

// The one adapter over SDL_image, kept here rather than under platform/: decoding files into pixels is what
// bitmap core is for, and it needs neither the window nor SDL's video subsystem.
#include <SDL_image.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "bitmap/core/ImageHeader.h"

namespace bitmap {
namespace {

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

void initialiseDecoders() {
  static const bool initialised = [] {
    // Formats that are missing only fail their own files; the rest keep working.
    IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG | IMG_INIT_WEBP | IMG_INIT_TIF);
    return true;
  }();
  (void)initialised;
}

// The loader of one format: the image library's generic loader would guess the format from the content again.
SDL_Surface* loadAs(ImageFormat format, SDL_RWops* stream) {
  switch (format) {
    case ImageFormat::Png:
      return IMG_LoadPNG_RW(stream);
    case ImageFormat::Jpeg:
      return IMG_LoadJPG_RW(stream);
    case ImageFormat::Bmp:
      return IMG_LoadBMP_RW(stream);
    case ImageFormat::Gif:
      return IMG_LoadGIF_RW(stream);
    case ImageFormat::Webp:
      return IMG_LoadWEBP_RW(stream);
    case ImageFormat::Tga:
      return IMG_LoadTGA_RW(stream);
  }
  return nullptr;
}

// Decoded by the loader of the format whose header was checked, never by one that guesses from the content.
SurfacePtr loadSurface(std::span<const std::uint8_t> data, ImageFormat format) {
  SDL_RWops* stream = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
  if (!stream) return nullptr;
  SurfacePtr surface(loadAs(format, stream));
  SDL_RWclose(stream);
  return surface;
}

void collect(png_structp png, png_bytep bytes, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), bytes, bytes + length);
}

void flush(png_structp) {}

// Kept free of objects with destructors: libpng reports errors by longjmp.
bool writePng(png_structp png, png_infop info, std::vector<std::uint8_t>* out, ConstPixelView pixels,
              png_bytep* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, collect, flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width), static_cast<png_uint_32>(pixels.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<PixelBuffer> decodeImage(std::span<const std::uint8_t> data, std::string* error, long long maxPixels) {
  const auto fail = [&](const std::string& why) -> std::optional<PixelBuffer> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (data.size() > static_cast<std::size_t>(INT32_MAX)) return fail("image data too large");
  const std::optional<ImageHeader> header = readImageHeader(data);
  if (!header) return fail("not a readable image: unknown format or truncated header");
  if (header->pixels() > maxPixels) {
    return fail("image too large: " + std::to_string(header->width) + " x " + std::to_string(header->height));
  }
  if (static_cast<long long>(data.size()) < header->minimumBytes) {
    return fail("image data too short for " + std::to_string(header->width) + " x " + std::to_string(header->height));
  }
  initialiseDecoders();
  SurfacePtr surface = loadSurface(data, header->format);
  if (!surface) return fail(std::string("not a readable image: ") + IMG_GetError());
  // Converting also turns colour keys (GIF transparency, keyed palettes) into alpha 0.
  SurfacePtr argb(SDL_ConvertSurfaceFormat(surface.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb) return fail(std::string("cannot convert the image: ") + SDL_GetError());
  auto pixels = PixelBuffer::create(argb->w, argb->h);
  if (!pixels) return fail("image too large");
  if (SDL_LockSurface(argb.get()) != 0) return fail(std::string("cannot read the image: ") + SDL_GetError());
  for (int y = 0; y < argb->h; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(argb->pixels) + static_cast<std::ptrdiff_t>(y) * argb->pitch;
    std::memcpy(pixels->view().row(y), row, static_cast<std::size_t>(argb->w) * sizeof(Pixel));
  }
  SDL_UnlockSurface(argb.get());
  return pixels;
}

std::vector<std::uint8_t> encodePng(ConstPixelView pixels) {
  std::vector<std::uint8_t> out;
  if (pixels.empty()) return out;
  // PNG stores red, green, blue, alpha; our words are blue, green, red, alpha in memory.
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(pixels.width) * pixels.height * 4);
  std::vector<png_bytep> rows(static_cast<std::size_t>(pixels.height));
  for (int y = 0; y < pixels.height; ++y) {
    std::uint8_t* row = rgba.data() + static_cast<std::size_t>(y) * pixels.width * 4;
    rows[static_cast<std::size_t>(y)] = row;
    const Pixel* in = pixels.row(y);
    for (int x = 0; x < pixels.width; ++x) {
      row[x * 4 + 0] = static_cast<std::uint8_t>(redOf(in[x]));
      row[x * 4 + 1] = static_cast<std::uint8_t>(greenOf(in[x]));
      row[x * 4 + 2] = static_cast<std::uint8_t>(blueOf(in[x]));
      row[x * 4 + 3] = static_cast<std::uint8_t>(alphaOf(in[x]));
    }
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return out;
  png_infop info = png_create_info_struct(png);
  const bool written = info && writePng(png, info, &out, pixels, rows.data());
  png_destroy_write_struct(&png, &info);
  if (!written) out.clear();
  return out;
}

bool savePng(ConstPixelView pixels, const std::string& path) {
  const std::vector<std::uint8_t> bytes = encodePng(pixels);
  if (bytes.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && complete;
}

}  // namespace bitmap
