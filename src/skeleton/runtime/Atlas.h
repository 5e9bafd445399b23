#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skeleton/runtime/TextureLoader.h"

namespace spine {

enum class AtlasFormat { Alpha, Intensity, LuminanceAlpha, RGB565, RGBA4444, RGB888, RGBA8888 };
enum class AtlasFilter {
  Nearest,
  Linear,
  MipMap,
  MipMapNearestNearest,
  MipMapLinearNearest,
  MipMapNearestLinear,
  MipMapLinearLinear
};
enum class AtlasWrap { ClampToEdge, Repeat };

class AtlasPage {
 public:
  std::string name;  // image file name, relative to the atlas directory
  AtlasFormat format = AtlasFormat::RGBA8888;
  AtlasFilter minFilter = AtlasFilter::Nearest;
  AtlasFilter magFilter = AtlasFilter::Nearest;
  AtlasWrap uWrap = AtlasWrap::ClampToEdge;
  AtlasWrap vWrap = AtlasWrap::ClampToEdge;
  int width = 0;
  int height = 0;
  void* rendererObject = nullptr;  // the texture, owned through the TextureLoader
};

// One packed image. x/y/width/height are page pixels (y down from the top, size in the image's own orientation);
// offset and original size describe the whitespace the packer trimmed (offset y counted up from the bottom).
class AtlasRegion {
 public:
  AtlasPage* page = nullptr;
  std::string name;
  int x = 0, y = 0, width = 0, height = 0;
  float u = 0, v = 0, u2 = 0, v2 = 0;
  float offsetX = 0, offsetY = 0;
  int originalWidth = 0, originalHeight = 0;
  int index = -1;
  int degrees = 0;
  bool rotate = false;  // degrees == 90
  std::vector<int> splits;
  std::vector<int> pads;
};

// The libGDX text atlas as exported by the 3.8 editor. Pages are loaded through the TextureLoader (when one is
// given) and unloaded by the destructor.
class Atlas {
 public:
  // Parses text and, with a loader, loads every page image from dir + page name. Returns null and sets error on
  // malformed text. A loader that throws propagates the exception after the pages loaded so far are unloaded.
  static std::unique_ptr<Atlas> parse(std::string_view text, std::string_view dir, TextureLoader* loader,
                                      std::string& error);
  // Reads the file and parses it with the file's directory.
  static std::unique_ptr<Atlas> fromFile(const std::string& path, TextureLoader* loader, std::string& error);

  ~Atlas();
  Atlas(const Atlas&) = delete;
  Atlas& operator=(const Atlas&) = delete;

  const AtlasRegion* findRegion(std::string_view name) const;
  const std::vector<std::unique_ptr<AtlasPage>>& pages() const { return m_pages; }
  const std::vector<std::unique_ptr<AtlasRegion>>& regions() const { return m_regions; }

 private:
  Atlas() = default;
  void computeUVs();

  TextureLoader* m_loader = nullptr;  // not owned; must outlive the atlas
  std::vector<std::unique_ptr<AtlasPage>> m_pages;
  std::vector<std::unique_ptr<AtlasRegion>> m_regions;
};

}  // namespace spine
