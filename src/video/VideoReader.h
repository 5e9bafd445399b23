#pragma once

// One opened movie: its picture decoded frame by frame into 24-bit rows, bottom row first (the layout the
// renderer's "Video" pass unpacks), and its sound track written once as a 16-bit PCM ".wav" beside it (or at
// its place in the game's user data folder, engine/FileLayer.h).
// Any container and codec FFmpeg reads will do; FFmpeg stays behind this header.

#include <cstdint>
#include <memory>
#include <string>

#include "video/WaveFile.h"

namespace video {

class VideoReader {
 public:
  // Opens `path`. A file FFmpeg cannot read, or whose picture stream yields no frame, leaves ok() false; the
  // sound track is extracted here (before the constructor returns) unless its ".wav" exists already.
  explicit VideoReader(std::string path);
  ~VideoReader();
  VideoReader(const VideoReader&) = delete;
  VideoReader& operator=(const VideoReader&) = delete;

  bool ok() const { return m_ok; }
  // Why ok() is false, for the log.
  const std::string& error() const { return m_error; }
  bool hasVideo() const { return m_width > 0 && m_height > 0; }
  // A sound track was found and its ".wav" is on disk (written now or by an earlier start).
  bool hasAudio() const { return m_hasAudio; }
  // The ".wav" was written by this reader rather than found.
  bool wroteWav() const { return m_wroteWav; }
  const AudioFormat& audioFormat() const { return m_audioFormat; }
  // 100-nanosecond units; 0 for a file without a picture.
  std::int64_t frameDuration() const { return m_frameDuration; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  const std::string& path() const { return m_path; }
  const std::string& wavPath() const { return m_wavPath; }

  // Decodes the next picture; false when there are no more frames (or decoding failed).
  bool nextFrame();
  // Row i of the last decoded frame counted from the bottom of the picture (the order frames are stored in
  // the bitmap): frameRowBytes() bytes of blue, green, red per pixel.
  const std::uint8_t* frameRow(int i) const;
  int frameRowBytes() const { return m_width * 3; }

 private:
  struct Decoder;
  void openVideo();
  void openAudio();

  std::string m_path;
  std::string m_wavPath;
  std::string m_error;
  AudioFormat m_audioFormat;
  std::int64_t m_frameDuration = 0;
  int m_width = 0;
  int m_height = 0;
  bool m_ok = true;
  bool m_hasAudio = false;
  bool m_wroteWav = false;
  // The first frame is decoded while opening, to tell a movie from a file that merely probes as one.
  bool m_firstFramePending = false;
  std::unique_ptr<Decoder> m_decoder;
};

// `path` with its extension (after the last dot of the last component) replaced by ".wav", or ".wav"
// appended when it has none.
std::string wavPathFor(const std::string& path);

}  // namespace video
