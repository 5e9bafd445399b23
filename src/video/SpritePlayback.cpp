#include "video/SpritePlayback.h"

#include <algorithm>
#include <cstring>

#include "bitmap/Bitmap.h"
#include "video/VideoClock.h"

namespace video {

void SpritePlayback::startClock(scene::Sprite& sprite) const {
  const ClockSource clock = clockSource();
  sprite.videoClockFrequency = clock.frequency;
  sprite.videoClockLast = clock.now();
  sprite.videoClockTime = 0.0;
}

bool SpritePlayback::advance(scene::Sprite& sprite) {
  const std::int64_t now = clockSource().now();
  const ClockStep step = stepVideoClock(sprite.videoClockTime, now - sprite.videoClockLast, sprite.videoClockFrequency,
                                        m_reader->frameDuration());
  sprite.videoClockTime = step.time;
  sprite.videoClockLast = now;
  if (!step.frameDue) return true;
  if (!m_reader->nextFrame()) return false;
  // A bitmap the script disposed or took away is simply not fed; the movie keeps its pace.
  if (sprite.bitmap != nullptr && !sprite.bitmap->disposed()) copyFrame(*m_reader, *sprite.bitmap);
  return true;
}

void copyFrame(const VideoReader& reader, bitmap::Bitmap& target) {
  const int rows = std::min(reader.height(), target.height());
  const int rowBytes = std::min(reader.frameRowBytes(), target.width() * 4);
  if (rows <= 0 || rowBytes <= 0) return;
  const int texels = (rowBytes + 3) / 4;
  const bitmap::PixelView pixels = target.lock({0, 0, texels, rows});
  if (!pixels.empty()) {
    for (int i = 0; i < rows; ++i) {
      std::memcpy(reinterpret_cast<std::uint8_t*>(pixels.row(i)), reader.frameRow(i),
                  static_cast<std::size_t>(rowBytes));
    }
  }
  target.unlock();
}

}  // namespace video
