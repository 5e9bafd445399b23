#include "bitmap/Bitmap.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "bitmap/core/ImageCodec.h"
#include "platform/gfx/Texture.h"

namespace bitmap {

namespace {

Bitmap* g_liveBitmaps = nullptr;  // main thread only, like every script call

gfx::Rect toGfx(const PixelRect& rect) { return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height}; }

}  // namespace

Bitmap::Bitmap() {
  m_next = g_liveBitmaps;
  if (m_next != nullptr) m_next->m_previous = this;
  g_liveBitmaps = this;
}

Bitmap::~Bitmap() {
  if (m_previous != nullptr) {
    m_previous->m_next = m_next;
  } else {
    g_liveBitmaps = m_next;
  }
  if (m_next != nullptr) m_next->m_previous = m_previous;
}

bool Bitmap::create(int width, int height) {
  if (width <= 0 || height <= 0 || 1LL * width * height > PixelBuffer::kMaxPixels) return false;
  return adopt(gfx::Texture::createManaged(width, height));
}

bool Bitmap::adopt(std::unique_ptr<gfx::Texture> texture) {
  if (!texture || texture->kind() != gfx::Texture::Kind::Managed || locked()) return false;
  m_width = texture->width();
  m_height = texture->height();
  m_texture = std::move(texture);
  m_parked.reset();
  m_disposed = false;
  return true;
}

bool Bitmap::adopt(ConstPixelView pixels) {
  if (pixels.empty() || 1LL * pixels.width * pixels.height > PixelBuffer::kMaxPixels) return false;
  std::unique_ptr<gfx::Texture> texture = gfx::Texture::createManaged(pixels.width, pixels.height);
  if (!texture || !texture->update({0, 0, pixels.width, pixels.height}, pixels.data,
                                   pixels.stride * static_cast<int>(sizeof(Pixel)))) {
    return false;
  }
  return adopt(std::move(texture));
}

bool Bitmap::adopt(Bitmap&& other) {
  if (locked() || other.locked() || !other.hasPixels()) return false;
  m_width = other.m_width;
  m_height = other.m_height;
  m_texture = std::move(other.m_texture);
  m_parked = std::move(other.m_parked);
  other.m_parked.reset();
  other.m_width = 0;
  other.m_height = 0;
  m_disposed = false;
  return true;
}

void Bitmap::ensureTexture() {
  if (m_texture || !m_parked) return;
  std::unique_ptr<gfx::Texture> texture = gfx::Texture::createManaged(m_width, m_height);
  if (!texture) return;  // keep the parked pixels; a later use tries again
  ConstPixelView view = m_parked->view();
  if (!texture->update({0, 0, m_width, m_height}, view.data, view.stride * static_cast<int>(sizeof(Pixel)))) return;
  m_texture = std::move(texture);
  m_parked.reset();
}

gfx::Texture* Bitmap::texture() {
  ensureTexture();
  return m_texture.get();
}

ConstPixelView Bitmap::pixels() {
  if (m_lockDepth > 0) return {m_lockedPixels, m_width, m_height, m_width};
  if (m_texture) {
    return {reinterpret_cast<const Pixel*>(m_texture->pixels().data()), m_width, m_height, m_width};
  }
  if (m_parked) return m_parked->view();
  return {};
}

PixelView Bitmap::lock(const PixelRect& region) {
  if (m_lockDepth == 0) {
    ensureTexture();
    Pixel* bits = nullptr;
    if (m_texture) {
      // A read-only lock hands out the processor copy and uploads nothing; the outermost unlock uploads the
      // dirty area alone, so nested edits of other areas are not lost.
      bits = reinterpret_cast<Pixel*>(m_texture->lockRect(nullptr, true).bits);
    } else if (m_parked) {
      bits = m_parked->data();
    }
    if (bits == nullptr) return {};
    m_lockedPixels = bits;
    m_dirty = {};
  }
  ++m_lockDepth;
  if (m_width > 0 && m_height > 0) markDirty(lockRegion(region, m_width, m_height));
  return {m_lockedPixels, m_width, m_height, m_width};
}

void Bitmap::markDirty(const PixelRect& area) { m_dirty = unite(m_dirty, clip(area, m_width, m_height)); }

void Bitmap::unlock() {
  if (m_lockDepth == 0 || --m_lockDepth > 0) return;
  m_lockedPixels = nullptr;
  if (m_texture) {
    m_texture->unlock();
    if (!m_dirty.empty()) {
      const gfx::Rect dirty = toGfx(m_dirty);
      m_texture->lockRect(&dirty);
      m_texture->unlock();
    }
  }
  m_dirty = {};
  if (m_disposed) {
    m_texture.reset();
    m_parked.reset();
  }
}

void Bitmap::dispose() {
  if (m_disposed) return;
  m_disposed = true;
  // A process_color block may dispose its own bitmap; its pixels stay until the block's lock ends.
  if (m_lockDepth > 0) return;
  m_texture.reset();
  m_parked.reset();
}

void Bitmap::parkTexture() {
  if (!m_texture || m_lockDepth > 0) return;
  std::optional<PixelBuffer> copy = PixelBuffer::create(m_width, m_height);
  if (copy) {
    std::memcpy(copy->data(), m_texture->pixels().data(), m_texture->pixels().size());
    m_parked = std::move(copy);
  }
  m_texture.reset();
}

void releaseAllTextures() {
  for (Bitmap* record = g_liveBitmaps; record != nullptr; record = record->m_next) record->parkTexture();
}

std::unique_ptr<Bitmap> createBitmap(int width, int height) {
  auto record = std::make_unique<Bitmap>();
  if (!record->create(width, height)) return nullptr;
  return record;
}

std::optional<std::vector<std::uint8_t>> readGameFile(std::string_view name, engine::FileKind kind) {
  const std::string text(name);
  const engine::ScriptApi* api = engine::g_scriptApi;
  if (api != nullptr && api->file_open != nullptr) {
    if (const engine::GameFile* file = api->file_open(text.c_str(), kind)) {
      std::vector<std::uint8_t> bytes(file->bytes, file->bytes + file->size);
      api->file_release(file);
      return bytes;
    }
  }
  std::ifstream in(text, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::unique_ptr<Bitmap> loadImage(std::string_view name, LoadFailure* failure) {
  const auto fail = [&](LoadFailure why) -> std::unique_ptr<Bitmap> {
    if (failure != nullptr) *failure = why;
    return nullptr;
  };
  std::optional<std::vector<std::uint8_t>> bytes = readGameFile(name, engine::FileKind::Image);
  if (!bytes) return fail(LoadFailure::NotFound);
  std::string error;
  std::optional<PixelBuffer> decoded = decodeImage(*bytes, &error);
  if (!decoded) {
    std::fprintf(stderr, "[bitmap] %.*s: %s\n", static_cast<int>(name.size()), name.data(), error.c_str());
    return fail(LoadFailure::Undecodable);
  }
  auto record = std::make_unique<Bitmap>();
  if (!record->adopt(decoded->view())) return fail(LoadFailure::TooLarge);
  if (failure != nullptr) *failure = LoadFailure::None;
  return record;
}

void blit(Bitmap& destination, const Corners& to, Bitmap& source, const Corners& from, int opacity) {
  if (!destination.hasPixels() || !source.hasPixels()) return;
  const auto narrow = [](long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN / 2, INT32_MAX / 2));
  };
  const PixelRect region{narrow(to.x1), narrow(to.y1), narrow(to.x2 - to.x1), narrow(to.y2 - to.y1)};
  // The source is read through the same lock when it is the destination itself.
  PixelView target = destination.lock(region);
  ConstPixelView pixels = &source == &destination ? ConstPixelView(target) : source.pixels();
  bitmap::blit(target, to, pixels, from, opacity);
  destination.unlock();
}

void tiledBlit(Bitmap& destination, const PixelRect& to, Bitmap& source, const PixelRect& from) {
  if (!destination.hasPixels() || !source.hasPixels()) return;
  PixelView target = destination.lock(to);
  ConstPixelView pixels = &source == &destination ? ConstPixelView(target) : source.pixels();
  bitmap::tiledBlt(target, to, pixels, from);
  destination.unlock();
}

void freeBitmap(std::unique_ptr<Bitmap> record) {
  if (record) record->dispose();
}

}  // namespace bitmap
