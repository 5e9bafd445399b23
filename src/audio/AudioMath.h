#pragma once

// The pure decisions of the Audio module: the volume curve, clamps, channel numbering and how a name is
// recognised as a MIDI file.

#include <string_view>

namespace audio {

inline constexpr int kBgmChannel = 1;
inline constexpr int kBgsChannel = 2;
inline constexpr int kMeChannel = 3;
inline constexpr int kFirstSeChannel = 10;
inline constexpr int kLastSeChannel = 19;

// Internal volume for a script volume v: trunc((16^(v/100) − 1) / 15 × 100 × 1.6) within 0 … 200. The 1.6
// is the single-precision constant widened to double; no whole volume truncates differently with either.
int volumeCurve(int scriptVolume);
// Pitch and internal volumes: 0 … 200.
int clampPercent(int value);
// Pan: −100 … 100.
int clampPan(int value);

// True when the text after the first "." of `name` is exactly "mid".
bool isMidiName(std::string_view name);

// The channels SEs take in turn: 10, 11, … 19, then 10 again.
class SeChannelCounter {
 public:
  int current() const { return m_next; }
  // The channel for this SE; the counter moves on to the next one.
  int take();

 private:
  int m_next = kFirstSeChannel;
};

}  // namespace audio
