#include "host/EngineLibrary.h"

#include <dlfcn.h>

#include <cstring>
#include <fstream>
#include <string_view>

#include "engine/Engine.h"

namespace host {

namespace {

struct BuiltInExport {
  const char* name;
  void* function;
};

const BuiltInExport kBuiltInExports[] = {
    {"RGSSSetupRTP", reinterpret_cast<void*>(&RGSSSetupRTP)},
    {"RGSSSetupFonts", reinterpret_cast<void*>(&RGSSSetupFonts)},
    {"RGSSInitialize3", reinterpret_cast<void*>(&RGSSInitialize3)},
    {"RGSSEval", reinterpret_cast<void*>(&RGSSEval)},
    {"RGSSGameMain", reinterpret_cast<void*>(&RGSSGameMain)},
};

}  // namespace

bool isElfSharedObject(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  unsigned char header[18] = {};
  if (!file.read(reinterpret_cast<char*>(header), sizeof(header))) {
    return false;
  }
  if (std::memcmp(header, "\x7f" "ELF", 4) != 0) {
    return false;
  }
  // e_type follows the 16-byte identification, in the byte order the identification names.
  bool bigEndian = header[5] == 2;
  unsigned type = bigEndian ? (header[16] << 8) | header[17] : header[16] | (header[17] << 8);
  constexpr unsigned kSharedObject = 3;
  return type == kSharedObject;
}

EngineLibrary::~EngineLibrary() {
  close();
}

LibraryFailure EngineLibrary::load(const std::string& libraryValue, std::string* detail) {
  close();
  std::string path = libraryValue;
  for (char& c : path) {
    if (c == '\\') {
      c = '/';
    }
  }
  if (!isElfSharedObject(path)) {
    return LibraryFailure::None;
  }
  // dlopen searches the library path for a bare name; a file beside the game is meant.
  if (path.find('/') == std::string::npos) {
    path = "./" + path;
  }
  m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (m_handle == nullptr) {
    if (detail != nullptr) {
      const char* reason = dlerror();
      *detail = reason != nullptr ? reason : "";
    }
    return LibraryFailure::LoadFailed;
  }
  const auto* abi = static_cast<const int*>(dlsym(m_handle, "quillon_engine_abi"));
  if (abi == nullptr || *abi != engine::kEngineAbiVersion) {
    if (detail != nullptr) {
      *detail = abi == nullptr ? "no quillon_engine_abi" : "engine ABI " + std::to_string(*abi);
    }
    close();
    return LibraryFailure::WrongAbi;
  }
  return LibraryFailure::None;
}

void* EngineLibrary::findExport(const char* name) const {
  if (m_handle != nullptr) {
    return dlsym(m_handle, name);
  }
  for (const BuiltInExport& entry : kBuiltInExports) {
    if (std::strcmp(entry.name, name) == 0) {
      return entry.function;
    }
  }
  return nullptr;
}

bool EngineLibrary::resolve(EngineEntryPoints* entryPoints, std::string* missing) const {
  EngineEntryPoints found;
  found.exInitialize = reinterpret_cast<int (*)(void*)>(findExport("RGSSExInitialize"));
  struct Required {
    const char* name;
    void** slot;
  };
  void* setupRtp = nullptr;
  void* setupFonts = nullptr;
  void* initialize3 = nullptr;
  void* eval = nullptr;
  void* gameMain = nullptr;
  const Required required[] = {{"RGSSSetupRTP", &setupRtp},
                               {"RGSSSetupFonts", &setupFonts},
                               {"RGSSInitialize3", &initialize3},
                               {"RGSSEval", &eval},
                               {"RGSSGameMain", &gameMain}};
  for (const Required& entry : required) {
    *entry.slot = findExport(entry.name);
    if (*entry.slot == nullptr) {
      if (missing != nullptr) {
        *missing = entry.name;
      }
      return false;
    }
  }
  found.setupRtp = reinterpret_cast<decltype(found.setupRtp)>(setupRtp);
  found.setupFonts = reinterpret_cast<decltype(found.setupFonts)>(setupFonts);
  found.initialize3 = reinterpret_cast<decltype(found.initialize3)>(initialize3);
  found.eval = reinterpret_cast<decltype(found.eval)>(eval);
  found.gameMain = reinterpret_cast<decltype(found.gameMain)>(gameMain);
  *entryPoints = found;
  return true;
}

void* EngineLibrary::base() const {
  Dl_info info{};
  const void* anchor = m_handle != nullptr ? dlsym(m_handle, "RGSSGameMain") : findExport("RGSSGameMain");
  if (anchor != nullptr && dladdr(anchor, &info) != 0) {
    return info.dli_fbase;
  }
  return nullptr;
}

void EngineLibrary::close() {
  if (m_handle != nullptr) {
    dlclose(m_handle);
    m_handle = nullptr;
  }
}

}  // namespace host
