#pragma once

// The JSON skeleton reader's internals, shared by the skeleton and animation halves of the reader.

#include <algorithm>
#include <cctype>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "skeleton/runtime/AttachmentLoader.h"
#include "skeleton/runtime/SkeletonData.h"
#include "skeleton/runtime/private/ReaderSupport.h"

namespace spine::detail {

using Json = nlohmann::ordered_json;  // animation order is file order

// Typed accessors: a key of the wrong type is an error, a missing key takes the default.
inline const Json* member(const Json& map, const char* key) {
  if (!map.is_object()) throw ReadError(std::string("expected an object around '") + key + "'");
  auto it = map.find(key);
  return it == map.end() || it->is_null() ? nullptr : &*it;
}

inline float getFloat(const Json& map, const char* key, float fallback) {
  const Json* value = member(map, key);
  if (!value) return fallback;
  if (!value->is_number()) throw ReadError(std::string("'") + key + "' is not a number");
  return value->get<float>();
}

inline int getInt(const Json& map, const char* key, int fallback) {
  const Json* value = member(map, key);
  if (!value) return fallback;
  if (!value->is_number()) throw ReadError(std::string("'") + key + "' is not a number");
  double d = value->get<double>();
  if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
    throw ReadError(std::string("'") + key + "' is out of range");
  return static_cast<int>(d);
}

inline bool getBool(const Json& map, const char* key, bool fallback) {
  const Json* value = member(map, key);
  if (!value) return fallback;
  if (!value->is_boolean()) throw ReadError(std::string("'") + key + "' is not a boolean");
  return value->get<bool>();
}

inline std::optional<std::string> getString(const Json& map, const char* key) {
  const Json* value = member(map, key);
  if (!value) return std::nullopt;
  if (!value->is_string()) throw ReadError(std::string("'") + key + "' is not a string");
  return value->get<std::string>();
}

inline std::string requireString(const Json& map, const char* key) {
  auto value = getString(map, key);
  if (!value) throw ReadError(std::string("missing '") + key + "'");
  return *value;
}

inline const Json& requireArray(const Json& map, const char* key) {
  const Json* value = member(map, key);
  if (!value || !value->is_array()) throw ReadError(std::string("missing array '") + key + "'");
  return *value;
}

inline std::vector<float> floatArray(const Json& array, float scale, const char* what) {
  std::vector<float> result;
  result.reserve(array.size());
  for (const Json& v : array) {
    if (!v.is_number()) throw ReadError(std::string(what) + " holds a non-number");
    result.push_back(v.get<float>() * scale);
  }
  return result;
}

inline Color parseColor(const std::string& hex, bool hasAlpha) {
  const size_t digits = hasAlpha ? 8 : 6;
  if (hex.size() != digits ||
      !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
    throw ReadError("bad colour '" + hex + "'");
  uint32_t value = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
  return hasAlpha ? Color::fromRgba8888(value) : Color::fromRgb888(value);
}

inline Color getColor(const Json& map, const char* key, Color fallback) {
  auto hex = getString(map, key);
  return hex ? parseColor(*hex, true) : fallback;
}

// Builds SkeletonData from a parsed document; throws ReadError for anything malformed.
class JsonReader {
 public:
  JsonReader(AttachmentLoader& loader, float scale) : m_loader(loader), m_scale(scale) {}

  std::unique_ptr<SkeletonData> read(const Json& root);

 private:
  void readHeader(const Json& root);
  void readBones(const Json& bones);
  void readSlots(const Json& slots);
  void readIk(const Json& list);
  void readTransform(const Json& list);
  void readPath(const Json& list);
  void readSkins(const Json& skins);
  std::shared_ptr<Attachment> readAttachment(const Json& map, Skin& skin, int slotIndex, const std::string& key);
  void readVertices(const Json& map, VertexAttachment& attachment, size_t verticesLength);
  void readEvents(const Json& events);
  void readAnimation(const Json& map, const std::string& name);

  // Indexed by name: every reference in the file is resolved through these, so lookups stay constant time.
  BoneData& findBone(const std::string& name) const {
    auto it = m_bonesByName.find(name);
    if (it == m_bonesByName.end()) throw ReadError("bone not found: " + name);
    return *it->second;
  }
  SlotData& findSlot(const std::string& name) const {
    auto it = m_slotsByName.find(name);
    if (it == m_slotsByName.end()) throw ReadError("slot not found: " + name);
    return *it->second;
  }
  std::vector<BoneData*> boneList(const Json& map) const;
  void readConstraintCommon(const Json& map, ConstraintData& data) const;

  AttachmentLoader& m_loader;
  float m_scale;
  std::unique_ptr<SkeletonData> m_data;
  std::vector<detail::LinkedMesh> m_linkedMeshes;
  std::unordered_map<std::string, BoneData*> m_bonesByName;
  std::unordered_map<std::string, SlotData*> m_slotsByName;
};

}  // namespace spine::detail
