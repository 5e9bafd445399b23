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

bool sortDrawList(std::vector<Sprite*>& list) {
  const auto before = [](const Sprite* a, const Sprite* b) { return drawsBefore(drawKey(*a), drawKey(*b)); };
  if (std::is_sorted(list.begin(), list.end(), before)) return false;
  // The keys side by side, so that the sort does not chase a pointer for every comparison.
  std::vector<std::pair<SortKey, Sprite*>> keyed;
  keyed.reserve(list.size());
  for (Sprite* object : list) keyed.emplace_back(drawKey(*object), object);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return drawsBefore(a.first, b.first); });
  for (std::size_t i = 0; i < list.size(); ++i) list[i] = keyed[i].second;
  return true;
}

void sortViewports(std::vector<Viewport*>& viewports) {
  std::stable_sort(viewports.begin(), viewports.end(),
                   [](const Viewport* a, const Viewport* b) { return a->z < b->z; });
}

std::vector<ScreenItem> mergeScreenOrder(std::span<const SortKey> objects, std::span<const SortKey> viewports) {
  const std::vector<std::size_t> places = viewportPlaces(
      objects.size(), [&](std::size_t i) { return objects[i]; }, viewports);
  std::vector<ScreenItem> order;
  order.reserve(objects.size() + viewports.size());
  std::size_t o = 0;
  for (std::size_t v = 0; v < viewports.size(); ++v) {
    for (; o < places[v]; ++o) order.push_back({false, o});
    order.push_back({true, v});
  }
  for (; o < objects.size(); ++o) order.push_back({false, o});
  return order;
}

}  // namespace scene
