#pragma once

// The record behind a `Window`: a framed box drawn by nine sprites of its own, which it arranges once a frame
// from its properties, and bitmaps it paints from a window skin. The parts take part in the usual draw order
// through their z values and viewport; every live window stands in one list in creation order, which the
// frame lays out before anything is drawn.
//
// Fields are public, as in the other scene records: the script class writes them and the layout reads them.
// The skin, the contents, the cursor rectangle and the tone belong to script objects that the script side
// keeps alive; the record owns only its parts and the back, frame and cursor bitmaps they show.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "bindings/Tone.h"
#include "engine/ScriptApi.h"
#include "scene/WindowMath.h"

namespace bitmap {
class Bitmap;
}

namespace scene {

class Sprite;
class Viewport;

// The parts in creation order, which is their drawing order: all stand at the window's z and order by creation, with
// serials taken in one run, so a window draws as one piece and a later window of the same z covers it whole.
enum class WindowPart { Back, Frame, Cursor, Contents, UpArrow, LeftArrow, RightArrow, DownArrow, Pause };
inline constexpr int kWindowParts = 9;

class Window {
 public:
  // A raw record, not yet a window: it has no parts and counts as disposed until initialize().
  Window();
  // Leaves the window list; the parts leave their draw lists.
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Every property at its default and the given place and size; creates the nine parts on the screen's list
  // and enters the window list. On a window that was set up already, the old parts go first.
  void initialize(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
  // Once: releases the back, frame and cursor bitmaps, disposes the parts and leaves the window list. The
  // contents and the skin belong to scripts and stay as they are.
  void dispose();
  bool disposed() const { return m_disposed || !m_initialized; }

  // One frame of the script's update: the cursor blink and the pause sign, while active.
  void update();
  // Paints back, frame and cursor anew from the skin and gives the skin to the arrows and the pause sign.
  // Without a usable skin nothing changes, so the last drawings stay.
  void repaintSkin();
  // Takes the cursor rectangle from its rectangle object; a new size repaints the cursor.
  void refreshCursor();
  // Arranges the parts for the next frame.
  void layout();

  void setViewport(Viewport* target);
  // Shown in the contents part; null shows nothing.
  void setContents(bitmap::Bitmap* image);
  // Repaints with the new skin (a null or empty one keeps what was painted).
  void setWindowskin(bitmap::Bitmap* image);
  // The back shows the new tone at once: the one it showed may be collected as soon as it is replaced.
  void setTone(bindings::Tone* shared);

  Sprite& part(WindowPart which) const { return *m_parts[static_cast<std::size_t>(which)]; }
  // The skin the arrows and the pause sign show: the last one painted from, which may no longer be the
  // window's skin.
  bitmap::Bitmap* paintedSkin() const { return m_paintedSkin; }

  WindowAnimation animation;
  bool visible = true;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t z = 100;
  std::int32_t ox = 0;
  std::int32_t oy = 0;
  static constexpr std::int32_t kDefaultPadding = 8;
  std::int32_t padding = kDefaultPadding;
  std::int32_t paddingBottom = kDefaultPadding;
  std::int32_t opacity = 255;
  std::int32_t backOpacity = 192;
  std::int32_t contentsOpacity = 255;
  std::int32_t openness = 255;
  std::int32_t backIndent = 2;
  bool arrowsVisible = true;
  bool pause = false;
  bool active = true;
  CursorBox cursor;
  CursorBox lastCursor;  // the size the cursor bitmap was last painted for
  Viewport* viewport = nullptr;
  // Point at the script's objects' data once the script class has set the window up.
  engine::RectData* cursorRect = nullptr;
  bindings::Tone* tone = nullptr;
  bitmap::Bitmap* windowskin = nullptr;
  bitmap::Bitmap* contents = nullptr;

  std::unique_ptr<engine::RectData> ownedCursorRect = std::make_unique<engine::RectData>();
  std::unique_ptr<bindings::Tone> ownedTone = std::make_unique<bindings::Tone>();

 private:
  void repaintCursor();
  void teardown();

  std::array<std::unique_ptr<Sprite>, kWindowParts> m_parts;
  bitmap::Bitmap* m_paintedSkin = nullptr;
  bool m_initialized = false;
  bool m_disposed = false;
  bool m_listed = false;
};

// Every live window in creation order.
const std::vector<Window*>& windowList();

// Lays out every window for the frame about to be drawn.
void layoutWindows();

}  // namespace scene
