#include "skeleton/runtime/AnimationStateData.h"

#include "skeleton/runtime/SkeletonData.h"

namespace spine {

void AnimationStateData::setMix(const Animation* from, const Animation* to, float seconds) {
  m_mixes[{from, to}] = seconds;
}

bool AnimationStateData::setMix(std::string_view fromName, std::string_view toName, float seconds) {
  const Animation* from = m_skeletonData.findAnimation(fromName);
  const Animation* to = m_skeletonData.findAnimation(toName);
  if (!from || !to) return false;
  setMix(from, to, seconds);
  return true;
}

float AnimationStateData::getMix(const Animation* from, const Animation* to) const {
  auto it = m_mixes.find({from, to});
  return it != m_mixes.end() ? it->second : m_defaultMix;
}

}  // namespace spine
