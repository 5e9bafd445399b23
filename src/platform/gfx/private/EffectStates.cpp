#include "platform/gfx/private/EffectStates.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/gfx/Device.h"

namespace gfx::detail {

namespace {

enum class ValueKind { Bool, Blend, BlendOp, Compare, Cull, Address, Filter, Number, ColorMask, ZEnable };

struct StateName {
  std::string_view name;
  StateId id;
  ValueKind kind;
  bool sampler;
};

constexpr StateName kStates[] = {
    {"AlphaBlendEnable", StateId::AlphaBlendEnable, ValueKind::Bool, false},
    {"SrcBlend", StateId::SrcBlend, ValueKind::Blend, false},
    {"DestBlend", StateId::DestBlend, ValueKind::Blend, false},
    {"BlendOp", StateId::BlendOp, ValueKind::BlendOp, false},
    {"SeparateAlphaBlendEnable", StateId::SeparateAlphaBlendEnable, ValueKind::Bool, false},
    {"SrcBlendAlpha", StateId::SrcBlendAlpha, ValueKind::Blend, false},
    {"DestBlendAlpha", StateId::DestBlendAlpha, ValueKind::Blend, false},
    {"BlendOpAlpha", StateId::BlendOpAlpha, ValueKind::BlendOp, false},
    {"BlendFactor", StateId::BlendFactor, ValueKind::Number, false},
    {"ZEnable", StateId::ZEnable, ValueKind::ZEnable, false},
    {"ZWriteEnable", StateId::ZWriteEnable, ValueKind::Bool, false},
    {"ZFunc", StateId::ZFunc, ValueKind::Compare, false},
    {"AlphaTestEnable", StateId::AlphaTestEnable, ValueKind::Bool, false},
    {"AlphaFunc", StateId::AlphaFunc, ValueKind::Compare, false},
    {"AlphaRef", StateId::AlphaRef, ValueKind::Number, false},
    {"CullMode", StateId::CullMode, ValueKind::Cull, false},
    {"ColorWriteEnable", StateId::ColorWriteEnable, ValueKind::ColorMask, false},
    {"AddressU", StateId::AddressU, ValueKind::Address, true},
    {"AddressV", StateId::AddressV, ValueKind::Address, true},
    {"MinFilter", StateId::MinFilter, ValueKind::Filter, true},
    {"MagFilter", StateId::MagFilter, ValueKind::Filter, true},
    {"MipFilter", StateId::MipFilter, ValueKind::Filter, true},
    {"BorderColor", StateId::BorderColor, ValueKind::Number, true},
};

struct NamedValue {
  std::string_view name;
  std::uint32_t value;
};

constexpr NamedValue kBlends[] = {{"Zero", 1},         {"One", 2},           {"SrcColor", 3},     {"InvSrcColor", 4},
                                  {"SrcAlpha", 5},     {"InvSrcAlpha", 6},   {"DestAlpha", 7},    {"InvDestAlpha", 8},
                                  {"DestColor", 9},    {"InvDestColor", 10}, {"SrcAlphaSat", 11}, {"BlendFactor", 14},
                                  {"InvBlendFactor", 15}};
constexpr NamedValue kBlendOps[] = {{"Add", 1}, {"Subtract", 2}, {"RevSubtract", 3}, {"Min", 4}, {"Max", 5}};
constexpr NamedValue kCompares[] = {{"Never", 1},   {"Less", 2},     {"Equal", 3},        {"LessEqual", 4},
                                    {"Greater", 5}, {"NotEqual", 6}, {"GreaterEqual", 7}, {"Always", 8}};
constexpr NamedValue kCulls[] = {{"None", 1}, {"CW", 2}, {"CCW", 3}};
constexpr NamedValue kAddresses[] = {{"Wrap", 1}, {"Mirror", 2}, {"Clamp", 3}, {"Border", 4}, {"MirrorOnce", 5}};
// Anisotropic and the quad filters have no counterpart here; linear is the nearest.
constexpr NamedValue kFilters[] = {{"None", 0},        {"Point", 1},         {"Linear", 2},
                                   {"Anisotropic", 2}, {"PyramidalQuad", 2}, {"GaussianQuad", 2}};
constexpr NamedValue kBools[] = {{"True", 1}, {"False", 0}};
constexpr NamedValue kColorChannels[] = {{"Red", 1}, {"Green", 2}, {"Blue", 4}, {"Alpha", 8}};

std::optional<std::uint32_t> parseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const bool negative = text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  const unsigned long value = std::strtoul(digits.c_str(), &end, 0);
  if (end == nullptr || *end != '\0') {
    // `1.0` for a boolean or a reference value.
    const float real = std::strtof(text.c_str(), &end);
    if (end == nullptr || (*end != '\0' && !((*end == 'f' || *end == 'F') && end[1] == '\0'))) return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<long>(real));
  }
  return negative ? static_cast<std::uint32_t>(-static_cast<long>(value)) : static_cast<std::uint32_t>(value);
}

template <std::size_t N>
std::optional<std::uint32_t> lookUp(const NamedValue (&table)[N], const std::string& text) {
  for (const NamedValue& entry : table) {
    if (equalsIgnoringCase(entry.name, text)) return entry.value;
  }
  return parseNumber(text);
}

std::optional<std::uint32_t> parseValue(ValueKind kind, const std::string& text) {
  switch (kind) {
    case ValueKind::Bool: {
      auto value = lookUp(kBools, text);
      if (value && *value > 1) value = 1;
      return value;
    }
    case ValueKind::ZEnable: {
      // Direct3D's third value, w-buffering, is depth testing all the same.
      if (equalsIgnoringCase(text, "UseW")) return 1;
      auto value = lookUp(kBools, text);
      if (value && *value > 1) value = 1;
      return value;
    }
    case ValueKind::Blend: {
      auto value = lookUp(kBlends, text);
      if (value && (*value < 1 || *value > 15 || *value == 12 || *value == 13)) return std::nullopt;
      return value;
    }
    case ValueKind::BlendOp: {
      auto value = lookUp(kBlendOps, text);
      if (value && (*value < 1 || *value > 5)) return std::nullopt;
      return value;
    }
    case ValueKind::Compare: {
      auto value = lookUp(kCompares, text);
      if (value && (*value < 1 || *value > 8)) return std::nullopt;
      return value;
    }
    case ValueKind::Cull: {
      auto value = lookUp(kCulls, text);
      if (value && (*value < 1 || *value > 3)) return std::nullopt;
      return value;
    }
    case ValueKind::Address: {
      auto value = lookUp(kAddresses, text);
      if (value && (*value < 1 || *value > 5)) return std::nullopt;
      return value;
    }
    case ValueKind::Filter: {
      auto value = lookUp(kFilters, text);
      if (value && *value > 2) value = 2;
      return value;
    }
    case ValueKind::Number: return parseNumber(text);
    case ValueKind::ColorMask: {
      // `RED | GREEN | BLUE` or a number.
      std::uint32_t mask = 0;
      std::size_t start = 0;
      while (start <= text.size()) {
        std::size_t bar = text.find('|', start);
        if (bar == std::string::npos) bar = text.size();
        std::string part = text.substr(start, bar - start);
        while (!part.empty() && part.front() == ' ') part.erase(part.begin());
        while (!part.empty() && part.back() == ' ') part.pop_back();
        auto value = lookUp(kColorChannels, part);
        if (!value) return std::nullopt;
        mask |= *value;
        start = bar + 1;
      }
      return mask & 0xF;
    }
  }
  return std::nullopt;
}

void compile(const EffectAssignment& assignment, bool inSampler, std::vector<StateOperation>* out,
             std::string* errors, std::string* notes) {
  const std::string where = "effect(" + std::to_string(assignment.line) + "): ";
  for (const StateName& state : kStates) {
    if (!equalsIgnoringCase(state.name, assignment.name)) continue;
    if (inSampler && !state.sampler) break;
    std::string value = assignment.value;
    // Parentheses around a value are allowed: `AlphaRef = (128);`.
    if (value.size() >= 2 && value.front() == '(' && value.back() == ')') value = value.substr(1, value.size() - 2);
    while (!value.empty() && value.front() == ' ') value.erase(value.begin());
    while (!value.empty() && value.back() == ' ') value.pop_back();
    std::optional<std::uint32_t> parsed = parseValue(state.kind, value);
    if (!parsed) {
      *errors += where + "error: '" + assignment.value + "' is not a value for " + assignment.name + "\n";
      return;
    }
    const int unit = state.sampler ? (assignment.index < 0 ? 0 : assignment.index) : 0;
    if (unit >= kSamplerCount) {
      *errors += where + "error: sampler index " + std::to_string(unit) + " is out of range\n";
      return;
    }
    out->push_back({state.id, unit, *parsed});
    return;
  }
  *notes += where + "warning: state '" + assignment.name + "' has no effect here and is ignored\n";
}

}  // namespace

void compilePassState(const EffectAssignment& assignment, std::vector<StateOperation>* out, std::string* errors,
                      std::string* notes) {
  compile(assignment, false, out, errors, notes);
}

void compileSamplerState(const EffectAssignment& assignment, std::vector<StateOperation>* out, std::string* errors,
                         std::string* notes) {
  compile(assignment, true, out, errors, notes);
}

void applyStates(const std::vector<StateOperation>& operations, Device& device) {
  RenderState& render = device.renderState();
  for (const StateOperation& op : operations) {
    const std::uint32_t v = op.value;
    switch (op.id) {
      case StateId::AlphaBlendEnable: render.alphaBlendEnable = v != 0; break;
      case StateId::SrcBlend: render.srcBlend = static_cast<Blend>(v); break;
      case StateId::DestBlend: render.destBlend = static_cast<Blend>(v); break;
      case StateId::BlendOp: render.blendOp = static_cast<BlendOp>(v); break;
      case StateId::SeparateAlphaBlendEnable: render.separateAlphaBlendEnable = v != 0; break;
      case StateId::SrcBlendAlpha: render.srcBlendAlpha = static_cast<Blend>(v); break;
      case StateId::DestBlendAlpha: render.destBlendAlpha = static_cast<Blend>(v); break;
      case StateId::BlendOpAlpha: render.blendOpAlpha = static_cast<BlendOp>(v); break;
      case StateId::BlendFactor: render.blendFactor = v; break;
      case StateId::ZEnable: render.zEnable = v != 0; break;
      case StateId::ZWriteEnable: render.zWriteEnable = v != 0; break;
      case StateId::ZFunc: render.zFunc = static_cast<Compare>(v); break;
      case StateId::AlphaTestEnable: render.alphaTestEnable = v != 0; break;
      case StateId::AlphaFunc: render.alphaFunc = static_cast<Compare>(v); break;
      case StateId::AlphaRef: render.alphaRef = static_cast<std::uint8_t>(v & 0xFF); break;
      case StateId::CullMode: render.cullMode = static_cast<Cull>(v); break;
      case StateId::ColorWriteEnable: render.colorWriteMask = static_cast<std::uint8_t>(v & 0xF); break;
      case StateId::AddressU: device.samplerState(op.unit).addressU = static_cast<Address>(v); break;
      case StateId::AddressV: device.samplerState(op.unit).addressV = static_cast<Address>(v); break;
      case StateId::MinFilter: device.samplerState(op.unit).minFilter = static_cast<Filter>(v); break;
      case StateId::MagFilter: device.samplerState(op.unit).magFilter = static_cast<Filter>(v); break;
      case StateId::MipFilter: device.samplerState(op.unit).mipFilter = static_cast<Filter>(v); break;
      case StateId::BorderColor: device.samplerState(op.unit).borderColor = v; break;
    }
  }
}

}  // namespace gfx::detail
