#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace spine {
class MeshAttachment;
class SkeletonData;
class VertexAttachment;
}  // namespace spine

// What the JSON and binary skeleton readers share: both must build exactly the same SkeletonData.
namespace spine::detail {

// Thrown inside the readers; readSkeletonData turns it into its error text and a null result.
struct ReadError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A mesh whose geometry comes from another mesh, resolved once every skin is loaded.
struct LinkedMesh {
  std::shared_ptr<MeshAttachment> mesh;
  std::optional<std::string> skin;  // null: the default skin
  int slotIndex = 0;
  std::string parent;  // skin key of the source mesh in the same slot
  bool inheritDeform = true;
};

void resolveLinkedMeshes(SkeletonData& data, std::vector<LinkedMesh>& linkedMeshes);

// Rebuilds a full draw order from (slot index, offset) pairs listed in increasing slot order.
std::vector<int> buildDrawOrder(size_t slotCount, const std::vector<std::pair<int, int>>& offsets);

// One deform key: `values` (already scaled) placed at `start`; unweighted keys become absolute positions by adding
// the setup vertices, weighted keys stay offsets. With no values the key is the setup shape.
std::vector<float> buildDeformFrame(const VertexAttachment& attachment, size_t start, const std::vector<float>& values);

// Checks the invariants that world vertices and drawing rely on (bone indices, triangle indices, sizes).
void validateVertices(const VertexAttachment& attachment, size_t boneCount, const std::string& what);
void validateMesh(const MeshAttachment& mesh, const std::string& what);

// Largest vertex count a mesh may have: triangles index it with 16 bits.
constexpr size_t kMaxMeshVertices = 65536;

}  // namespace spine::detail
