#pragma once

// What the animation states of all Spine objects have notified, for scripts to poll: one process-wide table keyed
// by event name, track and the animation state that notified it. Track-entry notifications are recorded under
// reserved names ("__Start", "__Interrupt", "__End", "__Complete", "__Dispose"), keyed animation events under
// their own name with their values.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "skeleton/runtime/AnimationState.h"

namespace skeleton {

struct EventRecord {
  bool triggered = false;
  int intData = 0;
  float floatData = 0.0f;
  std::string stringData;
};

// The name an event is recorded under: the reserved name of its kind, or the keyed event's own name.
std::string_view recordedEventName(spine::EventType type, const spine::Event* event);

class EventTable {
 public:
  // Marks (name, track, owner) triggered, creating the entry; a keyed event also stores its values.
  void record(std::string_view name, int track, const void* owner, const spine::Event* event);
  // The triggered flag, cleared unless `keep`; false for a key never recorded (which stays absent).
  bool takeTriggered(std::string_view name, int track, const void* owner, bool keep);
  // The entry, or null; reading changes nothing.
  const EventRecord* find(std::string_view name, int track, const void* owner) const;
  // Drops every entry of an owner that goes away.
  void dropOwner(const void* owner);
  std::size_t size() const { return m_entries.size(); }

 private:
  // The owner's address as a number, so that keys of different owners have a defined order.
  using Key = std::tuple<std::string, int, std::uintptr_t>;
  struct KeyOrder {
    using is_transparent = void;
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      const std::string_view nameA = std::get<0>(a), nameB = std::get<0>(b);
      return std::tie(nameA, std::get<1>(a), std::get<2>(a)) < std::tie(nameB, std::get<1>(b), std::get<2>(b));
    }
  };
  using Lookup = std::tuple<std::string_view, int, std::uintptr_t>;
  std::map<Key, EventRecord, KeyOrder> m_entries;
};

EventTable& eventTable();

}  // namespace skeleton
