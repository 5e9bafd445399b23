#include "skeleton/draw/MyTextureLoader.h"

#include <algorithm>

#include "engine/Utf.h"
#include "skeleton/runtime/Atlas.h"

namespace skeleton {

namespace {

constexpr std::size_t kPathUnits = 260;

}  // namespace

bool pagePathFits(std::string_view utf8Path) {
  return engine::utf8ToUtf16(utf8Path).size() + 1 <= kPathUnits;  // with the terminator
}

MyTextureLoader::~MyTextureLoader() {
  for (std::unique_ptr<bitmap::Bitmap>& image : m_bitmaps) bitmap::freeBitmap(std::move(image));
}

void MyTextureLoader::load(spine::AtlasPage& page, const std::string& path) {
  if (!pagePathFits(path)) throw PageLoadError(bitmap::LoadFailure::NotFound, path);
  bitmap::LoadFailure failure = bitmap::LoadFailure::None;
  std::unique_ptr<bitmap::Bitmap> image = bitmap::loadImage(path, &failure);
  if (!image) throw PageLoadError(failure, path);
  if (page.rendererObject != nullptr) unload(page.rendererObject);
  page.rendererObject = image.get();
  page.width = image->width();
  page.height = image->height();
  m_bitmaps.push_back(std::move(image));
}

void MyTextureLoader::unload(void* texture) {
  auto found = std::find_if(m_bitmaps.begin(), m_bitmaps.end(),
                            [&](const std::unique_ptr<bitmap::Bitmap>& image) { return image.get() == texture; });
  if (found == m_bitmaps.end()) return;
  bitmap::freeBitmap(std::move(*found));
  m_bitmaps.erase(found);
}

}  // namespace skeleton
