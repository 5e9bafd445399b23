#pragma once

// Atlas page textures as bitmaps: each page image is read through the game's files (archive first, then disk)
// into a Bitmap record that becomes the page's renderer object, and is released exactly once, when the atlas
// unloads the page or, for pages it never got to, when the loader goes.

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap/Bitmap.h"
#include "skeleton/runtime/TextureLoader.h"

namespace skeleton {

// A page image that could not be loaded; thrown out of the atlas being built, to be raised to the script as the
// bitmap loader's error for `path`.
class PageLoadError : public std::runtime_error {
 public:
  PageLoadError(bitmap::LoadFailure failure, std::string path)
      : std::runtime_error("cannot load atlas page " + path), failure(failure), path(std::move(path)) {}
  bitmap::LoadFailure failure;
  std::string path;
};

// Whether a page path fits the 260-unit buffers its name is built in (counted in UTF-16 units, terminator included).
bool pagePathFits(std::string_view utf8Path);

class MyTextureLoader final : public spine::TextureLoader {
 public:
  MyTextureLoader() = default;
  ~MyTextureLoader() override;
  MyTextureLoader(const MyTextureLoader&) = delete;
  MyTextureLoader& operator=(const MyTextureLoader&) = delete;

  // Loads the page image at `path` and sets the page's size to the image's. Throws PageLoadError.
  void load(spine::AtlasPage& page, const std::string& path) override;
  // Releases a bitmap this loader made; anything else is ignored.
  void unload(void* texture) override;

  std::size_t liveBitmaps() const { return m_bitmaps.size(); }

 private:
  std::vector<std::unique_ptr<bitmap::Bitmap>> m_bitmaps;
};

}  // namespace skeleton
