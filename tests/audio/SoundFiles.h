#pragma once

// Sound files the audio tests make for themselves: WAV written byte by byte, compressed formats encoded with
// FFmpeg's own encoders.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace audio::test {

// Interleaved frames of a sine (amplitude, frequency in Hz).
std::vector<float> sine(double frequency, double amplitude, unsigned sampleRate, std::size_t frames,
                        unsigned channels = 1);
// Distinct values at every frame (a slow ramp plus a wobble), so a misplaced frame is caught.
std::vector<float> signature(std::size_t frames, unsigned channels);

// 16-bit PCM WAV.
std::vector<std::uint8_t> makeWav(const std::vector<float>& samples, unsigned channels, unsigned sampleRate);

// Encodes with FFmpeg into `path`: container "ogg" (codec "libvorbis"), "flac", "mp3" ("libmp3lame").
// `tags` go into the stream's metadata. False when the encoder is missing.
bool encodeFile(const std::string& path, const std::string& container, const std::string& codec,
                const std::vector<float>& samples, unsigned channels, unsigned sampleRate,
                const std::map<std::string, std::string>& tags = {});

std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
// A fresh folder for this test process.
std::string tempFolder();

// Strongest bin's frequency (Hz) and the ratio (dB) of everything outside +-`guardBins` of it to the peak.
struct Spectrum {
  double peakHz = 0.0;
  double spurDb = 0.0;
  double rms = 0.0;
};
Spectrum analyse(const std::vector<float>& mono, unsigned sampleRate, int guardBins = 8);

}  // namespace audio::test
