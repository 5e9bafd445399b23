#include "live2d/ModelFiles.h"

#include "bitmap/Bitmap.h"
#include "live2d/LAppLog.h"

namespace live2d {

std::optional<std::vector<std::uint8_t>> createBuffer(const std::string& path) {
  appLog("[APP]create buffer: %s ", path.c_str());
  std::optional<std::vector<std::uint8_t>> bytes = bitmap::readGameFile(path);
  if (!bytes) appLog("file open error");
  return bytes;
}

void deleteBuffer(const std::string& path) { appLog("[APP]delete buffer: %s", path.c_str()); }

}  // namespace live2d
