#include "scene/DrawOrder.h"

#include <algorithm>

#include "scene/Sprite.h"
#include "scene/Viewport.h"

namespace scene {

bool drawsBefore(const SortKey& a, const SortKey& b) {
  if (a.z != b.z) return a.z < b.z;
  if (a.y != b.y) return a.y < b.y;
  return a.serial < b.serial;
}

SortKey drawKey(const Sprite& object) {
  return {object.effectiveZ, object.ordersByY ? object.y : 0, object.creationSerial};
}

SortKey viewportKey(const Viewport& viewport) { return {viewport.z, 0, viewport.creationSerial}; }

void sortDrawList(std::vector<Sprite*>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const Sprite* a, const Sprite* b) { return drawsBefore(drawKey(*a), drawKey(*b)); });
}

void sortViewports(std::vector<Viewport*>& viewports) {
  std::stable_sort(viewports.begin(), viewports.end(),
                   [](const Viewport* a, const Viewport* b) { return a->z < b->z; });
}

std::vector<ScreenItem> mergeScreenOrder(std::span<const SortKey> objects, std::span<const SortKey> viewports) {
  std::vector<ScreenItem> order;
  order.reserve(objects.size() + viewports.size());
  std::size_t o = 0;
  std::size_t v = 0;
  while (o < objects.size() && v < viewports.size()) {
    if (drawsBefore(viewports[v], objects[o])) {
      order.push_back({true, v++});
    } else {
      order.push_back({false, o++});
    }
  }
  for (; o < objects.size(); ++o) order.push_back({false, o});
  for (; v < viewports.size(); ++v) order.push_back({true, v});
  return order;
}

}  // namespace scene
