#include "platform/gfx/Texture.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/private/Gl.h"

namespace gfx {

namespace {

constexpr int kBytesPerPixel = 4;

int mipLevelCount(int width, int height) {
  int levels = 1;
  for (int size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

}  // namespace

void detail::bindForEdit(GLuint texture) {
  glActiveTexture(GL_TEXTURE0 + kEditTextureUnit);
  glBindTexture(GL_TEXTURE_2D, texture);
}

bool rectInside(const Rect& rect, int width, int height) {
  return rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height && rect.left < rect.right &&
         rect.top < rect.bottom;
}

Texture::Texture(Kind kind, int width, int height, bool mipmaps)
    : m_kind(kind), m_width(width), m_height(height), m_mipmaps(mipmaps) {}

std::unique_ptr<Texture> Texture::createManaged(int width, int height, bool mipmaps) {
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) return nullptr;
  std::unique_ptr<Texture> texture(new Texture(Kind::Managed, width, height, mipmaps));
  texture->m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kBytesPerPixel, 0);
  GLuint name = 0;
  glGenTextures(1, &name);
  texture->m_glName = name;
  detail::bindForEdit(name);
  const int levels = mipmaps ? mipLevelCount(width, height) : 1;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texture->m_pixels.data());
  if (mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
  return texture;
}

std::unique_ptr<Texture> Texture::createRenderTarget(int width, int height) {
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
  if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) return nullptr;
  std::unique_ptr<Texture> texture(new Texture(Kind::RenderTarget, width, height, false));
  GLuint name = 0;
  glGenTextures(1, &name);
  texture->m_glName = name;
  detail::bindForEdit(name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  texture->fill(0);
  return texture;
}

Texture::~Texture() {
  if (m_readFramebuffer != 0) {
    GLuint framebuffer = m_readFramebuffer;
    glDeleteFramebuffers(1, &framebuffer);
  }
  if (m_glName != 0) {
    detail::forgetTexture(this);
    GLuint name = m_glName;
    glDeleteTextures(1, &name);
  }
}

Texture::LockedRect Texture::lockRect(const Rect* rect, bool readOnly) {
  if (m_kind != Kind::Managed || m_locked) return {};
  Rect area{0, 0, m_width, m_height};
  if (rect != nullptr) {
    area.left = std::clamp(rect->left, 0, m_width);
    area.top = std::clamp(rect->top, 0, m_height);
    area.right = std::clamp(rect->right, 0, m_width);
    area.bottom = std::clamp(rect->bottom, 0, m_height);
    if (area.left >= area.right || area.top >= area.bottom) return {};
  }
  m_locked = true;
  m_lockReadOnly = readOnly;
  m_lockedRect = area;
  const int pitch = m_width * kBytesPerPixel;
  return {m_pixels.data() + static_cast<std::size_t>(area.top) * pitch + static_cast<std::size_t>(area.left) * 4,
          pitch};
}

void Texture::unlock() {
  if (!m_locked) return;
  m_locked = false;
  if (!m_lockReadOnly) upload(m_lockedRect);
}

void Texture::upload(const Rect& rect) {
  detail::bindForEdit(m_glName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, m_width);
  const std::uint8_t* first =
      m_pixels.data() + (static_cast<std::size_t>(rect.top) * m_width + rect.left) * kBytesPerPixel;
  glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top, rect.width(), rect.height(), GL_BGRA, GL_UNSIGNED_BYTE, first);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  if (m_mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
}

bool Texture::update(const Rect& rect, const void* source, int sourcePitch) {
  if (!rectInside(rect, m_width, m_height) || source == nullptr || m_locked) return false;
  const auto* from = static_cast<const std::uint8_t*>(source);
  const std::size_t rowBytes = static_cast<std::size_t>(rect.width()) * kBytesPerPixel;
  if (m_kind == Kind::Managed) {
    for (int row = 0; row < rect.height(); ++row) {
      std::memcpy(m_pixels.data() + (static_cast<std::size_t>(rect.top + row) * m_width + rect.left) * 4,
                  from + static_cast<std::ptrdiff_t>(row) * sourcePitch, rowBytes);
    }
    upload(rect);
    return true;
  }
  detail::bindForEdit(m_glName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, sourcePitch / kBytesPerPixel);
  if (sourcePitch % kBytesPerPixel == 0) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top, rect.width(), rect.height(), GL_BGRA, GL_UNSIGNED_BYTE,
                    from);
  } else {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    for (int row = 0; row < rect.height(); ++row) {
      glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top + row, rect.width(), 1, GL_BGRA, GL_UNSIGNED_BYTE,
                      from + static_cast<std::ptrdiff_t>(row) * sourcePitch);
    }
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  return true;
}

void Texture::fill(std::uint32_t colour) {
  if (m_kind == Kind::Managed) {
    if (m_locked) return;
    for (std::size_t i = 0; i < m_pixels.size(); i += 4) std::memcpy(&m_pixels[i], &colour, 4);
    upload({0, 0, m_width, m_height});
    return;
  }
  GLint previous = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, readFramebuffer());
  GLboolean mask[4] = {};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(static_cast<float>((colour >> 16) & 0xFF) / 255.0f, static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
               static_cast<float>(colour & 0xFF) / 255.0f, static_cast<float>(colour >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previous));
}

unsigned Texture::readFramebuffer() const {
  if (m_readFramebuffer == 0) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_glName, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    m_readFramebuffer = framebuffer;
  }
  return m_readFramebuffer;
}

bool Texture::readPixels(const Rect& rect, void* destination, int destinationPitch) const {
  if (!rectInside(rect, m_width, m_height) || destination == nullptr) return false;
  auto* to = static_cast<std::uint8_t*>(destination);
  const std::size_t rowBytes = static_cast<std::size_t>(rect.width()) * kBytesPerPixel;
  if (m_kind == Kind::Managed) {
    for (int row = 0; row < rect.height(); ++row) {
      std::memcpy(to + static_cast<std::ptrdiff_t>(row) * destinationPitch,
                  m_pixels.data() + (static_cast<std::size_t>(rect.top + row) * m_width + rect.left) * 4, rowBytes);
    }
    return true;
  }
  // Mesa's software rasteriser was seen handing back a target's pixels from before draws still in flight for it
  // (a frame or two old); finishing first makes every read-back exact, at the cost of a wait a read needs anyway.
  glFinish();
  // Render targets store their rows top-down (the projection flips y), so GL's row order is already ours.
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (destinationPitch % kBytesPerPixel == 0) {
    glPixelStorei(GL_PACK_ROW_LENGTH, destinationPitch / kBytesPerPixel);
    glReadPixels(rect.left, rect.top, rect.width(), rect.height(), GL_BGRA, GL_UNSIGNED_BYTE, to);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  } else {
    for (int row = 0; row < rect.height(); ++row) {
      glReadPixels(rect.left, rect.top + row, rect.width(), 1, GL_BGRA, GL_UNSIGNED_BYTE,
                   to + static_cast<std::ptrdiff_t>(row) * destinationPitch);
    }
  }
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
  return true;
}

}  // namespace gfx
