#pragma once

// Bitmaps: one managed texture of the graphics layer each, edited on the processor through the texture's own
// copy of its pixels and drawn by the renderer from the texture. This header offers the record behind a
// `Bitmap` script object and the operations other subsystems use without a script call: making a bitmap of a
// size, wrapping one as a script object, loading an image file, blits, and reading a whole game file.
//
// Textures need the graphics layer's context current while they are made, edited or destroyed: scripts run
// with the renderer's context current. releaseAllTextures() lets the owner of the context take every bitmap's
// texture down before the context goes; each bitmap keeps its pixels and gets a new texture when next used.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap/core/PixelBuffer.h"
#include "bitmap/core/PixelOps.h"
#include "engine/ScriptApi.h"

namespace gfx {
class Texture;
}

namespace bitmap {

class Font;

class Bitmap {
 public:
  Bitmap();
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int width() const { return m_width; }
  int height() const { return m_height; }
  bool disposed() const { return m_disposed; }
  // False for a record that was allocated but never given pixels (and after dispose).
  bool hasPixels() const { return m_texture != nullptr || m_parked.has_value(); }

  // Gives the record its pixels; false (record unchanged) when no texture of that size can be made.
  [[nodiscard]] bool create(int width, int height);
  [[nodiscard]] bool adopt(std::unique_ptr<gfx::Texture> texture);
  [[nodiscard]] bool adopt(ConstPixelView pixels);
  // Takes the other record's pixels, leaving it without any.
  [[nodiscard]] bool adopt(Bitmap&& other);

  // The texture the renderer draws; null once disposed. Made anew from the kept pixels after
  // releaseAllTextures().
  gfx::Texture* texture();

  // The pixels for reading (empty when there are none).
  ConstPixelView pixels();
  // Locks `region` (clamped as lockRegion does) for editing and returns a view of the whole bitmap: edits
  // belong inside the region, or are reported with markDirty. Locks nest; the outermost unlock hands the dirty
  // area to the texture. Empty when there are no pixels.
  PixelView lock(const PixelRect& region);
  PixelView lockAll() { return lock({0, 0, m_width, m_height}); }
  void markDirty(const PixelRect& area);
  void unlock();
  bool locked() const { return m_lockDepth > 0; }

  // Releases the texture and marks the record disposed. While locked, the pixels stay until the last unlock.
  void dispose();

  // The record of the Font object the script side holds as the bitmap's font; null until it has one.
  Font* font = nullptr;

  // Moves the texture's pixels into the record and destroys the texture (the context is current).
  void parkTexture();

 private:
  void ensureTexture();

  int m_width = 0;
  int m_height = 0;
  bool m_disposed = false;
  std::unique_ptr<gfx::Texture> m_texture;
  std::optional<PixelBuffer> m_parked;  // the pixels while the record has no texture
  int m_lockDepth = 0;
  PixelRect m_lockRegion;
  PixelRect m_dirty;
  Pixel* m_lockedPixels = nullptr;
  Bitmap* m_previous = nullptr;  // every live record, for releaseAllTextures
  Bitmap* m_next = nullptr;
  friend void releaseAllTextures();
};

// Takes every bitmap's pixels off its texture and destroys the textures, with the context still current; each
// bitmap makes a new texture when it is next used. Call before the graphics context goes away.
void releaseAllTextures();

// A record of the given size, all pixels transparent black; null when the size is not positive or too large.
std::unique_ptr<Bitmap> createBitmap(int width, int height);

// A `Bitmap` script object of a record, with a new Font of the class defaults. May raise (no C++ objects with
// destructors may be alive in the caller's frame).
engine::Value wrapBitmap(std::unique_ptr<Bitmap> record);
// The same for a texture (a screen snapshot); takes ownership. Suits the renderer's snapshot wrapper.
engine::Value wrapTexture(gfx::Texture* texture);

// Why an image could not be loaded.
enum class LoadFailure { None, NotFound, Undecodable, TooLarge };

// A whole game file: the engine's file layer first (archive, game folder, runtime packages), then the name as
// a path on disk. Empty when neither has it.
std::optional<std::vector<std::uint8_t>> readGameFile(std::string_view name,
                                                      engine::FileKind kind = engine::FileKind::Any);

// Decodes an image file found as readGameFile finds it (image extensions probed).
std::unique_ptr<Bitmap> loadImage(std::string_view name, LoadFailure* failure);
// Raises what a failed load reports to scripts: "failed to create bitmap \n<name>" for data that is not an
// image, the system error of "no such file" (error number 2) with the name when it is found nowhere.
[[noreturn]] void raiseLoadFailure(LoadFailure failure, const char* name);

// Composition of a source area onto a destination area (scaled by nearest neighbour) at an opacity, and
// the source repeated over a destination area; each edits the destination's pixels and texture.
void blit(Bitmap& destination, const Corners& to, Bitmap& source, const Corners& from, int opacity);
void tiledBlit(Bitmap& destination, const PixelRect& to, Bitmap& source, const PixelRect& from);

// Disposes and destroys a record that no script object owns.
void freeBitmap(std::unique_ptr<Bitmap> record);

// The script classes (the engine's Bitmap and Font class-initialiser slots).
void defineBitmapClass();
void defineFontClass();

}  // namespace bitmap
