#pragma once

// Faces opened for drawing text, kept for the next call: opening one means a fontconfig match and a FreeType
// face, and games draw many short texts in a handful of fonts.

#include <memory>
#include <vector>

#include "platform/text/FontFace.h"

namespace bitmap {

class FaceCache {
 public:
  static constexpr std::size_t kCapacity = 8;

  // The face for a request, opened on first use; null when no face can be opened at all. The pointer stays
  // valid until kCapacity other requests have been made since its last use, or clear().
  text::FontFace* face(const text::FaceRequest& request);
  void clear() { m_entries.clear(); }
  std::size_t size() const { return m_entries.size(); }

 private:
  struct Entry {
    text::FaceRequest request;
    std::unique_ptr<text::FontFace> face;
  };
  std::vector<Entry> m_entries;  // most recently used first
};

// The process-wide cache that Bitmap's text methods use (main thread only).
FaceCache& faceCache();

}  // namespace bitmap
