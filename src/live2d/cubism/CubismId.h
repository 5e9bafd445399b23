#pragma once

// Interned names of parameters, parts and drawables. Equal names give the same handle, so handles compare
// by pointer.

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace live2d::cubism {

class CubismId {
 public:
  explicit CubismId(std::string id) : m_id(std::move(id)) {}
  const std::string& getString() const { return m_id; }

 private:
  std::string m_id;
};

using CubismIdHandle = const CubismId*;

class CubismIdManager {
 public:
  CubismIdHandle getId(std::string_view id);
  bool isExist(std::string_view id) const;

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  mutable std::mutex m_mutex;
  std::unordered_map<std::string, std::unique_ptr<CubismId>, Hash, std::equal_to<>> m_ids;
};

}  // namespace live2d::cubism
