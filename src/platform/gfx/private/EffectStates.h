#pragma once

// Render and sampler state assignments of effect passes and sampler_state blocks, checked once at compile time
// and applied to the device when a pass begins. Names and named values match case-insensitively; numbers are
// taken as Direct3D's enumerator values.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/EffectSource.h"

namespace gfx {
class Device;
}

namespace gfx::detail {

enum class StateId : std::uint8_t {
  AlphaBlendEnable,
  SrcBlend,
  DestBlend,
  BlendOp,
  SeparateAlphaBlendEnable,
  SrcBlendAlpha,
  DestBlendAlpha,
  BlendOpAlpha,
  BlendFactor,
  ZEnable,
  ZWriteEnable,
  ZFunc,
  AlphaTestEnable,
  AlphaFunc,
  AlphaRef,
  CullMode,
  ColorWriteEnable,
  AddressU,
  AddressV,
  MinFilter,
  MagFilter,
  MipFilter,
  BorderColor,
};

struct StateOperation {
  StateId id = StateId::AlphaBlendEnable;
  int unit = 0;  // sampler states
  std::uint32_t value = 0;
};

// Appends the operation for `assignment`. An unknown state name is noted in `notes` and ignored (the program
// never refuses a shader for a state it cannot honour); a value that does not fit the state is an error.
void compilePassState(const EffectAssignment& assignment, std::vector<StateOperation>* out, std::string* errors,
                      std::string* notes);
// The same for a sampler_state block, whose states apply to the sampler's unit (`assignment.index`).
void compileSamplerState(const EffectAssignment& assignment, std::vector<StateOperation>* out, std::string* errors,
                         std::string* notes);

void applyStates(const std::vector<StateOperation>& operations, Device& device);

}  // namespace gfx::detail
