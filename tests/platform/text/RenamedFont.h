#pragma once

// A copy of Liberation Sans under another family name, so that only adding the file can make the name known.

#include <fstream>
#include <iterator>
#include <string>

namespace test {

inline constexpr const char* kLiberationSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

// Writes the copy to `path`; `family` must have the 15 characters of "Liberation Sans", so that the name table's
// offsets stay valid.
inline void writeRenamedFont(const std::string& path, const std::string& family) {
  std::ifstream in(kLiberationSans, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::string from = "Liberation Sans", to = family;
  for (int wide = 0; wide < 2; ++wide) {
    for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size())) {
      bytes.replace(at, from.size(), to);
    }
    std::string fromWide, toWide;  // then the name table's UTF-16 records
    for (std::size_t i = 0; i < from.size(); ++i) {
      fromWide += {'\0', from[i]};
      toWide += {'\0', to[i]};
    }
    from = fromWide, to = toWide;
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace test
