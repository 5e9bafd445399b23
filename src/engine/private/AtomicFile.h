#pragma once

#include <cstddef>
#include <string>

namespace engine {

// Replaces `path` with `size` bytes without ever leaving it half written, and without leaving anything
// behind when the process is killed at any moment. The bytes go to an unnamed file in the target's folder
// where the file system has them (O_TMPFILE), are flushed to disk, get a temporary name and are renamed over
// the target; the folder is flushed after the rename. Elsewhere a named temporary does the same. On failure the
// old file is untouched, no temporary file remains, and the result is the error number.
//
// A kill between naming and renaming can still leave a temporary: its name carries the writer's process id, and
// the next save into that folder (or removeStaleTemporaries at start) removes it once that process is gone.
[[nodiscard]] int writeFileAtomically(const std::string& path, const char* data, std::size_t size);

// The same through a named temporary only: the path taken where unnamed files are not supported.
[[nodiscard]] int writeFileThroughNamedTemporary(const std::string& path, const char* data, std::size_t size);

// Removes the temporaries in `folder` that saves of processes no longer running left behind; returns how many.
int removeStaleTemporaries(const std::string& folder);

}  // namespace engine
