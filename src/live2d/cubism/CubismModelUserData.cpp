#include "live2d/cubism/CubismModelUserData.h"

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/private/Json.h"

namespace live2d::cubism {

std::unique_ptr<CubismModelUserData> CubismModelUserData::create(std::span<const std::uint8_t> bytes) {
  const nlohmann::json root = json::parse(bytes);
  if (root.is_discarded() || !root.is_object()) {
    CUBISM_LOG_ERROR("Invalid user data: not a JSON object.\n");
    return nullptr;
  }
  auto data = std::make_unique<CubismModelUserData>();
  CubismIdManager* ids = CubismFramework::getIdManager();
  for (const nlohmann::json& entry : json::array(root, "UserData")) {
    const std::string target = json::string(entry, "Target");
    const std::string id = json::string(entry, "Id");
    if (target.empty() || id.empty()) continue;
    data->m_nodes.push_back({ids->getId(target), ids->getId(id), json::string(entry, "Value")});
  }
  return data;
}

std::vector<const CubismModelUserData::UserDataNode*> CubismModelUserData::getArtMeshUserDatas() const {
  const CubismIdHandle artMesh = CubismFramework::getIdManager()->getId("ArtMesh");
  std::vector<const UserDataNode*> result;
  for (const UserDataNode& node : m_nodes) {
    if (node.targetType == artMesh) result.push_back(&node);
  }
  return result;
}

}  // namespace live2d::cubism
