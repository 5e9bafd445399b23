#include "input/InputState.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace input {

namespace {

// In the order the table is filled: later entries never replace earlier ones, since each key is listed once.
constexpr std::array<std::pair<KeyCode, const char*>, 18> kDefaultKeys = {{
    {0x25, "LEFT"},
    {0x27, "RIGHT"},
    {0x26, "UP"},
    {0x28, "DOWN"},
    {0x5A, "C"},
    {0x58, "B"},
    {0x43, "C"},
    {0x41, "X"},
    {0x53, "Y"},
    {0x44, "Z"},
    {0x51, "L"},
    {0x57, "R"},
    {0x21, "L"},
    {0x22, "R"},
    {0x20, "C"},
    {0x0D, "C"},
    {0x1B, "B"},
    {0x10, "A"},
}};

constexpr std::array<std::pair<const char*, KeyCode>, 15> kFixedKeys = {{
    {"SHIFT", 0x10},
    {"CTRL", 0x11},
    {"ALT", 0x12},
    {"F1", 0x70},
    {"F2", 0x71},
    {"F3", 0x72},
    {"F4", 0x73},
    {"F5", 0x74},
    {"F6", 0x75},
    {"F7", 0x76},
    {"F8", 0x77},
    {"F9", 0x78},
    {"F10", 0x79},
    {"F11", 0x7A},
    {"F12", 0x7B},
}};

// Hold counts of keys held for 65535 updates or more no longer say which direction is the most recent.
constexpr std::int32_t kStrengthLimit = 65535;

int horizontal(const DirectionStrengths& s, std::int32_t* strength) {
  if ((s.left > 0) == (s.right > 0)) {
    return 0;
  }
  *strength = s.left > 0 ? s.left : s.right;
  return s.left > 0 ? 4 : 6;
}

int vertical(const DirectionStrengths& s, std::int32_t* strength) {
  if ((s.down > 0) == (s.up > 0)) {
    return 0;
  }
  *strength = s.down > 0 ? s.down : s.up;
  return s.down > 0 ? 2 : 8;
}

}  // namespace

int dir4(const DirectionStrengths& strengths) {
  std::int32_t horizontalStrength = 0;
  std::int32_t verticalStrength = 0;
  int x = horizontal(strengths, &horizontalStrength);
  int y = vertical(strengths, &verticalStrength);
  if (x != 0 && y != 0) {
    return horizontalStrength < verticalStrength ? x : y;
  }
  return x != 0 ? x : y;
}

int dir8(const DirectionStrengths& strengths) {
  int value = 5 + (strengths.right > 0) - (strengths.left > 0) + 3 * ((strengths.up > 0) - (strengths.down > 0));
  return value == 5 ? 0 : value;
}

std::string_view legacyCodeName(long code) {
  switch (code) {
    case 2:
      return "DOWN";
    case 4:
      return "LEFT";
    case 6:
      return "RIGHT";
    case 8:
      return "UP";
    case 11:
      return "A";
    case 12:
      return "B";
    case 13:
      return "C";
    case 14:
      return "X";
    case 15:
      return "Y";
    case 16:
      return "Z";
    case 17:
      return "L";
    case 18:
      return "R";
    default:
      return {};
  }
}

std::string upperCaseName(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

InputState::InputState() {
  for (const auto& [code, name] : kDefaultKeys) {
    m_keySymbols.emplace(code, name);
  }
  for (const auto& [name, code] : kFixedKeys) {
    m_fixedKeys.emplace(name, code);
  }
}

void InputState::keyDown(KeyCode code) {
  if (!m_heldKeys.contains(code)) {
    m_newKeys.insert(code);
  }
  m_heldKeys.insert(code);
  m_recentPressed = code;
}

void InputState::keyUp(KeyCode code) {
  m_releasedKeys.insert(code);
  if (m_recentPressed == code) {
    m_recentPressed = 0;
  }
}

void InputState::setActive(bool active) {
  if (!active) {
    releaseAll();
  }
  m_active = active;
}

void InputState::releaseAll() {
  m_heldKeys.clear();
  m_releasedKeys.clear();
  m_newKeys.clear();
  m_holdCounts.clear();
}

bool InputState::update() {
  if (!m_active) {
    releaseAll();
    return false;
  }
  m_recentTriggered = m_newKeys.empty() ? 0 : *m_newKeys.begin();
  // Counting before releasing: a key that went down and up since the last update never shows a count of
  // 1, only recent_triggered remembers it.
  for (KeyCode code : m_heldKeys) {
    std::int32_t& count = m_holdCounts[code];
    if (count < std::numeric_limits<std::int32_t>::max()) {
      ++count;
    }
  }
  for (KeyCode code : m_releasedKeys) {
    m_holdCounts.erase(code);
    m_heldKeys.erase(code);
  }
  m_releasedKeys.clear();
  m_newKeys.clear();
  return true;
}

std::int32_t InputState::holdCount(KeyCode code) const {
  if (code > kHighestKey) {
    return 0;
  }
  auto found = m_holdCounts.find(code);
  return found != m_holdCounts.end() ? found->second : 0;
}

std::vector<KeyCode> InputState::keysOf(std::string_view name) const {
  std::set<KeyCode> keys;
  for (const auto& [code, symbol] : m_keySymbols) {
    if (symbol == name) {
      keys.insert(code);
    }
  }
  if (auto fixed = m_fixedKeys.find(name); fixed != m_fixedKeys.end()) {
    keys.insert(fixed->second);
  }
  return {keys.begin(), keys.end()};
}

template <class Test>
bool InputState::anyKey(std::string_view name, Test test) const {
  std::vector<KeyCode> keys = keysOf(name);
  return std::any_of(keys.begin(), keys.end(), [&](KeyCode code) { return test(holdCount(code)); });
}

bool InputState::press(std::string_view name) const {
  return anyKey(name, [](std::int32_t count) { return count >= 1; });
}

bool InputState::trigger(std::string_view name) const {
  return anyKey(name, [](std::int32_t count) { return count == 1; });
}

bool InputState::repeat(std::string_view name) const {
  return anyKey(name, [](std::int32_t count) { return isRepeat(count); });
}

DirectionStrengths InputState::directionStrengths() const {
  auto strength = [&](std::string_view name) {
    std::int32_t weakest = 0;
    for (KeyCode code : keysOf(name)) {
      std::int32_t count = holdCount(code);
      if (count >= 1 && count < kStrengthLimit && (weakest == 0 || count < weakest)) {
        weakest = count;
      }
    }
    return weakest;
  };
  return {strength("DOWN"), strength("LEFT"), strength("RIGHT"), strength("UP")};
}

void InputState::setKeys(const std::string& name, const std::set<KeyCode>& codes) {
  std::erase_if(m_keySymbols, [&](const auto& entry) { return entry.second == name; });
  for (KeyCode code : codes) {
    m_keySymbols[code] = name;
  }
}

}  // namespace input
