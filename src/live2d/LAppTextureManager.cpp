#include "live2d/LAppTextureManager.h"

#include <algorithm>
#include <optional>

#include "bitmap/Bitmap.h"
#include "bitmap/core/ImageCodec.h"
#include "live2d/LAppLog.h"
#include "live2d/ModelFiles.h"
#include "live2d/cubism/private/D3D9DrawStates.h"
#include "platform/gfx/Texture.h"

namespace live2d {

LAppTextureManager::LAppTextureManager() = default;
LAppTextureManager::~LAppTextureManager() = default;

std::uint64_t LAppTextureManager::createTextureFromPngFile(const std::string& path) {
  std::unique_ptr<gfx::Texture> texture;
  std::optional<bitmap::PixelBuffer> image;
  if (std::optional<std::vector<std::uint8_t>> bytes = bitmap::readGameFile(path)) image = bitmap::decodeImage(*bytes);
  if (image) {
    const int width = image->width();
    const int height = image->height();
    // Premultiplied once here: the renderer would otherwise keep a premultiplied copy beside this texture.
    auto* bgra = reinterpret_cast<std::uint8_t*>(image->data());
    cubism::detail::premultiplyBgra(bgra, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    texture = gfx::Texture::createManaged(width, height, true);
    if (texture && !texture->update({0, 0, width, height}, bgra, width * 4)) texture.reset();
  }
  if (!texture) {
    appLog("Texture Load Error : %s", path.c_str());
    return 0;
  }
  Entry entry{std::move(texture), {++m_lastId, image->width(), image->height(), path}};
  m_entries.push_back(std::move(entry));
  return m_lastId;
}

gfx::Texture* LAppTextureManager::texture(std::uint64_t id) const {
  for (const Entry& entry : m_entries) {
    if (entry.info.id == id) return entry.texture.get();
  }
  return nullptr;
}

const LAppTextureManager::TextureInfo* LAppTextureManager::info(std::uint64_t id) const {
  for (const Entry& entry : m_entries) {
    if (entry.info.id == id) return &entry.info;
  }
  return nullptr;
}

void LAppTextureManager::releaseTexture(std::uint64_t id) {
  std::erase_if(m_entries, [id](const Entry& entry) { return entry.info.id == id; });
}

void LAppTextureManager::releaseTextures() { m_entries.clear(); }

LAppTextureManager& textureManager() {
  static auto* const manager = new LAppTextureManager();
  return *manager;
}

}  // namespace live2d
