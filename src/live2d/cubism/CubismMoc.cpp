#include "live2d/cubism/CubismMoc.h"

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/private/Moc3Reader.h"

namespace live2d::cubism {

CubismMoc::CubismMoc(std::unique_ptr<MocData> data) : m_data(std::move(data)) {}
CubismMoc::~CubismMoc() = default;

std::shared_ptr<CubismMoc> CubismMoc::create(std::span<const std::uint8_t> mocBytes) {
  std::string error;
  std::optional<MocData> data = readMoc3(mocBytes, &error);
  if (!data) {
    CUBISM_LOG_ERROR("Failed to load the moc3 file: %s.\n", error.c_str());
    return nullptr;
  }
  return std::shared_ptr<CubismMoc>(new CubismMoc(std::make_unique<MocData>(std::move(*data))));
}

std::shared_ptr<CubismMoc> CubismMoc::createFromData(MocData data) {
  std::string error;
  if (!validateMoc(data, &error)) {
    CUBISM_LOG_ERROR("Invalid model data: %s.\n", error.c_str());
    return nullptr;
  }
  return std::shared_ptr<CubismMoc>(new CubismMoc(std::make_unique<MocData>(std::move(data))));
}

std::unique_ptr<CubismModel> CubismMoc::createModel() const {
  return std::make_unique<CubismModel>(shared_from_this());
}

int CubismMoc::getMocVersion() const { return m_data->version; }
int CubismMoc::getLatestMocVersion() { return kMocLatestVersion; }

}  // namespace live2d::cubism
