#include "scene/Window.h"

#include <algorithm>
#include <climits>

#include "bitmap/Bitmap.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"
#include "scene/WindowSkin.h"

namespace scene {

namespace {

std::vector<Window*>& liveWindows() {
  // Never destroyed: the collector may release windows after static destructors have run.
  static auto* const list = new std::vector<Window*>();
  return *list;
}

bool usableSkin(bitmap::Bitmap* skin) { return skin != nullptr && !skin->disposed() && skin->hasPixels(); }

bitmap::Corners corners(const SkinBox& box) { return {box.left, box.top, box.right, box.bottom}; }

bitmap::PixelRect pixelRect(const SkinBox& box) {
  // Pieces are painted into bitmaps of int size, so a destination reaching beyond int is clipped anyway.
  const auto narrow = [](std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN / 2, INT_MAX / 2));
  };
  return {narrow(box.left), narrow(box.top), narrow(box.right - box.left), narrow(box.bottom - box.top)};
}

void paint(bitmap::Bitmap& target, bitmap::Bitmap& skin, const std::vector<SkinPiece>& pieces) {
  for (const SkinPiece& piece : pieces) {
    if (piece.fill == SkinFill::Stretch) {
      bitmap::blit(target, corners(piece.to), skin, corners(piece.from), 255);
    } else {
      bitmap::tiledBlit(target, pixelRect(piece.to), skin, pixelRect(piece.from));
    }
  }
}

// Gives `sprite` a new empty bitmap of its own of the given size, or none when no bitmap of that size can
// exist (an empty or inverted area, or one too large).
bitmap::Bitmap* renewOwnBitmap(Sprite& sprite, std::int64_t width, std::int64_t height) {
  sprite.releaseBitmap();
  if (width > 0 && height > 0 && width <= INT_MAX && height <= INT_MAX) {
    sprite.ownedBitmap = bitmap::createBitmap(static_cast<int>(width), static_cast<int>(height));
  }
  sprite.setBitmap(sprite.ownedBitmap.get(), nullptr);
  return sprite.ownedBitmap.get();
}

void showSkinArea(Sprite& sprite, bitmap::Bitmap* skin, const engine::RectData& area) {
  sprite.setBitmap(skin, nullptr);
  sprite.setSourceRect(area.x, area.y, area.width, area.height);
}

}  // namespace

Window::Window() = default;

Window::~Window() { teardown(); }

void Window::teardown() {
  if (m_listed) {
    std::vector<Window*>& list = liveWindows();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    m_listed = false;
  }
  for (std::unique_ptr<Sprite>& sprite : m_parts) sprite.reset();
}

void Window::initialize(std::int32_t left, std::int32_t top, std::int32_t newWidth, std::int32_t newHeight) {
  teardown();
  animation = {};
  visible = true;
  x = left;
  y = top;
  width = newWidth;
  height = newHeight;
  z = 100;
  ox = oy = 0;
  padding = paddingBottom = kDefaultPadding;
  opacity = 255;
  backOpacity = 192;
  contentsOpacity = 255;
  openness = 255;
  backIndent = 2;
  arrowsVisible = true;
  pause = false;
  active = true;
  cursor = lastCursor = {};
  viewport = nullptr;
  ownedCursorRect = std::make_unique<engine::RectData>();
  ownedTone = std::make_unique<bindings::Tone>();
  cursorRect = ownedCursorRect.get();
  windowskin = contents = m_paintedSkin = nullptr;
  for (std::unique_ptr<Sprite>& sprite : m_parts) {
    sprite = std::make_unique<Sprite>(Sprite::PlayerOwned{});
    sprite->ordersByY = false;
  }
  m_initialized = true;
  m_disposed = false;
  setTone(ownedTone.get());
  showSkinArea(part(WindowPart::UpArrow), nullptr, kUpArrow);
  showSkinArea(part(WindowPart::LeftArrow), nullptr, kLeftArrow);
  showSkinArea(part(WindowPart::RightArrow), nullptr, kRightArrow);
  showSkinArea(part(WindowPart::DownArrow), nullptr, kDownArrow);
  liveWindows().push_back(this);
  m_listed = true;
  refreshCursor();
}

void Window::dispose() {
  if (disposed()) return;
  m_disposed = true;
  for (WindowPart own : {WindowPart::Back, WindowPart::Frame, WindowPart::Cursor}) part(own).releaseBitmap();
  for (std::unique_ptr<Sprite>& sprite : m_parts) sprite->dispose();
  windowskin = contents = m_paintedSkin = nullptr;
  if (m_listed) {
    std::vector<Window*>& list = liveWindows();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    m_listed = false;
  }
}

void Window::update() {
  if (active) stepAnimation(animation);
}

void Window::repaintSkin() {
  if (disposed() || !usableSkin(windowskin)) return;
  bitmap::Bitmap& skin = *windowskin;
  if (bitmap::Bitmap* back = renewOwnBitmap(part(WindowPart::Back), width, height)) {
    paint(*back, skin, backPieces(width, height, backIndent));
  }
  if (bitmap::Bitmap* frame = renewOwnBitmap(part(WindowPart::Frame), width, height)) {
    paint(*frame, skin, framePieces(width, height));
  }
  m_paintedSkin = &skin;
  showSkinArea(part(WindowPart::UpArrow), &skin, kUpArrow);
  showSkinArea(part(WindowPart::LeftArrow), &skin, kLeftArrow);
  showSkinArea(part(WindowPart::RightArrow), &skin, kRightArrow);
  showSkinArea(part(WindowPart::DownArrow), &skin, kDownArrow);
  showSkinArea(part(WindowPart::Pause), &skin, pauseSignSource(animation.pauseFrame));
  repaintCursor();
}

void Window::refreshCursor() {
  if (disposed()) return;
  cursor = cursorBox(*cursorRect);
  if (cursor.width() != lastCursor.width() || cursor.height() != lastCursor.height()) {
    lastCursor = cursor;
    repaintCursor();
  }
}

void Window::repaintCursor() {
  if (!usableSkin(windowskin)) return;
  const std::int64_t w = cursor.width();
  const std::int64_t h = cursor.height();
  // One pixel more than the rectangle each way.
  if (bitmap::Bitmap* image = renewOwnBitmap(part(WindowPart::Cursor), w + 1, h + 1)) {
    paint(*image, *windowskin, cursorPieces(w, h));
  }
}

void Window::layout() {
  if (disposed()) return;
  refreshCursor();
  const bool shown = visible && openness >= 255;
  const std::int32_t halfHeight = height / 2;
  const InsideSize inside = insideSize(width, height, padding, paddingBottom);
  const float openScale = static_cast<float>(openness) / 255.0f;

  // Back and frame open and close about the window's horizontal centre line.
  for (WindowPart shell : {WindowPart::Back, WindowPart::Frame}) {
    Sprite& sprite = part(shell);
    sprite.visible = visible;
    sprite.x = x;
    sprite.y = wrapAdd(y, halfHeight);
    sprite.oy = halfHeight;
    sprite.zoomY = openScale;
    sprite.z = z;
  }
  Sprite& back = part(WindowPart::Back);
  back.tone = tone;
  back.opacity = backOpacity * opacity / 255;
  part(WindowPart::Frame).opacity = opacity;

  Sprite& shownContents = part(WindowPart::Contents);
  shownContents.visible = shown;
  shownContents.x = wrapAdd(x, padding);
  shownContents.y = wrapAdd(y, padding);
  shownContents.z = z;
  shownContents.opacity = contentsOpacity;
  shownContents.setSourceRect(ox, oy, inside.width, inside.height);

  Sprite& pauseSign = part(WindowPart::Pause);
  pauseSign.z = z;
  pauseSign.x = wrapAdd(x, width / 2, -8);
  pauseSign.y = wrapAdd(y, height, -16);
  pauseSign.visible = shown && pause;
  const engine::RectData sign = pauseSignSource(animation.pauseFrame);
  pauseSign.setSourceRect(sign.x, sign.y, sign.width, sign.height);

  // The cursor sits below the contents, which may draw over it (its part comes first).
  Sprite& cursorSprite = part(WindowPart::Cursor);
  cursorSprite.x = wrapAdd(x, -static_cast<std::int64_t>(ox), static_cast<std::int64_t>(cursor.left) + padding);
  cursorSprite.y = wrapAdd(y, -static_cast<std::int64_t>(oy), static_cast<std::int64_t>(cursor.top) + padding);
  cursorSprite.z = z;
  cursorSprite.opacity = cursorBlink(animation.cursorPhase) * contentsOpacity / 255;
  cursorSprite.visible = shown && !cursor.empty();

  engine::RectData contentsArea{};
  if (contents != nullptr) contentsArea = {0, 0, contents->width(), contents->height()};
  const ScrollArrows arrows =
      scrollArrows(ox, oy, inside.width, inside.height, contents != nullptr ? &contentsArea : nullptr);
  const bool arrowsShown = shown && arrowsVisible;
  const auto placeArrow = [&](WindowPart which, std::int32_t left, std::int32_t top, bool scrolls) {
    Sprite& arrow = part(which);
    arrow.x = left;
    arrow.y = top;
    arrow.z = z;
    arrow.visible = arrowsShown && scrolls;
  };
  placeArrow(WindowPart::UpArrow, wrapAdd(x, width / 2, -8), wrapAdd(y, 4), arrows.up);
  placeArrow(WindowPart::LeftArrow, wrapAdd(x, 4), wrapAdd(y, halfHeight, -8), arrows.left);
  placeArrow(WindowPart::RightArrow, wrapAdd(x, width, -12), wrapAdd(y, halfHeight, -8), arrows.right);
  placeArrow(WindowPart::DownArrow, wrapAdd(x, width / 2, -8), wrapAdd(y, height, -12), arrows.down);
}

void Window::setViewport(Viewport* target) {
  viewport = target;
  if (disposed()) return;
  for (std::unique_ptr<Sprite>& sprite : m_parts) sprite->attach(target);
}

void Window::setContents(bitmap::Bitmap* image) {
  contents = image;
  if (disposed()) return;
  part(WindowPart::Contents).setBitmap(image, nullptr);
}

void Window::setTone(bindings::Tone* shared) {
  tone = shared;
  if (!disposed()) part(WindowPart::Back).tone = shared;
}

void Window::setWindowskin(bitmap::Bitmap* image) {
  windowskin = image;
  repaintSkin();
}

const std::vector<Window*>& windowList() { return liveWindows(); }

void layoutWindows() {
  for (Window* window : liveWindows()) window->layout();
}

}  // namespace scene
