// Sprite#start_video, video_playing?, video_width and video_height.

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "engine/FileLayer.h"
#include "engine/KeepAlive.h"
#include "scene/Sprite.h"
#include "scene/SpriteClass.h"
#include "video/ScriptText.h"
#include "video/SpritePlayback.h"
#include "video/Video.h"

namespace video {

namespace {

using bindings::api;
using engine::Value;
using scene::Sprite;

constexpr const char* kFailedToPlay = "failed to play video file";

// The movie on disk: the name as given when it names a file, else the game's folders looked up as the game's
// other files are (either slash, any case), since games were written for a case-insensitive file system.
std::optional<std::string> findMovie(const std::string& name) {
  struct stat info {};
  if (::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return name;
  return engine::FileLayer::instance().findOnDisk(name);
}

const VideoReader* playingReader(const Sprite& sprite) {
  if (!sprite.videoPlaying || !sprite.videoReader) return nullptr;
  const auto* playback = dynamic_cast<const SpritePlayback*>(sprite.videoReader.get());
  return playback != nullptr ? &playback->reader() : nullptr;
}

// What opening leaves for the steps that call back into scripts; plain values only, since those calls may
// unwind past this frame.
struct Opened {
  int width = 0;
  int height = 0;
  Value soundScript = 0;  // a script string, or 0 when the movie is silent
};

Value spriteStartVideo(Value self, Value path) {
  bindings::detail::forgetStalePoison();
  Opened opened;
  auto open = [&] {
    Sprite& sprite = bindings::selfRecord<Sprite>(self);
    const std::string name(bindings::stringView(path));
    const std::optional<std::string> file = findMovie(name);
    if (!file) throw bindings::scriptError("%s", kFailedToPlay);
    // The old movie stops whether or not the new one opens.
    sprite.videoReader.reset();
    sprite.videoPlaying = false;
    sprite.videoClockTime = 0.0;
    auto reader = std::make_unique<VideoReader>(*file);
    sprite.effectName = "Video";
    if (!reader->ok()) {
      std::fprintf(stderr, "[video] %s: %s\n", file->c_str(), reader->error().c_str());
      throw bindings::scriptError("%s", kFailedToPlay);
    }
    // A sound-only file still gets a bitmap, so scripts that dispose the movie's bitmap find one.
    opened.width = reader->hasVideo() ? reader->width() : 1;
    opened.height = reader->hasVideo() ? reader->height() : 1;
    if (reader->hasAudio()) opened.soundScript = bindings::newString(soundTrackScript(reader->wavPath()));
    sprite.videoReader = std::make_unique<SpritePlayback>(std::move(reader));
  };
  if (!bindings::detail::guarded(open)) bindings::detail::raisePending();

  const Value size[2] = {api().int2num(opened.width), api().int2num(opened.height)};
  const Value image = api().funcall(bindings::ScriptClass<bitmap::Bitmap>::value, api().intern("new"), 2, size);
  auto attach = [&] { scene::setSpriteBitmap(self, image); };
  if (!bindings::detail::guarded(attach)) bindings::detail::raisePending();

  if (opened.soundScript != 0) api().eval_string(api().string_ptr(opened.soundScript));
  engine::keepAlive(opened.soundScript);

  // The sound script may have done anything, disposing this sprite or starting another movie included.
  auto start = [&] {
    Sprite& sprite = bindings::selfRecord<Sprite>(self);
    const auto* playback = dynamic_cast<const SpritePlayback*>(sprite.videoReader.get());
    if (playback == nullptr) return;
    playback->startClock(sprite);
    sprite.videoPlaying = true;
  };
  if (!bindings::detail::guarded(start)) bindings::detail::raisePending();
  return api().nil;
}

bool spriteVideoPlayingP(const Sprite& sprite) { return sprite.videoPlaying; }

int spriteVideoWidth(const Sprite& sprite) {
  const VideoReader* reader = playingReader(sprite);
  return reader != nullptr ? reader->width() : 0;
}

int spriteVideoHeight(const Sprite& sprite) {
  const VideoReader* reader = playingReader(sprite);
  return reader != nullptr ? reader->height() : 0;
}

}  // namespace

void defineSpriteVideoMethods() {
  const Value sprite = bindings::ScriptClass<Sprite>::value;
  // start_video calls back into scripts between its steps, so it is entered without the binding trampoline.
  api().define_method(sprite, "start_video", reinterpret_cast<engine::AnyMethod>(&spriteStartVideo), 1);
  bindings::defineMethod<&spriteVideoPlayingP>(sprite, "video_playing?");
  bindings::defineMethod<&spriteVideoWidth>(sprite, "video_width");
  bindings::defineMethod<&spriteVideoHeight>(sprite, "video_height");
}

}  // namespace video
