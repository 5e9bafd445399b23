#pragma once

// The process-wide cache of model textures: each texture loaded from an image file gets the next id (from 1) and a
// record of its image size and path. Models bind the textures by id and release them when they go.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gfx {
class Texture;
}

namespace live2d {

class LAppTextureManager {
 public:
  struct TextureInfo {
    std::uint64_t id = 0;
    int width = 0;
    int height = 0;
    std::string fileName;
  };

  LAppTextureManager();
  ~LAppTextureManager();
  LAppTextureManager(const LAppTextureManager&) = delete;
  LAppTextureManager& operator=(const LAppTextureManager&) = delete;

  // Reads the image (file layer first, then disk) into a texture with a full mip chain, its colours premultiplied
  // by alpha as the model renderer draws them; returns its id. 0, with "Texture Load Error : <path>" in the log, when
  // the file is missing or not an image. Needs the graphics context current.
  std::uint64_t createTextureFromPngFile(const std::string& path);

  gfx::Texture* texture(std::uint64_t id) const;
  // Null for an id that is not held; valid until the next load or release.
  const TextureInfo* info(std::uint64_t id) const;
  std::size_t size() const { return m_entries.size(); }

  // Releasing an id that is not held does nothing.
  void releaseTexture(std::uint64_t id);
  void releaseTextures();

 private:
  struct Entry {
    std::unique_ptr<gfx::Texture> texture;
    TextureInfo info;
  };
  std::vector<Entry> m_entries;
  std::uint64_t m_lastId = 0;
};

// Made on first use; lives until the process ends (its textures are released before the context goes).
LAppTextureManager& textureManager();

}  // namespace live2d
