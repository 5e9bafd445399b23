#pragma once

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "skeleton/runtime/Timeline.h"

namespace spine {

class Animation {
 public:
  Animation(std::string name, std::vector<std::unique_ptr<Timeline>> timelines, float duration);

  // Poses the skeleton at `time`, firing events keyed in (lastTime, time]. With loop, both times wrap.
  void apply(Skeleton& skeleton, float lastTime, float time, bool loop, std::vector<const Event*>* events, float alpha,
             MixBlend blend, MixDirection direction) const;
  bool hasTimeline(PropertyId id) const { return m_ids.count(id) != 0; }

  const std::string& name() const { return m_name; }
  float duration() const { return m_duration; }
  const std::vector<std::unique_ptr<Timeline>>& timelines() const { return m_timelines; }

 private:
  std::string m_name;
  std::vector<std::unique_ptr<Timeline>> m_timelines;
  std::unordered_set<PropertyId> m_ids;
  float m_duration = 0;
};

}  // namespace spine
