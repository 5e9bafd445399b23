#pragma once

// The decoded contents of a .moc3 file: one record per object, indices already checked against every
// array they reach into (see Moc3Reader), so evaluation can index without further checks.

#include <cstdint>
#include <string>
#include <vector>

namespace live2d::cubism {

struct MocColor {
  float r = 1.0f;
  float g = 1.0f;
  float b = 1.0f;
};

struct MocCanvas {
  float pixelsPerUnit = 1.0f;
  float originX = 0.0f;
  float originY = 0.0f;
  float width = 0.0f;
  float height = 0.0f;
  std::uint8_t flags = 0;
};

struct MocPart {
  std::string id;
  int keyformBindingIndex = 0;
  int keyformBegin = 0;
  int keyformCount = 0;
  bool visible = true;
  bool enabled = true;
  int parentPartIndex = -1;
};

enum class MocDeformerType { Warp = 0, Rotation = 1 };

struct MocDeformer {
  std::string id;
  int keyformBindingIndex = 0;
  bool visible = true;
  bool enabled = true;
  int parentPartIndex = -1;
  int parentDeformerIndex = -1;
  MocDeformerType type = MocDeformerType::Warp;
  int specificIndex = 0;
};

struct MocWarp {
  int keyformBindingIndex = 0;
  int keyformBegin = 0;
  int keyformCount = 0;
  int vertexCount = 0;
  int rows = 0;
  int columns = 0;
  bool quadSource = false;
};

struct MocRotation {
  int keyformBindingIndex = 0;
  int keyformBegin = 0;
  int keyformCount = 0;
  float baseAngle = 0.0f;
};

struct MocArtMesh {
  std::string id;
  int keyformBindingIndex = 0;
  int keyformBegin = 0;
  int keyformCount = 0;
  bool visible = true;
  bool enabled = true;
  int parentPartIndex = -1;
  int parentDeformerIndex = -1;
  int textureIndex = 0;
  std::uint8_t flags = 0;
  int vertexCount = 0;
  int uvBegin = 0;
  int indexBegin = 0;
  int indexCount = 0;
  int maskBegin = 0;
  int maskCount = 0;
};

enum class MocParameterType { Normal = 0, BlendShape = 1 };

struct MocParameter {
  std::string id;
  float maximum = 0.0f;
  float minimum = 0.0f;
  float defaultValue = 0.0f;
  bool repeat = false;
  int decimalPlaces = 0;
  int bindingBegin = 0;
  int bindingCount = 0;
  MocParameterType type = MocParameterType::Normal;
  int blendShapeBindingBegin = 0;
  int blendShapeBindingCount = 0;
};

// Colour slots: -1 means the neutral colour (files before 4.2 carry none).
struct MocKeyformColors {
  int multiplyBegin = -1;
  int screenBegin = -1;
};

struct MocWarpKeyform {
  float opacity = 1.0f;
  int positionBegin = 0;
  MocKeyformColors colors;
};

struct MocRotationKeyform {
  float opacity = 1.0f;
  float angle = 0.0f;
  float originX = 0.0f;
  float originY = 0.0f;
  float scale = 1.0f;
  bool reflectX = false;
  bool reflectY = false;
  MocKeyformColors colors;
};

struct MocArtMeshKeyform {
  float opacity = 1.0f;
  float drawOrder = 0.0f;
  int positionBegin = 0;
  MocKeyformColors colors;
};

struct MocRange {
  int begin = 0;
  int count = 0;
};

struct MocDrawOrderGroup {
  int objectBegin = 0;
  int objectCount = 0;
  int objectTotalCount = 0;
  int maximumDrawOrder = 0;
  int minimumDrawOrder = 0;
};

enum class MocDrawOrderObjectType { ArtMesh = 0, Part = 1 };

struct MocDrawOrderGroupObject {
  MocDrawOrderObjectType type = MocDrawOrderObjectType::ArtMesh;
  int index = 0;
  int selfIndex = -1;
};

struct MocGlue {
  std::string id;
  int keyformBindingIndex = 0;
  int keyformBegin = 0;
  int keyformCount = 0;
  int artMeshA = 0;
  int artMeshB = 0;
  int infoBegin = 0;
  int infoCount = 0;
};

struct MocGlueInfo {
  float weight = 0.0f;
  int vertexIndex = 0;
};

struct MocBlendShapeParameterBinding {
  int keyBegin = 0;
  int keyCount = 0;
  int baseKeyIndex = 0;
};

struct MocBlendShapeKeyformBinding {
  int parameterBindingIndex = 0;
  int keyformBegin = 0;
  int keyformCount = 0;
  int constraintIndexBegin = 0;
  int constraintIndexCount = 0;
};

struct MocBlendShape {
  int target = 0;
  int bindingBegin = 0;
  int bindingCount = 0;
};

struct MocBlendShapeConstraint {
  int parameterIndex = 0;
  int valueBegin = 0;
  int valueCount = 0;
};

struct MocBlendShapeConstraintValue {
  float key = 0.0f;
  float weight = 0.0f;
};

struct MocData {
  int version = 0;
  MocCanvas canvas;
  std::vector<MocPart> parts;
  std::vector<MocDeformer> deformers;
  std::vector<MocWarp> warps;
  std::vector<MocRotation> rotations;
  std::vector<MocArtMesh> artMeshes;
  std::vector<MocParameter> parameters;
  std::vector<float> partKeyformDrawOrders;
  std::vector<MocWarpKeyform> warpKeyforms;
  std::vector<MocRotationKeyform> rotationKeyforms;
  std::vector<MocArtMeshKeyform> artMeshKeyforms;
  std::vector<float> keyformPositions;
  std::vector<int> parameterBindingIndices;
  std::vector<MocRange> keyformBindings;
  std::vector<MocRange> parameterBindings;
  std::vector<float> keys;
  std::vector<float> uvs;
  std::vector<std::uint16_t> positionIndices;
  std::vector<int> drawableMasks;
  std::vector<MocDrawOrderGroup> drawOrderGroups;
  std::vector<MocDrawOrderGroupObject> drawOrderGroupObjects;
  std::vector<MocGlue> glues;
  std::vector<MocGlueInfo> glueInfos;
  std::vector<float> glueIntensities;
  std::vector<MocColor> multiplyColors;
  std::vector<MocColor> screenColors;
  std::vector<MocBlendShapeParameterBinding> blendShapeParameterBindings;
  std::vector<MocBlendShapeKeyformBinding> blendShapeKeyformBindings;
  std::vector<MocBlendShape> blendShapesWarps;
  std::vector<MocBlendShape> blendShapesArtMeshes;
  std::vector<MocBlendShape> blendShapesParts;
  std::vector<MocBlendShape> blendShapesRotations;
  std::vector<MocBlendShape> blendShapesGlues;
  std::vector<int> blendShapeConstraintIndices;
  std::vector<MocBlendShapeConstraint> blendShapeConstraints;
  std::vector<MocBlendShapeConstraintValue> blendShapeConstraintValues;

  // Derived at load: the parameter owning each parameter binding and each blend-shape parameter binding,
  // and the parts and deformers in parent-first order.
  std::vector<int> parameterOfBinding;
  std::vector<int> parameterOfBlendShapeBinding;
  std::vector<int> deformerOrder;
  std::vector<int> partOrder;
};

}  // namespace live2d::cubism
