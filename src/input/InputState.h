#pragma once

// The keyboard state the window procedure feeds and Input.update advances, with the rewritable mapping of
// keys to logical names. Free of the interpreter and of SDL, so its rules are tested as plain functions.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace input {

using KeyCode = std::uint32_t;

// Codes above this are never reported as held, whatever the tables say.
inline constexpr KeyCode kHighestKey = 255;

// A held key reports on updates 1, 24, 30, 36 and so on.
constexpr bool isRepeat(std::int32_t holdCount) { return holdCount == 1 || (holdCount > 23 && holdCount % 6 == 0); }

// The four directions' strengths: the smallest hold count among the direction's keys, 0 when none is held.
struct DirectionStrengths {
  std::int32_t down = 0;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t up = 0;
};

// Numeric-keypad directions. dir4 lets the more recently pressed axis win, the vertical one on a tie.
int dir4(const DirectionStrengths& strengths);
int dir8(const DirectionStrengths& strengths);

// The name a legacy integer code stands for (2 "DOWN" ... 18 "R"); empty for any other integer.
std::string_view legacyCodeName(long code);

// ASCII upper-casing, byte by byte: names are compared after it.
std::string upperCaseName(std::string_view name);

class InputState {
 public:
  // The default key table and the fixed keys.
  InputState();

  // Window messages.
  void keyDown(KeyCode code);
  void keyUp(KeyCode code);
  // Deactivation releases every key at once.
  void setActive(bool active);
  bool active() const { return m_active; }

  // Once per frame. False when the window is inactive: the state was emptied and nothing else may advance.
  bool update();

  // 0 when the key is not held; codes above kHighestKey always read 0.
  std::int32_t holdCount(KeyCode code) const;
  // Every code that stands for the (upper-case) name, ascending: its table keys and its fixed key.
  std::vector<KeyCode> keysOf(std::string_view name) const;
  bool press(std::string_view name) const;
  bool trigger(std::string_view name) const;
  bool repeat(std::string_view name) const;
  DirectionStrengths directionStrengths() const;

  // Replaces the keys of the (upper-case) name; each code leaves whatever name it stood for before.
  void setKeys(const std::string& name, const std::set<KeyCode>& codes);

  KeyCode recentPressed() const { return m_recentPressed; }
  KeyCode recentTriggered() const { return m_recentTriggered; }

 private:
  template <class Test>
  bool anyKey(std::string_view name, Test test) const;
  void releaseAll();

  std::set<KeyCode> m_heldKeys;
  std::set<KeyCode> m_releasedKeys;
  std::set<KeyCode> m_newKeys;
  std::map<KeyCode, std::int32_t> m_holdCounts;
  std::map<KeyCode, std::string> m_keySymbols;
  std::map<std::string, KeyCode, std::less<>> m_fixedKeys;
  KeyCode m_recentPressed = 0;
  KeyCode m_recentTriggered = 0;
  bool m_active = true;
};

}  // namespace input
