#include "live2d/cubism/tool/PngFile.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "bitmap/core/ImageCodec.h"

namespace live2d::cubism {

std::optional<CubismImage> decodePng(std::span<const std::uint8_t> bytes, std::string* error) {
  std::optional<bitmap::PixelBuffer> pixels = bitmap::decodeImage(bytes, error);
  if (!pixels) return std::nullopt;
  CubismImage out;
  out.width = pixels->width();
  out.height = pixels->height();
  out.rgba.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4);
  const bitmap::ConstPixelView view = pixels->view();
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      const bitmap::Pixel p = view.at(x, y);
      for (int channel : {bitmap::redOf(p), bitmap::greenOf(p), bitmap::blueOf(p), bitmap::alphaOf(p)}) {
        out.rgba.push_back(static_cast<std::uint8_t>(channel));
      }
    }
  }
  return out;
}

std::optional<CubismImage> readPng(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot open " + path;
    return std::nullopt;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return decodePng(bytes, error);
}

bool writePng(const std::string& path, const CubismImage& image, std::string* error) {
  std::optional<bitmap::PixelBuffer> pixels = bitmap::PixelBuffer::create(image.width, image.height);
  if (!pixels ||
      image.rgba.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
    if (error) *error = "image too small for its size";
    return false;
  }
  const std::uint8_t* rgba = image.rgba.data();
  for (bitmap::Pixel& p : std::span(pixels->data(), static_cast<std::size_t>(image.width) * image.height)) {
    p = bitmap::makePixel(rgba[3], rgba[0], rgba[1], rgba[2]);
    rgba += 4;
  }
  if (!bitmap::savePng(pixels->view(), path)) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace live2d::cubism
