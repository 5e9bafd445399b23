#pragma once

// The fonts of the game's "Fonts" folder, made available to this process only (fontconfig's application
// fonts) from boot to teardown.

#include <string>
#include <vector>

namespace host {

class PrivateFonts {
 public:
  // Hands every entry of `folder` that is not a directory to fontconfig; files that are no fonts simply
  // fail. A folder named with other letter case is found too, as on the file systems games come from.
  // Returns the number of files fontconfig accepted.
  int addFolder(const std::string& folder);
  // Removes them again; does nothing when none were added.
  void removeAll();
  const std::vector<std::string>& added() const { return m_added; }

 private:
  std::vector<std::string> m_added;
  bool m_registered = false;
};

}  // namespace host
