#include "scene/DrawMath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "render/SceneShading.h"

namespace scene {

namespace {

gfx::Matrix4 rotationZ(float radians) {
  const float c = std::cos(radians);
  const float s = std::sin(radians);
  gfx::Matrix4 m;
  m.m[0][0] = c;
  m.m[0][1] = s;
  m.m[1][0] = -s;
  m.m[1][1] = c;
  return m;
}

}  // namespace

gfx::Matrix4 transformation2D(gfx::Vector2 scalingCentre, float scalingRotation, gfx::Vector2 scaling,
                              gfx::Vector2 rotationCentre, float rotation, gfx::Vector2 translation) {
  const gfx::Matrix4 toScalingCentre = gfx::Matrix4::translation(-scalingCentre.x, -scalingCentre.y);
  const gfx::Matrix4 fromScalingCentre = gfx::Matrix4::translation(scalingCentre.x, scalingCentre.y);
  const gfx::Matrix4 scalingAxes = rotationZ(scalingRotation);
  const gfx::Matrix4 scalingAxesBack = rotationZ(-scalingRotation);
  const gfx::Matrix4 toRotationCentre = gfx::Matrix4::translation(-rotationCentre.x, -rotationCentre.y);
  const gfx::Matrix4 fromRotationCentre = gfx::Matrix4::translation(rotationCentre.x, rotationCentre.y);
  return toScalingCentre * scalingAxesBack * gfx::Matrix4::scaling(scaling.x, scaling.y) * scalingAxes *
         fromScalingCentre * toRotationCentre * rotationZ(rotation) * fromRotationCentre *
         gfx::Matrix4::translation(translation.x, translation.y);
}

gfx::Matrix4 spriteTransform(const TransformInput& in) {
  // Sums of script integers of the full int32 range: in double, where they cannot overflow.
  const double left = static_cast<double>(in.effectiveX) - in.ox + static_cast<double>(in.viewportOffsetX);
  const double top = static_cast<double>(in.effectiveY) - in.oy + static_cast<double>(in.viewportOffsetY);
  gfx::Vector2 t{static_cast<float>(left), static_cast<float>(top)};
  gfx::Vector2 centre{static_cast<float>(in.ox), static_cast<float>(in.oy)};
  gfx::Vector2 scale{in.zoomX, in.zoomY};
  if (in.mirror) {
    scale.x = -scale.x;
    // An empty source rectangle draws the whole bitmap, so the whole bitmap is what flips.
    const std::int32_t width =
        in.sourceWidth <= 0 && in.sourceHeight <= 0 && in.bitmapWidth > 0 ? in.bitmapWidth : in.sourceWidth;
    centre.x = static_cast<float>(static_cast<double>(width) - in.ox);
    t.x -= static_cast<float>(static_cast<double>(width) - 2.0 * in.ox);
  }
  const auto rotation = static_cast<float>(-static_cast<double>(in.angleDegrees) * std::numbers::pi / 180.0);
  // transformation2D(centre, 0, scale, centre, rotation, t) worked out, as every object needs it every frame:
  // scaled and turned about the centre, then moved by t.
  const float cosine = rotation == 0.0f ? 1.0f : std::cos(rotation);
  const float sine = rotation == 0.0f ? 0.0f : std::sin(rotation);
  gfx::Matrix4 placed;
  placed.m[0][0] = scale.x * cosine;
  placed.m[0][1] = scale.x * sine;
  placed.m[1][0] = -scale.y * sine;
  placed.m[1][1] = scale.y * cosine;
  placed.m[3][0] = centre.x - (centre.x * placed.m[0][0] + centre.y * placed.m[1][0]) + t.x;
  placed.m[3][1] = centre.y - (centre.x * placed.m[0][1] + centre.y * placed.m[1][1]) + t.y;
  if (in.shearX == 0.0f && in.shearY == 0.0f) return placed;
  gfx::Matrix4 shear;
  shear.m[0][1] = in.shearY;
  shear.m[1][0] = in.shearX;
  const auto ox = static_cast<float>(in.ox);
  const auto oy = static_cast<float>(in.oy);
  return gfx::Matrix4::translation(-ox, -oy) * shear * gfx::Matrix4::translation(ox, oy) * placed;
}

int passForBlendType(std::int32_t blendType) { return blendType == 1 || blendType == 2 ? blendType : 0; }

gfx::QuadBlend blendOfPass(int pass) {
  if (pass == 1) return gfx::QuadBlend::Additive;
  if (pass == 2) return gfx::QuadBlend::Subtractive;
  return gfx::QuadBlend::Normal;
}

std::array<float, 4> blendColor(const bindings::Color& effective, const std::array<float, 4>& flash,
                                const float (&lower)[4], const float (&upper)[4]) {
  float e[4] = {effective.red / 255.0f, effective.green / 255.0f, effective.blue / 255.0f, effective.alpha / 255.0f};
  std::array<float, 4> out{};
  if (e[3] > 0.0f || flash[3] > 0.0f) {
    const double a = 1.0 - (1.0 - e[3]) * (1.0 - static_cast<double>(flash[3]));
    // A flash stepped a hair below zero can leave nothing to divide by; that is no colour at all.
    if (a > 0.0) {
      for (int i = 0; i < 3; ++i) {
        const float own = e[i] * e[3];
        out[i] = static_cast<float>((flash[i] * flash[3] + own - own * flash[3]) / a);
      }
      out[3] = static_cast<float>(a);
    }
  }
  for (int i = 0; i < 4; ++i) out[i] = std::min(std::max(out[i], lower[i]), upper[i]);
  return out;
}

gfx::Rect sourceRectangle(const engine::RectData& source) {
  // An edge past the int32 range stops at its end rather than wrapping round to the other side.
  const auto edge = [](std::int32_t start, std::int32_t size) {
    return static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(start) + size, INT32_MIN, INT32_MAX));
  };
  return {source.x, source.y, edge(source.x, source.width), edge(source.y, source.height)};
}

SamplingParams samplingFromBitmap(int bitmapWidth, int bitmapHeight, const engine::RectData& source) {
  if (bitmapWidth <= 0 || bitmapHeight <= 0) return {};
  return {1.0f / static_cast<float>(bitmapWidth), 1.0f / static_cast<float>(bitmapHeight),
          static_cast<float>((static_cast<double>(source.y) + source.height) / bitmapHeight)};
}

SamplingParams samplingFromTexture(int textureWidth, int textureHeight) {
  if (textureWidth <= 0 || textureHeight <= 0) return {};
  return {1.0f / static_cast<float>(textureWidth), 1.0f / static_cast<float>(textureHeight), 1.0f};
}

std::uint32_t quadColour(float effectiveOpacity) {
  const auto alpha = static_cast<std::uint32_t>(std::clamp(effectiveOpacity, 0.0f, 255.0f));
  return (alpha << 24) | 0xFFFFFFu;
}

int quadShading(const gfx::QuadValues& values) {
  const auto& [tone, blend, bush, wave, texcoord, sampling] = values;
  (void)sampling;
  if (wave[0] != 0.0f) return render::kWavedShading;
  // A bush of depth 0 reaches no row; a blend colour of alpha 0 mixes none of its colour in.
  if (bush[0] != 0.0f || texcoord != std::array<float, 4>{1.0f, 1.0f, 0.0f, 0.0f}) return render::kValuedShading;
  return tone == std::array<float, 4>{} && blend[3] == 0.0f ? render::kPlainShading : render::kTonedShading;
}

}  // namespace scene
