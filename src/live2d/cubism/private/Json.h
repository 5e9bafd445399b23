#pragma once

// Tolerant access to the model's JSON side files: a missing key or a value of the wrong type reads as
// absent, so a damaged file degrades to defaults instead of throwing.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

namespace live2d::cubism::json {

// A discarded value (is_discarded()) when the bytes are not JSON.
inline nlohmann::json parse(std::span<const std::uint8_t> bytes) {
  return nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
}

inline const nlohmann::json* member(const nlohmann::json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

inline std::optional<float> number(const nlohmann::json& object, const char* key) {
  const nlohmann::json* v = member(object, key);
  if (!v || !v->is_number()) return std::nullopt;
  return v->get<float>();
}

inline float number(const nlohmann::json& object, const char* key, float fallback) {
  return number(object, key).value_or(fallback);
}

inline std::string string(const nlohmann::json& object, const char* key) {
  const nlohmann::json* v = member(object, key);
  return v && v->is_string() ? v->get<std::string>() : std::string();
}

inline bool boolean(const nlohmann::json& object, const char* key, bool fallback) {
  const nlohmann::json* v = member(object, key);
  return v && v->is_boolean() ? v->get<bool>() : fallback;
}

inline const nlohmann::json& array(const nlohmann::json& object, const char* key) {
  static const nlohmann::json empty = nlohmann::json::array();
  const nlohmann::json* v = member(object, key);
  return v && v->is_array() ? *v : empty;
}

inline const nlohmann::json& object(const nlohmann::json& parent, const char* key) {
  static const nlohmann::json empty = nlohmann::json::object();
  const nlohmann::json* v = member(parent, key);
  return v && v->is_object() ? *v : empty;
}

}  // namespace live2d::cubism::json
