#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "skeleton/runtime/SkeletonData.h"

namespace spine {

class AttachmentLoader;

// Reads skeleton data exported in the 3.8 editor's binary (.skel) form. Every read is bounded by the input.
class SkeletonBinary {
 public:
  explicit SkeletonBinary(AttachmentLoader& loader) : m_loader(loader) {}

  void setScale(float scale) { m_scale = scale; }

  // Returns null, with error() set, for malformed, truncated or unsupported data.
  std::unique_ptr<SkeletonData> readSkeletonData(const uint8_t* data, size_t length);
  std::unique_ptr<SkeletonData> readSkeletonDataFile(const std::string& path);
  const std::string& error() const { return m_error; }

 private:
  AttachmentLoader& m_loader;
  float m_scale = 1;
  std::string m_error;
};

}  // namespace spine
