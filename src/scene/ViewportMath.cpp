#include "scene/ViewportMath.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace scene {

gfx::Viewport clipToScreen(const engine::RectData& rect, int screenWidth, int screenHeight) {
  // 64-bit sums: a rectangle near the int limits must not wrap into a visible area.
  const auto clamp = [](std::int64_t v, std::int64_t lo, std::int64_t hi) {
    return static_cast<int>(std::clamp(v, lo, std::max(lo, hi)));
  };
  gfx::Viewport out;
  out.x = clamp(rect.x, 0, screenWidth);
  out.y = clamp(rect.y, 0, screenHeight);
  out.width = clamp(static_cast<std::int64_t>(rect.x) + rect.width - out.x, 0, screenWidth - out.x);
  out.height = clamp(static_cast<std::int64_t>(rect.y) + rect.height - out.y, 0, screenHeight - out.y);
  return out;
}

std::vector<LayerStep> planFastLayers(std::span<const double> effectiveZ,
                                      const std::map<std::int32_t, std::int32_t>& layers) {
  std::vector<LayerStep> steps(effectiveZ.size());
  // Kept apart from the key so that no key value can stand for "no group".
  std::optional<std::int32_t> running;
  for (std::size_t i = 0; i < effectiveZ.size(); ++i) {
    LayerStep& step = steps[i];
    const double z = effectiveZ[i];
    if (running && z != static_cast<double>(*running)) {
      step.endGroupBefore = true;
      running.reset();
      continue;
    }
    if (!running && std::isfinite(z) && z >= INT32_MIN && z <= INT32_MAX) {
      const auto key = static_cast<std::int32_t>(z);
      if (const auto found = layers.find(key); found != layers.end()) {
        running = key;
        step.beginGroup = true;
        step.pass = found->second == 1 || found->second == 2 ? found->second : 0;
      }
    }
    step.batched = running.has_value();
  }
  return steps;
}

bool groupOpenAtEnd(std::span<const LayerStep> steps) { return !steps.empty() && steps.back().batched; }

int compositeAlpha(const FlashState& flash) {
  if (!hiddenByFlash(flash.framesLeft, flash.colour)) return 255;
  return static_cast<int>(std::clamp(flash.hideProgress * 255.0f, 0.0f, 255.0f));
}

bool drawsOnScreen(bool visible, const bindings::Tone& tone, bool customEffect, const FlashState& flash) {
  return visible && tone == bindings::Tone{} && !customEffect && compositeAlpha(flash) == 255;
}

OverlayColour overlayColour(const bindings::Color& colour, const FlashState& flash) {
  OverlayColour out;
  const bool colouredFlash =
      flash.framesLeft > 0 && !hiddenByFlash(flash.framesLeft, flash.colour) &&
      (flash.colour[0] != 0.0f || flash.colour[1] != 0.0f || flash.colour[2] != 0.0f || flash.colour[3] != 0.0f);
  out.drawn = colour.alpha > 0 || colouredFlash;
  // Saturated rather than wrapped: a flash over a strong colour must not turn dark.
  const auto sum = [](std::uint8_t own, float flashPart) {
    return static_cast<std::uint8_t>(std::clamp((own / 255.0f + flashPart) * 255.0f, 0.0f, 255.0f));
  };
  out.colour.red = sum(colour.red, flash.colour[0]);
  out.colour.green = sum(colour.green, flash.colour[1]);
  out.colour.blue = sum(colour.blue, flash.colour[2]);
  out.colour.alpha = 255;
  out.opacity = sum(colour.alpha, flash.colour[3]);
  return out;
}

}  // namespace scene
