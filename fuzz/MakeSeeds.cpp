// Writes small, valid inputs for the fuzz targets whose formats we can make ourselves, one folder per target:
// quillon_fuzz_seeds OUTPUT_FOLDER. The sample files under ../shared/testdata are added by tools/fuzz at run time.
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap/core/ImageCodec.h"
#include "engine/private/Archive.h"
#include "tests/audio/MidiFiles.h"
#include "tests/audio/SoundFiles.h"
#include "video/writer/MovieWriter.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

fs::path g_output;

void seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(g_output / target);
  std::ofstream out(g_output / target / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void seed(const std::string& target, const std::string& name, const std::string& text) {
  seed(target, name, Bytes(text.begin(), text.end()));
}

Bytes fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putDouble(Bytes& out, double value) {
  std::uint64_t bits = 0;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);
  for (int shift = 0; shift < 64; shift += 8) out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

bitmap::PixelBuffer picture(int width, int height) {
  auto pixels = bitmap::PixelBuffer::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels->view().row(y)[x] = 0x80000000u | (x * 40u) << 16 | (y * 60u) << 8 | 0x7Fu;
  }
  return std::move(*pixels);
}

void images() {
  const bitmap::PixelBuffer pixels = picture(5, 3);
  const Bytes png = bitmap::encodePng(pixels.view());
  seed("image", "rgba.png", png);
  // Saved through the image library into memory for the other writable formats.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<bitmap::Pixel*>(pixels.view().row(0)), 5, 3, 32,
                                                            5 * 4, SDL_PIXELFORMAT_ARGB8888);
  for (const char* kind : {"bmp", "jpg"}) {
    Bytes buffer(4096);
    SDL_RWops* stream = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
    const int failed = kind[0] == 'b' ? SDL_SaveBMP_RW(surface, stream, 0) : IMG_SaveJPG_RW(surface, stream, 0, 90);
    buffer.resize(static_cast<std::size_t>(SDL_RWtell(stream)));
    SDL_RWclose(stream);
    if (failed == 0) seed("image", std::string("picture.") + kind, buffer);
  }
  SDL_FreeSurface(surface);
  seed("image", "pixel.gif",
       Bytes{'G', 'I', 'F', '8', '9', 'a',  1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,    0, 0x21, 0xF9, 4,
             1,   0,   0,   0,   0,   0x2C, 0, 0, 0, 0, 1,    0, 1, 0,    0,    2,    2, 0x44, 1, 0,    0x3B});
  seed("image", "two.tga", Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20, 30, 20, 10, 0, 255, 0});
  seed("archive", "pictures.rgss3a",
       engine::buildArchive({{"Data/Scripts.rvdata2", Bytes(40, 7)}, {"Graphics\\Pictures\\Rgba.png", png}}, 0x1234));
}

void sounds() {
  const std::vector<float> tone = audio::test::sine(440.0, 0.5, 22050, 2205, 2);
  seed("audio", "tone.wav", audio::test::makeWav(tone, 2, 22050));
  const fs::path scratch = audio::test::tempFolder();
  const struct {
    const char* container;
    const char* codec;
    const char* name;
  } encodings[] = {{"ogg", "libvorbis", "tone.ogg"}, {"flac", "flac", "tone.flac"}, {"mp3", "libmp3lame", "tone.mp3"}};
  for (const auto& encoding : encodings) {
    const fs::path path = scratch / encoding.name;
    if (audio::test::encodeFile(path, encoding.container, encoding.codec, tone, 2, 22050,
                                {{"LOOPSTART", "100"}, {"LOOPLENGTH", "1000"}})) {
      seed("audio", encoding.name, fileBytes(path));
    }
  }

  using audio::test::MidiTrackWriter;
  MidiTrackWriter conductor;
  conductor.tempo(0, 500000).end(1920);
  MidiTrackWriter melody;
  melody.event(0, {0xC0, 5}).event(0, {0x90, 60, 100}).event(240, {62, 90}).event(0, {0xB0, 111, 0});
  melody.raw(240, {0xF0, 3, 0x7E, 0x7F, 0xF7}).event(240, {0x80, 60, 0}).event(0, {0x80, 62, 0}).end(480);
  seed("midi", "song.mid", audio::test::makeMidi({conductor, melody}));

  for (const auto& movie : {std::pair{"picture.mkv", false}, std::pair{"with-sound.avi", true}}) {
    video::writer::MovieSpec spec;
    spec.width = 16;
    spec.height = 8;
    spec.frameCount = 4;
    spec.codec = movie.second ? video::writer::VideoCodec::Mpeg4 : video::writer::VideoCodec::Ffv1;
    spec.pixel = [](int frame, int x, int y) {
      return static_cast<std::uint32_t>(frame * 0x400000 + x * 0x1000 + y * 8);
    };
    if (movie.second) {
      spec.sampleRate = 8000;
      spec.channels = 1;
      spec.sampleFrames = 1000;
      spec.sample = [](int index, int) { return static_cast<std::int16_t>((index % 50) * 600 - 15000); };
    }
    std::string error;
    const fs::path path = scratch / movie.first;
    if (video::writer::writeMovie(path, spec, &error)) seed("video", movie.first, fileBytes(path));
  }
  fs::remove_all(scratch);
}

void texts() {
  seed("ini", "Game.ini",
       "[Game]\r\nRTP=RPGVXAce\r\nLibrary=System\\RGSS301.dll\r\nScripts=Data\\Scripts.rvdata2\r\nTitle=Demo\r\n"
       "ScreenWidth=640\r\nScreenHeight=480\r\nShowConsole=1\r\n");
  seed("effect", "BuiltinEffect.hlsl", fileBytes(fs::path(QUILLON_SOURCE_DIR) / "src/render/BuiltinEffect.hlsl"));
  seed("atlas", "two-pages.atlas",
       "\npage.png\nsize: 64, 32\nformat: RGBA8888\nfilter: Linear,Linear\nrepeat: none\n"
       "head\n  rotate: true\n  xy: 2, 2\n  size: 20, 10\n  split: 1, 2, 3, 4\n  pad: 0, 0, 1, 1\n  orig: 24, 12\n"
       "  offset: 1, 1\n  index: -1\n\nsecond.png\nformat: Alpha\nfilter: Nearest,Nearest\nrepeat: xy\n"
       "dot\n  rotate: false\n  xy: 0, 0\n  size: 4, 4\n  orig: 4, 4\n  offset: 0, 0\n  index: 2\n");

  // Table (first byte 0): 2 dimensions, 3 × 2 × 1, six elements.
  Bytes table = {0};
  for (std::uint32_t field : {2u, 3u, 2u, 1u, 6u}) put32(table, field);
  for (int i = 0; i < 6; ++i) table.insert(table.end(), {static_cast<std::uint8_t>(i * 50), 0x80});
  seed("value_load", "table", table);
  seed("value_load", "color", Bytes{1, 3, 2, 1, 4});
  Bytes colorDoubles = {1};
  for (double value : {300.5, -1.0, 2.0, 255.0}) putDouble(colorDoubles, value);
  seed("value_load", "color-doubles", colorDoubles);
  Bytes tone = {2};
  for (float value : {0.5f, -0.25f, 0.0f, 1.0f}) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put32(tone, bits);
  }
  seed("value_load", "tone", tone);
  Bytes toneDoubles = {2};
  for (double value : {68.0, -34.0, 0.0, 255.0}) putDouble(toneDoubles, value);
  seed("value_load", "tone-doubles", toneDoubles);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  g_output = argv[1];
  images();
  sounds();
  texts();
  return 0;
}
