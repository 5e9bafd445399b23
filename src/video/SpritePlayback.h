#pragma once

// A movie playing on a sprite: owns the reader, keeps the sprite's video clock and decodes frames into the
// sprite's bitmap as Sprite#update asks.

#include <memory>

#include "scene/Sprite.h"
#include "video/VideoReader.h"

namespace bitmap {
class Bitmap;
}

namespace video {

class SpritePlayback final : public scene::SpriteVideo {
 public:
  explicit SpritePlayback(std::unique_ptr<VideoReader> reader) : m_reader(std::move(reader)) {}

  const VideoReader& reader() const { return *m_reader; }
  // Starts the sprite's video clock at the current time of the clock source.
  void startClock(scene::Sprite& sprite) const;
  bool advance(scene::Sprite& sprite) override;

 private:
  std::unique_ptr<VideoReader> m_reader;
};

// Copies the reader's last frame into `target`: row i (bottom row of the picture first) into the first
// width × 3 bytes of the bitmap's row i, leaving the rest of each row alone. A bitmap a script swapped in that is
// smaller than the movie gets what fits.
void copyFrame(const VideoReader& reader, bitmap::Bitmap& target);

}  // namespace video
