#include "video/WaveFile.h"

#include <unistd.h>

#include <cstring>
#include <limits>

namespace video {

namespace {

void put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// RIFF sizes are 32-bit and the file size − 8 must fit too.
constexpr std::uint64_t kMaxDataBytes = std::numeric_limits<std::uint32_t>::max() - (kWaveHeaderBytes - 8);

}  // namespace

AudioFormat pcm16Format(int channels, int rate) {
  AudioFormat format;
  format.channels = static_cast<std::uint16_t>(channels);
  format.samplesPerSecond = static_cast<std::uint32_t>(rate);
  format.blockAlign = static_cast<std::uint16_t>(channels * 2);
  format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
  format.bitsPerSample = 16;
  return format;
}

std::array<std::uint8_t, kWaveHeaderBytes> waveHeader(const AudioFormat& format, std::uint32_t dataBytes) {
  std::array<std::uint8_t, kWaveHeaderBytes> header{};
  std::uint8_t* h = header.data();
  std::memcpy(h, "RIFF", 4);
  put32(h + 4, static_cast<std::uint32_t>(kWaveHeaderBytes - 8 + dataBytes));
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  put32(h + 16, 16);
  put16(h + 20, format.formatTag);
  put16(h + 22, format.channels);
  put32(h + 24, format.samplesPerSecond);
  put32(h + 28, format.averageBytesPerSecond);
  put16(h + 32, format.blockAlign);
  put16(h + 34, format.bitsPerSample);
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, dataBytes);
  return header;
}

WaveWriter::WaveWriter(std::string path, const AudioFormat& format)
    : m_path(std::move(path)), m_temporaryPath(m_path + ".part"), m_format(format) {
  m_file = std::fopen(m_temporaryPath.c_str(), "wb");
  if (m_file == nullptr) return;
  // Both sizes stay 0 until finish() knows them.
  const auto header = waveHeader(m_format, 0);
  m_good = std::fwrite(header.data(), 1, header.size(), m_file) == header.size();
}

WaveWriter::~WaveWriter() {
  if (m_file != nullptr) {
    std::fclose(m_file);
    ::unlink(m_temporaryPath.c_str());
  }
}

void WaveWriter::append(const std::uint8_t* bytes, std::size_t size) {
  if (!good() || size == 0) return;
  if (m_dataBytes + size > kMaxDataBytes) {
    m_good = false;
    return;
  }
  m_good = std::fwrite(bytes, 1, size, m_file) == size;
  m_dataBytes += size;
}

bool WaveWriter::finish() {
  if (!good()) return false;
  const auto header = waveHeader(m_format, static_cast<std::uint32_t>(m_dataBytes));
  bool done =
      std::fseek(m_file, 0, SEEK_SET) == 0 && std::fwrite(header.data(), 1, header.size(), m_file) == header.size();
  done = std::fclose(m_file) == 0 && done;
  m_file = nullptr;
  if (done) done = std::rename(m_temporaryPath.c_str(), m_path.c_str()) == 0;
  if (!done) ::unlink(m_temporaryPath.c_str());
  m_good = done;
  return done;
}

}  // namespace video
