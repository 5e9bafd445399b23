#pragma once

// The engine behind the six entry points: a replacement engine library when Game.ini's Library names an
// existing ELF shared object, else the built-in engine (which is what a game folder carrying the closed
// Windows library gets).

#include <string>

#include "host/LaunchConfig.h"

namespace host {

enum class LibraryFailure {
  None,
  LoadFailed,  // "加载RGSS核心库失败 %s。"
  WrongAbi,    // "错误的DLL文件。"
};

// True when `path` is a readable ELF file of type shared object.
bool isElfSharedObject(const std::string& path);

class EngineLibrary {
 public:
  EngineLibrary() = default;
  ~EngineLibrary();
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;

  // Loads what `libraryValue` names. On failure the library is not loaded and `detail` says why.
  [[nodiscard]] LibraryFailure load(const std::string& libraryValue, std::string* detail = nullptr);
  // An export by name, null when absent.
  void* findExport(const char* name) const;
  // Resolves RGSSExInitialize (optional), then the five required exports in boot order. False
  // with the first missing name in `missing`.
  [[nodiscard]] bool resolve(EngineEntryPoints* entryPoints, std::string* missing) const;
  bool builtIn() const { return m_handle == nullptr; }
  // The dlopen handle, or null for the built-in engine.
  void* handle() const { return m_handle; }
  // Where the engine's code is mapped: the library's load address, or the player's own.
  void* base() const;
  void close();

 private:
  void* m_handle = nullptr;
};

}  // namespace host
