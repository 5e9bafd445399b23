#include "live2d/cubism/tool/PngFile.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace live2d::cubism {

std::optional<CubismImage> decodePng(std::span<const std::uint8_t> bytes, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    if (error) *error = image.message;
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  CubismImage out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
    if (error) *error = image.message;
    png_image_free(&image);
    return std::nullopt;
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
  png_image info;
  std::memset(&info, 0, sizeof info);
  info.version = PNG_IMAGE_VERSION;
  info.width = static_cast<png_uint_32>(image.width);
  info.height = static_cast<png_uint_32>(image.height);
  info.format = PNG_FORMAT_RGBA;
  if (image.rgba.size() < PNG_IMAGE_SIZE(info) ||
      !png_image_write_to_file(&info, path.c_str(), 0, image.rgba.data(), 0, nullptr)) {
    if (error) *error = info.message[0] ? info.message : "image too small for its size";
    return false;
  }
  return true;
}

}  // namespace live2d::cubism
