#pragma once

// The order of a frame: each draw list sorted by (effective z, own y, creation serial), the viewports by z keeping
// creation order on ties, and the screen's objects merged with the viewports as two sorted runs.
//
// Only sprite-like objects order equal z by their y: windows, planes, tilemap layers and viewports of equal z draw in
// creation order, the later on top, wherever they stand on the screen. They sort as if their y were 0, which keeps
// the order total when they meet sprites of the same z.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace scene {

class Sprite;
class Viewport;

struct SortKey {
  double z = 0.0;
  std::int32_t y = 0;
  std::int32_t serial = 0;
};

// Lexicographic on (z, y, serial).
bool drawsBefore(const SortKey& a, const SortKey& b);

// A draw list's key: effective z, the object's own y (not the effective one; 0 for objects that do not order by y),
// its serial.
SortKey drawKey(const Sprite& object);
// A viewport's key in the merge: its z, y 0, its serial.
SortKey viewportKey(const Viewport& viewport);

// False, moving nothing, when the list is in order already (as it mostly is from one frame to the next).
bool sortDrawList(std::vector<Sprite*>& list);
// By z; stable, so ties keep creation order.
void sortViewports(std::vector<Viewport*>& viewports);

// One step of the screen's order: the object or viewport at `index` of its run.
struct ScreenItem {
  bool isViewport = false;
  std::size_t index = 0;
  bool operator==(const ScreenItem&) const = default;
};

// Merges the sorted screen objects with the sorted viewports: a viewport goes first only when its key is strictly
// smaller than the object's.
std::vector<ScreenItem> mergeScreenOrder(std::span<const SortKey> objects, std::span<const SortKey> viewports);

// The same merge as places: for each sorted viewport, how many of the sorted objects go before it. `keyAt(i)` is
// object i's key; a binary search per viewport reads only a few of them.
template <class KeyAt>
std::vector<std::size_t> viewportPlaces(std::size_t objectCount, KeyAt keyAt, std::span<const SortKey> viewports) {
  std::vector<std::size_t> places;
  places.reserve(viewports.size());
  std::size_t first = 0;
  for (const SortKey& viewport : viewports) {
    // Objects are in key order, so those a viewport draws before form the tail of the list.
    std::size_t low = first;
    std::size_t high = objectCount;
    while (low < high) {
      const std::size_t middle = low + (high - low) / 2;
      if (drawsBefore(viewport, keyAt(middle))) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    places.push_back(first = low);
  }
  return places;
}

}  // namespace scene
