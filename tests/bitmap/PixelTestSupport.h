#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap/core/PixelBuffer.h"

namespace bitmap::testing {

inline PixelBuffer makeBuffer(int width, int height, Pixel fill = 0) {
  auto buffer = PixelBuffer::create(width, height);
  EXPECT_TRUE(buffer);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) buffer->view().at(x, y) = fill;
  }
  return std::move(*buffer);
}

inline PixelBuffer makeRow(const std::vector<Pixel>& pixels) {
  PixelBuffer buffer = makeBuffer(static_cast<int>(pixels.size()), 1);
  for (std::size_t i = 0; i < pixels.size(); ++i) buffer.view().at(static_cast<int>(i), 0) = pixels[i];
  return buffer;
}

inline std::vector<Pixel> rowOf(const PixelBuffer& buffer, int y = 0) {
  const Pixel* row = buffer.view().row(y);
  return {row, row + buffer.width()};
}

// Names parameterised cases after their `name` field.
struct CaseName {
  std::string operator()(const auto& info) const {
    std::string name = info.param.name;
    for (char& ch : name) ch = ch == ' ' ? '_' : ch;
    return name;
  }
};

// Prints pixels as A,R,G,B so that a failing comparison reads like the hand computation.
inline std::string describe(Pixel p) {
  return "(" + std::to_string(alphaOf(p)) + "," + std::to_string(redOf(p)) + "," + std::to_string(greenOf(p)) +
         "," + std::to_string(blueOf(p)) + ")";
}

}  // namespace bitmap::testing

#define EXPECT_PIXEL(actual, expected) \
  EXPECT_EQ(bitmap::testing::describe(actual), bitmap::testing::describe(expected))
