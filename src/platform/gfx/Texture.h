#pragma once

// A 32-bit texture whose pixels are stored blue, green, red, alpha in memory (Direct3D's A8R8G8B8), rows top-down.
// Managed textures keep a processor-side copy that is edited through lockRect/unlock; unlock uploads only the
// rectangle that was locked. Render targets live on the GPU only and are read back on request.
// Textures need the device's GL context current while they are created, changed or destroyed.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/Types.h"

namespace gfx {

class Texture {
 public:
  enum class Kind { Managed, RenderTarget };

  struct LockedRect {
    std::uint8_t* bits = nullptr;  // the pixel at the rectangle's top-left corner
    int pitch = 0;                 // bytes from one row to the next
  };

  // Null when the size is not positive or exceeds the driver's limit. A managed texture starts transparent
  // black; `mipmaps` keeps a full chain, regenerated at each upload.
  static std::unique_ptr<Texture> createManaged(int width, int height, bool mipmaps = false);
  // Starts transparent black.
  static std::unique_ptr<Texture> createRenderTarget(int width, int height);

  ~Texture();
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  int width() const { return m_width; }
  int height() const { return m_height; }
  Kind kind() const { return m_kind; }
  bool hasMipmaps() const { return m_mipmaps; }

  // Managed textures only. `rect` null locks the whole texture; a rectangle outside the texture is clipped, and
  // an empty one (or a render target, or a second lock) gives bits == nullptr. A read-only lock uploads nothing.
  LockedRect lockRect(const Rect* rect = nullptr, bool readOnly = false);
  void unlock();
  bool isLocked() const { return m_locked; }
  // The processor-side copy of a managed texture (empty for render targets), rows of width · 4 bytes.
  const std::vector<std::uint8_t>& pixels() const { return m_pixels; }

  // Replaces a rectangle's pixels from `source` (rows `sourcePitch` bytes apart), in both copies of a managed
  // texture. False when the rectangle is not inside the texture.
  bool update(const Rect& rect, const void* source, int sourcePitch);
  // Fills the whole texture with one A8R8G8B8 colour.
  void fill(std::uint32_t colour);
  // Copies a rectangle into `destination` (rows `destinationPitch` bytes apart), top row first. Render targets
  // are read from the GPU, managed textures from their processor-side copy. False for a rectangle outside.
  bool readPixels(const Rect& rect, void* destination, int destinationPitch) const;

  unsigned glName() const { return m_glName; }

 private:
  Texture(Kind kind, int width, int height, bool mipmaps);
  void upload(const Rect& rect);
  unsigned readFramebuffer() const;

  Kind m_kind = Kind::Managed;
  int m_width = 0;
  int m_height = 0;
  bool m_mipmaps = false;
  unsigned m_glName = 0;
  mutable unsigned m_readFramebuffer = 0;  // render targets: created on the first read-back
  std::vector<std::uint8_t> m_pixels;
  bool m_locked = false;
  bool m_lockReadOnly = false;
  Rect m_lockedRect;
};

// Whether `rect` lies inside a width × height texture and is not empty.
bool rectInside(const Rect& rect, int width, int height);

}  // namespace gfx
