#pragma once

// userdata3.json: free-form text tags on art meshes.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismModelUserData {
 public:
  struct UserDataNode {
    CubismIdHandle targetType = nullptr;  // "ArtMesh"
    CubismIdHandle targetId = nullptr;
    std::string value;
  };

  static std::unique_ptr<CubismModelUserData> create(std::span<const std::uint8_t> bytes);

  const std::vector<UserDataNode>& getUserDataNodes() const { return m_nodes; }
  std::vector<const UserDataNode*> getArtMeshUserDatas() const;

 private:
  std::vector<UserDataNode> m_nodes;
};

}  // namespace live2d::cubism
