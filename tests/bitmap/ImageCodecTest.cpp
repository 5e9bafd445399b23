#include "bitmap/core/ImageCodec.h"

#include <SDL_image.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/bitmap/PixelTestSupport.h"

namespace bitmap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::makeBuffer;
using testing::rowOf;

void put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& out, unsigned v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void put32be(Bytes& out, unsigned v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A 2 × 2, 24-bit BMP written byte by byte: rows bottom-up, blue-green-red, padded to 4 bytes.
Bytes handMadeBmp() {
  Bytes out = {'B', 'M'};
  put32(out, 14 + 40 + 16);
  put32(out, 0);
  put32(out, 14 + 40);
  put32(out, 40);
  put32(out, 2);
  put32(out, 2);
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);
  put32(out, 16);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  // bottom row: (red 1, green 2, blue 3), (red 4, green 5, blue 6)
  out.insert(out.end(), {3, 2, 1, 6, 5, 4, 0, 0});
  // top row: pure red, pure blue
  out.insert(out.end(), {0, 0, 255, 255, 0, 0, 0, 0});
  return out;
}

void pngChunk(Bytes& out, const char* type, const Bytes& data) {
  put32be(out, static_cast<unsigned>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const auto crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
  put32be(out, static_cast<unsigned>(crc));
}

// A 2 × 1 RGBA PNG assembled from chunks, compressed with zlib directly.
Bytes handMadePng() {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  put32be(header, 2);
  put32be(header, 1);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  pngChunk(out, "IHDR", header);
  const Bytes raw = {0, 10, 20, 30, 40, 200, 100, 50, 0};  // filter byte, then R G B A twice
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(size);
  compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(size);
  pngChunk(out, "IDAT", packed);
  pngChunk(out, "IEND", {});
  return out;
}

// A 4 × 1 paletted PNG whose transparency chunk gives entries 0–2 alpha 255, 128 and 0; entry 3 has none.
Bytes handMadePalettedPng() {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  put32be(header, 4);
  put32be(header, 1);
  header.insert(header.end(), {8, 3, 0, 0, 0});
  pngChunk(out, "IHDR", header);
  pngChunk(out, "PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
  pngChunk(out, "tRNS", {255, 128, 0});
  const Bytes raw = {0, 0, 1, 2, 3};
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(size);
  compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(size);
  pngChunk(out, "IDAT", packed);
  pngChunk(out, "IEND", {});
  return out;
}

// A 2 × 1 uncompressed true-colour TGA stored top row first.
Bytes handMadeTga() {
  Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put16(out, 2);
  put16(out, 1);
  out.push_back(24);
  out.push_back(0x20);
  out.insert(out.end(), {30, 20, 10, 0, 255, 0});  // (10, 20, 30) and green
  return out;
}

TEST(DecodeImage, ReadsABmpTopRowFirstAsOpaquePixels) {
  const auto image = decodeImage(handMadeBmp());
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width(), 2);
  ASSERT_EQ(image->height(), 2);
  EXPECT_EQ(rowOf(*image, 0), (std::vector<Pixel>{0xFFFF0000, 0xFF0000FF}));
  EXPECT_EQ(rowOf(*image, 1), (std::vector<Pixel>{0xFF010203, 0xFF040506}));
}

TEST(DecodeImage, ReadsAPngWithStraightAlpha) {
  const auto image = decodeImage(handMadePng());
  ASSERT_TRUE(image);
  // Colour bytes are kept as stored, not multiplied by alpha, even where alpha is 0.
  EXPECT_EQ(rowOf(*image), (std::vector<Pixel>{makePixel(40, 10, 20, 30), makePixel(0, 200, 100, 50)}));
}

TEST(DecodeImage, ReadsAPalettedPngWithPerEntryTransparency) {
  const auto image = decodeImage(handMadePalettedPng());
  ASSERT_TRUE(image);
  EXPECT_EQ(rowOf(*image), (std::vector<Pixel>{0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF}));
}

TEST(DecodeImage, ReadsATgaThoughItHasNoSignature) {
  const auto image = decodeImage(handMadeTga());
  ASSERT_TRUE(image);
  EXPECT_EQ(rowOf(*image), (std::vector<Pixel>{0xFF0A141E, 0xFF00FF00}));
}

// A 1 x 1 GIF whose one pixel is the transparent palette entry.
const Bytes kTransparentGif = {'G',  'I', 'F', '8', '9',  'a',  1, 0, 1, 0,    0x80, 0, 0,    0xFF, 0xFF,
                               0xFF, 0,   0,   0,   0x21, 0xF9, 4, 1, 0, 0,    0,    0, 0x2C, 0,    0,
                               0,    0,   1,   0,   1,    0,    0, 2, 2, 0x44, 1,    0, 0x3B};

TEST(DecodeImage, ReadsAGifWithItsTransparency) {
  std::optional<PixelBuffer> pixels = decodeImage(kTransparentGif);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(pixels->width(), 1);
  EXPECT_EQ(alphaOf(pixels->view().row(0)[0]), 0);
}

// The image library's GIF decoder follows a code that names no string yet into a cycle of its table and writes
// through a wild pointer: such data is refused before it gets there.
TEST(DecodeImage, RefusesAGifCodeThatNamesNoStringYet) {
  Bytes gif = kTransparentGif;
  // Three-bit codes: clear (4), the pixel 0, then 7, though the next string to be made is 6.
  gif[39] = 0xC4;
  gif[40] = 0x01;
  std::string error;
  EXPECT_FALSE(decodeImage(gif, &error));
}

TEST(DecodeImage, ReadsAJpegCloseToItsColour) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 32, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_NE(surface, nullptr);
  SDL_FillRect(surface, nullptr, 0xFFC86432);
  Bytes jpeg(1 << 16);
  SDL_RWops* stream = SDL_RWFromMem(jpeg.data(), static_cast<int>(jpeg.size()));
  const int saved = IMG_SaveJPG_RW(surface, stream, 0, 100);
  jpeg.resize(static_cast<std::size_t>(SDL_RWtell(stream)));
  SDL_RWclose(stream);
  SDL_FreeSurface(surface);
  if (saved != 0) GTEST_SKIP() << "this SDL_image cannot write JPEG: " << IMG_GetError();

  const auto image = decodeImage(jpeg);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width(), 16);
  for (const Pixel p : rowOf(*image, 7)) {
    EXPECT_EQ(alphaOf(p), 255);
    EXPECT_NEAR(redOf(p), 0xC8, 3);
    EXPECT_NEAR(greenOf(p), 0x64, 3);
    EXPECT_NEAR(blueOf(p), 0x32, 3);
  }
}

PixelBuffer sample() {
  PixelBuffer pixels = makeBuffer(3, 2);
  const Pixel values[6] = {0xFF102030, 0x80FFFFFF, 0x00ABCDEF, 0x01020304, 0xFEDCBA98, 0xFF000000};
  for (int i = 0; i < 6; ++i) pixels.view().at(i % 3, i / 3) = values[i];
  return pixels;
}

TEST(Png, EncodedPixelsDecodeIdentically) {
  const PixelBuffer original = sample();
  const Bytes png = encodePng(original.view());
  ASSERT_FALSE(png.empty());
  const auto decoded = decodeImage(png);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(rowOf(*decoded, 0), rowOf(original, 0));
  EXPECT_EQ(rowOf(*decoded, 1), rowOf(original, 1));
}

TEST(Png, SavedFileLoadsBackIdentically) {
  const auto path = std::filesystem::temp_directory_path() / "quillon-bitmap-save.png";
  const PixelBuffer original = sample();
  // A view with padded rows, as a locked texture may give.
  Pixel padded[2][4] = {};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) padded[y][x] = original.view().at(x, y);
    padded[y][3] = 0xDEADBEEF;
  }
  ASSERT_TRUE(savePng(ConstPixelView(&padded[0][0], 3, 2, 4), path.string()));
  std::ifstream file(path, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(file)), {});
  std::filesystem::remove(path);
  const auto decoded = decodeImage(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width(), 3);
  EXPECT_EQ(rowOf(*decoded, 0), rowOf(original, 0));
  EXPECT_EQ(rowOf(*decoded, 1), rowOf(original, 1));
}

TEST(Png, SavingWhereNoFileCanBeWrittenFails) {
  EXPECT_FALSE(savePng(sample().view(), "/nonexistent-folder/quillon/out.png"));
}

// A 74-byte file may claim 60000 × 60000 pixels: it is refused from its header, before 13 GB are allocated.
TEST(DecodeImage, RefusesADeclaredSizeAboveTheBitmapLimitBeforeDecoding) {
  Bytes claim = handMadePng();
  claim[16] = claim[20] = 0;
  claim[17] = claim[21] = 0;
  claim[18] = claim[22] = 0xEA;
  claim[19] = claim[23] = 0x60;
  std::string error;
  EXPECT_FALSE(decodeImage(claim, &error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

struct CorruptCase {
  const char* name;
  Bytes data;
};

class CorruptImageTest : public ::testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptImageTest, FailsCleanlyWithAReason) {
  std::string error;
  EXPECT_FALSE(decodeImage(GetParam().data, &error)) << GetParam().name;
  EXPECT_FALSE(error.empty());
}

Bytes truncated(Bytes bytes, std::size_t keep) {
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

// A run-length TGA header claiming a size within the bitmap limit, with a single packet of data.
Bytes tgaClaiming(unsigned width, unsigned height) {
  Bytes out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put16(out, width);
  put16(out, height);
  out.insert(out.end(), {24, 0x20, 0xFF, 1, 2, 3, 0, 0, 0, 0});
  return out;
}

Bytes withGarbageBody(Bytes bytes) {
  for (std::size_t i = 40; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Data, CorruptImageTest,
    ::testing::Values(CorruptCase{"empty", {}}, CorruptCase{"text", Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i'}},
                      CorruptCase{"png signature only", truncated(handMadePng(), 8)},
                      CorruptCase{"png cut in its data", truncated(encodePng(sample().view()), 45)},
                      CorruptCase{"png with a damaged body", withGarbageBody(encodePng(sample().view()))},
                      CorruptCase{"bmp header only", truncated(handMadeBmp(), 30)},
                      CorruptCase{"tga of 26 bytes claiming 7204 x 33588", tgaClaiming(7204, 33588)}),
    testing::CaseName());

}  // namespace
}  // namespace bitmap
