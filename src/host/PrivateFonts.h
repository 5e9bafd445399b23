#pragma once

// The fonts of the game's "Fonts" folder, made available to this process only from boot to teardown, to the
// same font lookup that Font and text drawing use.

#include <string>
#include <vector>

namespace host {

class PrivateFonts {
 public:
  // Adds every entry of `folder` that is not a directory as a private font; files that are no fonts simply
  // fail. A folder named with other letter case is found too, as on the file systems games come from.
  // Returns the number of files accepted as fonts.
  int addFolder(const std::string& folder);
  // Removes them again; does nothing when none were added.
  void removeAll();
  const std::vector<std::string>& added() const { return m_added; }

 private:
  std::vector<std::string> m_added;
  bool m_registered = false;
};

}  // namespace host
