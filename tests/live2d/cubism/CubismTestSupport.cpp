#include "tests/live2d/cubism/CubismTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace live2d::cubism::test {

namespace {

std::vector<std::string>& capturedLines() {
  static std::vector<std::string> lines;
  return lines;
}

void captureLog(const char* message) { capturedLines().emplace_back(message); }

}  // namespace

std::string sampleDir() { return std::string(QUILLON_TESTDATA_DIR) + "/live2d"; }
bool haveSamples() { return std::filesystem::exists(sampleDir() + "/Haru/Haru.moc3"); }

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> sampleFile(const std::string& model, const std::string& relative) {
  return readFile(sampleDir() + "/" + model + "/" + relative);
}

std::unique_ptr<CubismModel> loadSampleModel(const std::string& model) {
  const auto moc = CubismMoc::create(sampleFile(model, model + ".moc3"));
  return moc ? moc->createModel() : nullptr;
}

CubismIdHandle id(const char* name) { return CubismFramework::getIdManager()->getId(name); }

LogCapture::LogCapture() {
  capturedLines().clear();
  CubismFramework::setLogFunction(captureLog);
  CubismFramework::setLoggingLevel(LogLevel::Verbose);
}

LogCapture::~LogCapture() { CubismFramework::setLogFunction(nullptr); }

const std::vector<std::string>& LogCapture::lines() const { return capturedLines(); }

bool LogCapture::contains(const std::string& text) const {
  for (const std::string& line : capturedLines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

ModelBuilder::ModelBuilder() {
  data.version = 3;
  data.canvas = {100.0f, 50.0f, 50.0f, 100.0f, 100.0f, 0};
  // Part 0 is the root every mesh belongs to unless told otherwise.
  data.parts.push_back({"Root", 0, 0, 1, true, true, -1});
  data.keyformBindings.push_back({0, 0});
  data.partKeyformDrawOrders.push_back(500.0f);
}

int ModelBuilder::addParameter(const std::string& id, float minimum, float maximum, float defaultValue,
                               std::vector<float> keys) {
  MocParameter p;
  p.id = id;
  p.minimum = minimum;
  p.maximum = maximum;
  p.defaultValue = defaultValue;
  p.bindingBegin = static_cast<int>(data.parameterBindings.size());
  p.bindingCount = 1;
  data.parameterBindings.push_back({static_cast<int>(data.keys.size()), static_cast<int>(keys.size())});
  data.keys.insert(data.keys.end(), keys.begin(), keys.end());
  data.parameters.push_back(p);
  return static_cast<int>(data.parameters.size()) - 1;
}

int ModelBuilder::addBinding(const std::vector<int>& parameters) {
  const int begin = static_cast<int>(data.parameterBindingIndices.size());
  for (int p : parameters) data.parameterBindingIndices.push_back(data.parameters[static_cast<std::size_t>(p)].bindingBegin);
  data.keyformBindings.push_back({begin, static_cast<int>(parameters.size())});
  return static_cast<int>(data.keyformBindings.size()) - 1;
}

int ModelBuilder::addPart(const std::string& id, int binding, const std::vector<float>& drawOrders, int parent) {
  MocPart part{id, binding, static_cast<int>(data.partKeyformDrawOrders.size()), static_cast<int>(drawOrders.size()),
               true, true, parent};
  data.partKeyformDrawOrders.insert(data.partKeyformDrawOrders.end(), drawOrders.begin(), drawOrders.end());
  data.parts.push_back(part);
  return static_cast<int>(data.parts.size()) - 1;
}

int ModelBuilder::addMesh(const std::string& id, int binding, const std::vector<std::vector<float>>& keyformPositions,
                          const std::vector<float>& drawOrders, const std::vector<float>& opacities, int parentPart,
                          int parentDeformer) {
  MocArtMesh mesh;
  mesh.id = id;
  mesh.keyformBindingIndex = binding;
  mesh.keyformBegin = static_cast<int>(data.artMeshKeyforms.size());
  mesh.keyformCount = static_cast<int>(keyformPositions.size());
  mesh.parentPartIndex = parentPart;
  mesh.parentDeformerIndex = parentDeformer;
  mesh.flags = 4;
  mesh.vertexCount = static_cast<int>(keyformPositions.front().size() / 2);
  for (std::size_t k = 0; k < keyformPositions.size(); ++k) {
    MocArtMeshKeyform kf;
    kf.opacity = opacities[k];
    kf.drawOrder = drawOrders[k];
    kf.positionBegin = static_cast<int>(data.keyformPositions.size());
    data.keyformPositions.insert(data.keyformPositions.end(), keyformPositions[k].begin(), keyformPositions[k].end());
    data.artMeshKeyforms.push_back(kf);
  }
  mesh.uvBegin = static_cast<int>(data.uvs.size());
  for (int v = 0; v < mesh.vertexCount; ++v) {
    data.uvs.push_back(0.5f);
    data.uvs.push_back(0.5f);
  }
  mesh.indexBegin = static_cast<int>(data.positionIndices.size());
  for (int v = 1; v + 1 < mesh.vertexCount; ++v) {
    data.positionIndices.push_back(0);
    data.positionIndices.push_back(static_cast<std::uint16_t>(v));
    data.positionIndices.push_back(static_cast<std::uint16_t>(v + 1));
  }
  mesh.indexCount = static_cast<int>(data.positionIndices.size()) - mesh.indexBegin;
  mesh.maskBegin = static_cast<int>(data.drawableMasks.size());
  data.artMeshes.push_back(mesh);
  return static_cast<int>(data.artMeshes.size()) - 1;
}

int ModelBuilder::addWarp(const std::string& id, int binding, int rows, int columns,
                          const std::vector<std::vector<float>>& keyformGrids, int parentDeformer, bool quad) {
  MocWarp warp;
  warp.keyformBindingIndex = binding;
  warp.keyformBegin = static_cast<int>(data.warpKeyforms.size());
  warp.keyformCount = static_cast<int>(keyformGrids.size());
  warp.rows = rows;
  warp.columns = columns;
  warp.vertexCount = (rows + 1) * (columns + 1);
  warp.quadSource = quad;
  for (const auto& grid : keyformGrids) {
    MocWarpKeyform kf;
    kf.positionBegin = static_cast<int>(data.keyformPositions.size());
    data.keyformPositions.insert(data.keyformPositions.end(), grid.begin(), grid.end());
    data.warpKeyforms.push_back(kf);
  }
  data.warps.push_back(warp);
  MocDeformer d;
  d.id = id;
  d.keyformBindingIndex = binding;
  d.parentPartIndex = 0;
  d.parentDeformerIndex = parentDeformer;
  d.type = MocDeformerType::Warp;
  d.specificIndex = static_cast<int>(data.warps.size()) - 1;
  data.deformers.push_back(d);
  return static_cast<int>(data.deformers.size()) - 1;
}

int ModelBuilder::addRotation(const std::string& id, int binding, const std::vector<RotationKeyform>& keyforms,
                              int parentDeformer, float baseAngle) {
  MocRotation rotation;
  rotation.keyformBindingIndex = binding;
  rotation.keyformBegin = static_cast<int>(data.rotationKeyforms.size());
  rotation.keyformCount = static_cast<int>(keyforms.size());
  rotation.baseAngle = baseAngle;
  for (const RotationKeyform& k : keyforms) {
    MocRotationKeyform kf;
    kf.angle = k.angle;
    kf.originX = k.originX;
    kf.originY = k.originY;
    kf.scale = k.scale;
    data.rotationKeyforms.push_back(kf);
  }
  data.rotations.push_back(rotation);
  MocDeformer d;
  d.id = id;
  d.keyformBindingIndex = binding;
  d.parentPartIndex = 0;
  d.parentDeformerIndex = parentDeformer;
  d.type = MocDeformerType::Rotation;
  d.specificIndex = static_cast<int>(data.rotations.size()) - 1;
  data.deformers.push_back(d);
  return static_cast<int>(data.deformers.size()) - 1;
}

void ModelBuilder::finishDrawOrder() {
  MocDrawOrderGroup group;
  group.objectBegin = static_cast<int>(data.drawOrderGroupObjects.size());
  group.objectCount = static_cast<int>(data.artMeshes.size());
  group.objectTotalCount = group.objectCount;
  group.minimumDrawOrder = 0;
  group.maximumDrawOrder = 1000;
  for (std::size_t i = 0; i < data.artMeshes.size(); ++i) {
    data.drawOrderGroupObjects.push_back({MocDrawOrderObjectType::ArtMesh, static_cast<int>(i), -1});
  }
  data.drawOrderGroups.push_back(group);
}

std::unique_ptr<CubismModel> ModelBuilder::build() {
  if (data.drawOrderGroups.empty()) finishDrawOrder();
  moc = CubismMoc::createFromData(data);
  return moc ? moc->createModel() : nullptr;
}

}  // namespace live2d::cubism::test
