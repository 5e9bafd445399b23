#pragma once

// The ".wav" a movie's sound track is extracted to: a RIFF WAVE file with the 16-byte format block and one
// data chunk of 16-bit samples.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace video {

// The 16 bytes of the format block, in file order.
struct AudioFormat {
  std::uint16_t formatTag = 1;  // PCM
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSecond = 0;
  std::uint32_t averageBytesPerSecond = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
};

// 16-bit PCM of `channels` channels at `rate` samples per second.
AudioFormat pcm16Format(int channels, int rate);

inline constexpr std::size_t kWaveHeaderBytes = 44;

// The header of a file holding `dataBytes` sample bytes: "RIFF", file size − 8, "WAVE", "fmt ", 16, the
// format, "data", dataBytes; little-endian whatever the machine.
std::array<std::uint8_t, kWaveHeaderBytes> waveHeader(const AudioFormat& format, std::uint32_t dataBytes);

// Writes a ".wav" beside its final name and renames it into place once complete, so that an interrupted
// extraction never leaves a truncated file that later starts would take as finished.
class WaveWriter {
 public:
  WaveWriter(std::string path, const AudioFormat& format);
  ~WaveWriter();
  WaveWriter(const WaveWriter&) = delete;
  WaveWriter& operator=(const WaveWriter&) = delete;

  // False once anything failed (the file cannot be created or written, or passes the 4 GiB RIFF limit).
  bool good() const { return m_file != nullptr && m_good; }
  void append(const std::uint8_t* bytes, std::size_t size);
  // Patches both size fields and moves the file into place; false (and no file left) on any failure.
  [[nodiscard]] bool finish();

 private:
  std::string m_path;
  std::string m_temporaryPath;
  AudioFormat m_format;
  std::FILE* m_file = nullptr;
  std::uint64_t m_dataBytes = 0;
  bool m_good = true;
};

}  // namespace video
