#include "skeleton/runtime/private/ReaderSupport.h"

#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/SkeletonData.h"

namespace spine::detail {

void resolveLinkedMeshes(SkeletonData& data, std::vector<LinkedMesh>& linkedMeshes) {
  for (LinkedMesh& linked : linkedMeshes) {
    const Skin* skin = linked.skin ? data.findSkin(*linked.skin) : data.defaultSkin;
    if (!skin)
      throw ReadError("skin not found for linked mesh " + linked.mesh->name + ": " + linked.skin.value_or("default"));
    Attachment* parent = skin->getAttachment(linked.slotIndex, linked.parent);
    if (!parent) throw ReadError("parent mesh not found for linked mesh " + linked.mesh->name + ": " + linked.parent);
    if (parent->type() != AttachmentType::Mesh)
      throw ReadError("parent of linked mesh " + linked.mesh->name + " is not a mesh: " + linked.parent);
    auto* parentMesh = static_cast<MeshAttachment*>(parent);
    if (parentMesh->parentMesh) parentMesh = parentMesh->parentMesh;
    linked.mesh->deformAttachment = linked.inheritDeform ? parentMesh : linked.mesh.get();
    linked.mesh->setParentMesh(parentMesh);
    linked.mesh->updateUVs();
  }
  linkedMeshes.clear();
}

std::vector<int> buildDrawOrder(size_t slotCount, const std::vector<std::pair<int, int>>& offsets) {
  std::vector<int> order(slotCount, -1);
  std::vector<int> unchanged;
  unchanged.reserve(slotCount);
  size_t original = 0;
  for (const auto& [slotIndex, offset] : offsets) {
    if (slotIndex < 0 || static_cast<size_t>(slotIndex) >= slotCount || static_cast<size_t>(slotIndex) < original)
      throw ReadError("draw order offsets out of order or out of range");
    while (original != static_cast<size_t>(slotIndex)) unchanged.push_back(static_cast<int>(original++));
    long long target = static_cast<long long>(original) + offset;
    if (target < 0 || target >= static_cast<long long>(slotCount) || order[static_cast<size_t>(target)] != -1)
      throw ReadError("draw order offset moves a slot outside the order or onto another slot");
    order[static_cast<size_t>(target)] = static_cast<int>(original++);
  }
  while (original < slotCount) unchanged.push_back(static_cast<int>(original++));
  for (size_t i = slotCount; i-- > 0;)
    if (order[i] == -1) {
      order[i] = unchanged.back();
      unchanged.pop_back();
    }
  return order;
}

std::vector<float> buildDeformFrame(const VertexAttachment& attachment, size_t start,
                                    const std::vector<float>& values) {
  const bool weighted = attachment.isWeighted();
  const size_t length = attachment.deformLength();
  if (values.empty()) return weighted ? std::vector<float>(length, 0.0f) : attachment.vertices;
  if (start > length || values.size() > length - start)
    throw ReadError("deform key of " + attachment.name + " has more values than the attachment has vertices");
  std::vector<float> frame(length, 0.0f);
  std::copy(values.begin(), values.end(), frame.begin() + static_cast<std::ptrdiff_t>(start));
  if (!weighted)
    for (size_t i = 0; i < length; ++i) frame[i] += attachment.vertices[i];
  return frame;
}

void validateVertices(const VertexAttachment& attachment, size_t boneCount, const std::string& what) {
  const size_t length = static_cast<size_t>(attachment.worldVerticesLength);
  if (!attachment.isWeighted()) {
    if (attachment.vertices.size() != length) throw ReadError(what + ": vertex count does not match");
    return;
  }
  size_t influences = 0, vertexCount = 0;
  for (size_t i = 0; i < attachment.bones.size(); ++vertexCount) {
    const int n = attachment.bones[i++];
    if (n < 0 || static_cast<size_t>(n) > attachment.bones.size() - i)
      throw ReadError(what + ": bad bone influence count");
    for (int k = 0; k < n; ++k, ++i) {
      const int bone = attachment.bones[i];
      if (bone < 0 || static_cast<size_t>(bone) >= boneCount) throw ReadError(what + ": bone index out of range");
    }
    influences += static_cast<size_t>(n);
  }
  if (vertexCount * 2 != length || influences * 3 != attachment.vertices.size())
    throw ReadError(what + ": weighted vertices do not match the vertex count");
}

void validateMesh(const MeshAttachment& mesh, const std::string& what) {
  const size_t vertexCount = mesh.regionUVs.size() / 2;
  if (mesh.regionUVs.size() % 2 != 0 || vertexCount > kMaxMeshVertices) throw ReadError(what + ": bad uv count");
  if (static_cast<size_t>(mesh.worldVerticesLength) != vertexCount * 2)
    throw ReadError(what + ": uvs and vertices disagree");
  if (mesh.triangles.size() % 3 != 0) throw ReadError(what + ": triangle list is not a multiple of 3");
  for (uint16_t index : mesh.triangles)
    if (index >= vertexCount) throw ReadError(what + ": triangle index out of range");
  if (mesh.hullLength < 0 || static_cast<size_t>(mesh.hullLength) > vertexCount * 2)
    throw ReadError(what + ": hull larger than the mesh");
}

}  // namespace spine::detail
