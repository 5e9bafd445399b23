#include "live2d/StraightAlpha.h"

#include <array>
#include <memory>
#include <string>

#include "live2d/LAppLog.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/MeshProgram.h"
#include "platform/gfx/Texture.h"

namespace live2d {

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
uniform mat4 uTransform;
void main() {
  gl_Position = uTransform * aPosition;
}
)";

// Source and target are the same size and layout, so the fragment's own texel is the one to convert.
constexpr const char* kFragmentShader = R"(#version 330 core
uniform sampler2D uTexture;
layout(location = 0) out vec4 oColour;
void main() {
  vec4 c = texelFetch(uTexture, ivec2(gl_FragCoord.xy), 0);
  oColour = c.a > 0.0 ? vec4(c.rgb / c.a, c.a) : vec4(0.0);
}
)";

struct Shader {
  gfx::Device* device = nullptr;
  std::unique_ptr<gfx::MeshProgram> program;
};

Shader& shader() {
  static Shader s;
  return s;
}

gfx::MeshProgram* programFor(gfx::Device& device) {
  Shader& s = shader();
  if (s.device == &device && s.program) return s.program.get();
  std::string log;
  s.program = gfx::MeshProgram::create(device, kVertexShader, kFragmentShader, &log);
  s.device = s.program ? &device : nullptr;
  if (!s.program) {
    appLog("[APP]straight alpha shader: %s", log.c_str());
    return nullptr;
  }
  s.program->setInt(s.program->uniform("uTexture"), 0);
  return s.program.get();
}

}  // namespace

bool copyStraightAlpha(gfx::Device& device, const gfx::Texture& premultiplied, gfx::Texture& target,
                       const gfx::Rect& area) {
  gfx::MeshProgram* program = programFor(device);
  if (program == nullptr) return false;
  const gfx::StateBlock saved = device.captureState();
  std::array<gfx::Texture*, gfx::kRenderTargetCount> targets{};
  for (int index = 0; index < gfx::kRenderTargetCount; ++index) {
    targets[static_cast<std::size_t>(index)] = device.renderTarget(index);
  }
  const gfx::Viewport viewport = device.viewport();
  const gfx::Texture* texture = device.texture(0);
  const auto restore = [&] {
    device.applyState(saved);
    device.setTexture(0, texture);
    for (int index = 0; index < gfx::kRenderTargetCount; ++index) {
      device.setRenderTarget(index, targets[static_cast<std::size_t>(index)]);
    }
    device.setViewport(viewport);
  };

  for (int index = gfx::kRenderTargetCount - 1; index > 0; --index) device.setRenderTarget(index, nullptr);
  device.setRenderTarget(0, &target);
  device.clear(gfx::ClearFlags::Target, 0);
  if (area.width() <= 0 || area.height() <= 0) {
    restore();
    return true;
  }
  // The quad fills the viewport, and each fragment reads its own texel, so only the area is converted.
  device.setViewport({area.left, area.top, area.width(), area.height(), 0.0f, 1.0f});
  gfx::RenderState state;
  state.zEnable = false;
  state.zWriteEnable = false;
  state.cullMode = gfx::Cull::None;
  device.renderState() = state;
  device.setProgram(program->program());
  device.setTexture(0, &premultiplied);
  const gfx::Vertex corners[4] = {
      {-1.0f, 1.0f, 0.5f, 1.0f}, {1.0f, 1.0f, 0.5f, 1.0f}, {-1.0f, -1.0f, 0.5f, 1.0f}, {1.0f, -1.0f, 0.5f, 1.0f}};
  const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  device.drawIndexedTriangles(corners, 4, indices, 6, gfx::VertexSpace::Clip);
  restore();
  return true;
}

void releaseStraightAlphaShader() { shader() = {}; }

}  // namespace live2d
