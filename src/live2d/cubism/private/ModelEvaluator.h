#pragma once

// Turns parameter values and part opacities into drawable geometry: keyform blending, the deformer tree,
// glue, blend shapes, opacities, colours and the render order. All buffers are sized once, at
// construction; an evaluation allocates nothing.

#include <cstdint>
#include <vector>

#include "live2d/cubism/private/FrameworkAllocator.h"
#include "live2d/cubism/private/MocData.h"

namespace live2d::cubism {

struct Rgb {
  float r = 1.0f;
  float g = 1.0f;
  float b = 1.0f;
};

class ModelEvaluator {
 public:
  explicit ModelEvaluator(const MocData& moc);

  // `parameters` holds one clamped value per moc parameter, `partOpacities` one value per part.
  void evaluate(const float* parameters, const float* partOpacities);

  // Results per art mesh. Positions are y-up (see CubismModel).
  FrameworkVector<float> positions;        // flat x, y; art mesh i starts at positionOffsets[i]
  std::vector<std::size_t> positionOffsets;
  std::vector<float> opacities;
  std::vector<float> drawOrders;
  std::vector<std::uint8_t> enabled;
  std::vector<Rgb> multiplyColors;
  std::vector<Rgb> screenColors;
  std::vector<int> renderOrders;           // position of art mesh i in the drawing sequence
  std::vector<int> drawSequence;           // art meshes, back to front

 private:
  struct Corner {
    int offset = 0;
    float weight = 0.0f;
  };
  struct Deformer {
    bool enabled = true;
    bool isWarp = true;
    float opacity = 1.0f;
    Rgb multiply;
    Rgb screen{0.0f, 0.0f, 0.0f};
    // warp
    std::size_t gridOffset = 0;
    int rows = 0;
    int columns = 0;
    bool quadSource = false;
    // rotation (world form)
    float originX = 0.0f;
    float originY = 0.0f;
    float angleDegrees = 0.0f;
    float cosAngle = 1.0f;
    float sinAngle = 0.0f;
    float scale = 1.0f;
    bool reflectX = false;
    bool reflectY = false;
    // scale from this deformer's output units to model units, for rotations placed under it
    float accumulatedScale = 1.0f;
  };

  void computeBindingWeights(const float* parameters);
  void evaluateParts(const float* partOpacities, const float* parameters);
  void evaluateDeformers(const float* parameters);
  void evaluateArtMeshes(const float* parameters);
  void applyGlue(const float* parameters);
  void computeRenderOrder();
  void emitGroup(int group, int depth);

  void transformPoint(const Deformer& d, float x, float y, float& outX, float& outY) const;
  void warpPoint(const Deformer& d, float x, float y, float& outX, float& outY) const;
  float blendShapeWeight(const MocBlendShapeKeyformBinding& binding, const float* parameters) const;
  bool blendShapeCorners(const MocBlendShapeKeyformBinding& binding, const float* parameters, Corner* corners,
                         int* baseOffset) const;
  Rgb blendColor(const std::vector<MocColor>& table, int slot, const Rgb& neutral) const;

  const MocData& m_moc;
  std::vector<Corner> m_corners;
  std::vector<std::size_t> m_cornerBegin;  // per keyform binding, into m_corners
  std::vector<int> m_cornerCount;
  std::vector<float> m_partDrawOrders;
  std::vector<float> m_partOpacityProduct;
  std::vector<std::uint8_t> m_partEnabled;
  std::vector<int> m_partOrder;
  std::vector<Deformer> m_deformers;
  FrameworkVector<float> m_grids;          // world grid points of every warp deformer
  std::vector<float> m_glueIntensity;
  // render-order scratch
  struct SortItem {
    int key = 0;
    int position = 0;
    int objectIndex = 0;
  };
  std::vector<std::vector<SortItem>> m_groupScratch;
  std::vector<std::uint8_t> m_groupActive;
  FrameworkVector<float> m_meshScratch;
  // blend shapes by target object
  std::vector<std::vector<int>> m_warpShapes;
  std::vector<std::vector<int>> m_meshShapes;
  std::vector<std::vector<int>> m_partShapes;
  std::vector<std::vector<int>> m_rotationShapes;
  std::vector<std::vector<int>> m_glueShapes;
};

}  // namespace live2d::cubism
