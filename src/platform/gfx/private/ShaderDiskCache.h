#pragma once

// Translated pixel shaders and linked programs kept on disk between runs, so that a start neither translates the
// built-in effect nor compiles the built-in programs again. One file per entry, named by a hash of its key and
// holding the whole key, so that a file whose name collides or whose content is damaged reads as no entry. Files
// are written to a temporary name and renamed, so a reader never sees half a file; a folder that cannot be
// written just leaves the cache empty.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/gfx/private/ShaderCompiler.h"

namespace gfx::detail {

// $XDG_CACHE_HOME/quillon/effects, else ~/.cache/quillon/effects; empty when neither can be found.
std::string shaderCacheFolder();

// The file that holds the entry for `key` in `folder`.
std::string shaderCachePath(const std::string& folder, const std::string& key);

std::optional<CompiledPixelShader> loadCachedShader(const std::string& folder, const std::string& key);
void storeCachedShader(const std::string& folder, const std::string& key, const CompiledPixelShader& shader);

// A linked program as the driver handed it out (glGetProgramBinary).
struct ProgramBinary {
  std::uint32_t format = 0;
  std::string bytes;
};

// $XDG_CACHE_HOME/quillon/programs, else ~/.cache/quillon/programs; empty when neither can be found.
std::string programCacheFolder();
std::optional<ProgramBinary> loadCachedProgram(const std::string& folder, const std::string& key);
// Whether a program may be stored under `key`, without reading it (a file of another key may share the name).
bool cachedProgramExists(const std::string& folder, const std::string& key);
void storeCachedProgram(const std::string& folder, const std::string& key, const ProgramBinary& program);

}  // namespace gfx::detail
