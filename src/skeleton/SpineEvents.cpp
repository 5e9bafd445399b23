#include "skeleton/SpineEvents.h"

#include "skeleton/runtime/EventData.h"

namespace skeleton {

namespace {

std::uintptr_t ownerKey(const void* owner) { return reinterpret_cast<std::uintptr_t>(owner); }

}  // namespace

std::string_view recordedEventName(spine::EventType type, const spine::Event* event) {
  switch (type) {
    case spine::EventType::Start:
      return "__Start";
    case spine::EventType::Interrupt:
      return "__Interrupt";
    case spine::EventType::End:
      return "__End";
    case spine::EventType::Complete:
      return "__Complete";
    case spine::EventType::Dispose:
      return "__Dispose";
    case spine::EventType::Event:
      return event != nullptr && event->data != nullptr ? std::string_view(event->data->name) : std::string_view();
  }
  return "";
}

void EventTable::record(std::string_view name, int track, const void* owner, const spine::Event* event) {
  auto found = m_entries.find(Lookup{name, track, ownerKey(owner)});
  if (found == m_entries.end())
    found = m_entries.emplace(Key{std::string(name), track, ownerKey(owner)}, EventRecord{}).first;
  EventRecord& entry = found->second;
  entry.triggered = true;
  if (event != nullptr) {
    entry.intData = event->intValue;
    entry.floatData = event->floatValue;
    entry.stringData = event->stringValue;
  }
}

bool EventTable::takeTriggered(std::string_view name, int track, const void* owner, bool keep) {
  auto found = m_entries.find(Lookup{name, track, ownerKey(owner)});
  if (found == m_entries.end()) return false;
  const bool triggered = found->second.triggered;
  if (!keep) found->second.triggered = false;
  return triggered;
}

const EventRecord* EventTable::find(std::string_view name, int track, const void* owner) const {
  auto found = m_entries.find(Lookup{name, track, ownerKey(owner)});
  return found != m_entries.end() ? &found->second : nullptr;
}

void EventTable::dropOwner(const void* owner) {
  std::erase_if(m_entries, [&](const auto& entry) { return std::get<2>(entry.first) == ownerKey(owner); });
}

EventTable& eventTable() {
  // Never destroyed: objects released by the collector at exit still drop their entries.
  static auto* const table = new EventTable();
  return *table;
}

}  // namespace skeleton
