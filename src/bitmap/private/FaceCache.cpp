#include "bitmap/private/FaceCache.h"

#include <algorithm>

namespace bitmap {

namespace {

bool sameRequest(const text::FaceRequest& a, const text::FaceRequest& b) {
  return a.size == b.size && a.bold == b.bold && a.italic == b.italic && a.family == b.family;
}

}  // namespace

text::FontFace* FaceCache::face(const text::FaceRequest& request) {
  auto found = std::find_if(m_entries.begin(), m_entries.end(),
                            [&](const Entry& entry) { return sameRequest(entry.request, request); });
  if (found != m_entries.end()) {
    std::rotate(m_entries.begin(), found, found + 1);
    return m_entries.front().face.get();
  }
  std::unique_ptr<text::FontFace> opened = text::FontFace::open(request);
  if (!opened) return nullptr;
  if (m_entries.size() >= kCapacity) m_entries.pop_back();
  m_entries.insert(m_entries.begin(), Entry{request, std::move(opened)});
  return m_entries.front().face.get();
}

FaceCache& faceCache() {
  static FaceCache cache;
  return cache;
}

}  // namespace bitmap
