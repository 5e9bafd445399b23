#include "host/RendererControl.h"

#include <vector>

namespace host {

namespace {

struct Renderers {
  std::vector<std::unique_ptr<RendererControl>> all;
  RendererControl* current = nullptr;
};

Renderers& renderers() {
  static Renderers instance;
  return instance;
}

}  // namespace

RendererControl* currentRenderer() {
  return renderers().current;
}

void publishRenderer(std::unique_ptr<RendererControl> renderer) {
  renderers().current = renderer.get();
  renderers().all.push_back(std::move(renderer));
}

void clearCurrentRenderer() {
  renderers().current = nullptr;
}

}  // namespace host
