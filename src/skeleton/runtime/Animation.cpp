#include "skeleton/runtime/Animation.h"

#include <cmath>

namespace spine {

Animation::Animation(std::string name, std::vector<std::unique_ptr<Timeline>> timelines, float duration)
    : m_name(std::move(name)), m_timelines(std::move(timelines)), m_duration(duration) {
  for (const auto& timeline : m_timelines) m_ids.insert(timeline->propertyId());
}

void Animation::apply(Skeleton& skeleton, float lastTime, float time, bool loop, std::vector<const Event*>* events,
                      float alpha, MixBlend blend, MixDirection direction) const {
  if (loop && m_duration != 0) {
    time = std::fmod(time, m_duration);
    if (lastTime > 0) lastTime = std::fmod(lastTime, m_duration);
  }
  for (const auto& timeline : m_timelines) timeline->apply(skeleton, lastTime, time, events, alpha, blend, direction);
}

}  // namespace spine
