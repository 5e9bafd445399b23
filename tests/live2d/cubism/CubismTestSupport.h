#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/private/MocData.h"

namespace live2d::cubism::test {

std::string sampleDir();
bool haveSamples();
std::vector<std::uint8_t> readFile(const std::string& path);
// sampleDir()/Name/relative
std::vector<std::uint8_t> sampleFile(const std::string& model, const std::string& relative);
std::unique_ptr<CubismModel> loadSampleModel(const std::string& model);
CubismIdHandle id(const char* name);

// Collects "[CSM]" log lines while alive.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  const std::vector<std::string>& lines() const;
  bool contains(const std::string& text) const;
};

// Builders for small hand-made models: one parameter binding per parameter, keys as given.
struct ModelBuilder {
  MocData data;
  ModelBuilder();
  int addParameter(const std::string& id, float minimum, float maximum, float defaultValue, std::vector<float> keys);
  // A keyform binding over the given parameters (first varies fastest).
  int addBinding(const std::vector<int>& parameters);
  int addPart(const std::string& id, int binding, const std::vector<float>& drawOrders, int parent = -1);
  // A mesh with `keyforms` keyforms, each a list of (x, y) points; one triangle fan over the points.
  int addMesh(const std::string& id, int binding, const std::vector<std::vector<float>>& keyformPositions,
              const std::vector<float>& drawOrders, const std::vector<float>& opacities, int parentPart = 0,
              int parentDeformer = -1);
  int addWarp(const std::string& id, int binding, int rows, int columns,
              const std::vector<std::vector<float>>& keyformGrids, int parentDeformer = -1, bool quad = false);
  struct RotationKeyform {
    float angle = 0.0f;
    float originX = 0.0f;
    float originY = 0.0f;
    float scale = 1.0f;
  };
  int addRotation(const std::string& id, int binding, const std::vector<RotationKeyform>& keyforms,
                  int parentDeformer = -1, float baseAngle = 0.0f);
  // One draw order group holding every mesh.
  void finishDrawOrder();
  std::unique_ptr<CubismModel> build();
  std::shared_ptr<CubismMoc> moc;
};

}  // namespace live2d::cubism::test
