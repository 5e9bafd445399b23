#pragma once

#include <map>
#include <string_view>
#include <utility>

namespace spine {

class Animation;
class SkeletonData;

// Crossfade durations: a default plus per (from, to) pair, keyed on the animations' identity.
class AnimationStateData {
 public:
  explicit AnimationStateData(const SkeletonData& skeletonData) : m_skeletonData(skeletonData) {}

  const SkeletonData& skeletonData() const { return m_skeletonData; }
  float defaultMix() const { return m_defaultMix; }
  void setDefaultMix(float seconds) { m_defaultMix = seconds; }

  void setMix(const Animation* from, const Animation* to, float seconds);
  // Returns false when either name is not an animation of the skeleton data.
  bool setMix(std::string_view fromName, std::string_view toName, float seconds);
  float getMix(const Animation* from, const Animation* to) const;

 private:
  const SkeletonData& m_skeletonData;
  float m_defaultMix = 0;
  std::map<std::pair<const Animation*, const Animation*>, float> m_mixes;
};

}  // namespace spine
