#pragma once

// The Live2D JSON targets run what they read against a real model, so that damaged values meet the code that
// uses them. The model comes from the sample files at run time when they are there; without them the files
// are only read.

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/CubismModel.h"

namespace fuzz {

inline std::string testdataDir() {
  const char* override = std::getenv("QUILLON_TESTDATA");
  return override != nullptr ? override : QUILLON_TESTDATA_DIR;
}

// A fresh model each call, so one input's motion or pose cannot change what the next input meets.
inline std::unique_ptr<live2d::cubism::CubismModel> freshSampleModel() {
  static const std::shared_ptr<live2d::cubism::CubismMoc> moc = [] {
    live2d::cubism::CubismFramework::setLogFunction(nullptr);
    std::ifstream in(testdataDir() + "/live2d/Haru/Haru.moc3", std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return bytes.empty() ? nullptr : live2d::cubism::CubismMoc::create(bytes);
  }();
  live2d::cubism::CubismFramework::setLogFunction(nullptr);
  return moc ? moc->createModel() : nullptr;
}

}  // namespace fuzz
