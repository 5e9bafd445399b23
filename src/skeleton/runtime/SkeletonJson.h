#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "skeleton/runtime/SkeletonData.h"

namespace spine {

class AttachmentLoader;

// Reads skeleton data exported as JSON by the 3.8 editor.
class SkeletonJson {
 public:
  explicit SkeletonJson(AttachmentLoader& loader) : m_loader(loader) {}

  // Lengths (positions, sizes, vertices, translations) are multiplied by the scale while loading.
  void setScale(float scale) { m_scale = scale; }

  // Returns null, with error() set, for malformed or unsupported data.
  std::unique_ptr<SkeletonData> readSkeletonData(std::string_view json);
  std::unique_ptr<SkeletonData> readSkeletonDataFile(const std::string& path);
  const std::string& error() const { return m_error; }

 private:
  AttachmentLoader& m_loader;
  float m_scale = 1;
  std::string m_error;
};

}  // namespace spine
