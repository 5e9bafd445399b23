#pragma once

// Video on sprites: the script methods start_video, video_playing?, video_width and video_height, added to
// the Sprite class once it is defined.

namespace video {

// Defines the video methods on Sprite; the Sprite and Bitmap classes must exist.
void defineSpriteVideoMethods();

}  // namespace video
