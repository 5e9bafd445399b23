#pragma once

// The clipping of a skeleton's drawing by a clipping attachment: from the slot showing the attachment through its
// end slot in draw order, every drawn triangle keeps only its part inside the attachment's polygon, as the editor
// shows it. The polygon may be concave; it is cut into triangles once per clip, and each drawn triangle is clipped
// against each of them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace spine {
class ClippingAttachment;
class Slot;
}  // namespace spine

namespace skeleton {

// Triangles of a simple polygon given as x, y pairs, either winding; each triangle as three x, y pairs turning
// counter-clockwise (y up). Degenerate corners are dropped; a self-intersecting polygon still yields triangles
// covering most of it, and no input makes the cut loop without end.
std::vector<std::array<float, 6>> triangulatePolygon(const std::vector<float>& polygon);

// Sutherland–Hodgman: the part of `subject` (x, y pairs) inside the counter-clockwise triangle `clip`.
std::vector<float> clipToTriangle(const std::vector<float>& subject, const std::array<float, 6>& clip);

class SkeletonClipping {
 public:
  // Starts clipping with the attachment the slot shows. False, changing nothing, while a clip is active or when the
  // polygon has fewer than three vertices.
  bool clipStart(const spine::Slot& slot, const spine::ClippingAttachment& clip);
  // Ends the clip once `slot` is its end slot (called after each slot is drawn).
  void clipEnd(const spine::Slot& slot);
  void clipEnd();
  bool active() const { return m_active; }

  // The parts inside the polygon of the triangles `indices` (each naming vertices of `positions` and `uvs`, x, y
  // and u, v pairs), appended to the outputs as new vertices and a triangle list numbered from `firstVertex`.
  void clipTriangles(const float* positions, const float* uvs, const std::uint16_t* indices, std::size_t indexCount,
                     std::vector<float>& outPositions, std::vector<float>& outUvs,
                     std::vector<std::uint32_t>& outIndices, std::uint32_t firstVertex);

 private:
  bool m_active = false;
  int m_endSlot = -1;
  std::vector<float> m_polygon;
  std::vector<std::array<float, 6>> m_triangles;
  std::vector<float> m_subject;
};

}  // namespace skeleton
