#pragma once

#include <string>

namespace spine {

struct EventData {
  std::string name;
  int intValue = 0;
  float floatValue = 0;
  std::string stringValue;
  std::string audioPath;  // empty when the event plays no sound
  float volume = 1, balance = 0;
};

// One keyed occurrence of an event in an animation; its values default to the EventData's.
struct Event {
  const EventData* data = nullptr;
  float time = 0;
  int intValue = 0;
  float floatValue = 0;
  std::string stringValue;
  float volume = 1, balance = 0;
};

}  // namespace spine
