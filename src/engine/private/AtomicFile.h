#pragma once

#include <cstddef>
#include <string>

namespace engine {

// Replaces `path` with `size` bytes without ever leaving it half written: the bytes go to a temporary file
// beside it, are flushed to disk, and the temporary file is renamed over the target. On failure the old
// file is untouched, no temporary file remains, and the result is the error number.
[[nodiscard]] int writeFileAtomically(const std::string& path, const char* data, std::size_t size);

}  // namespace engine
