#include "live2d/cubism/CubismUserModel.h"

#include <algorithm>
#include <limits>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"

namespace live2d::cubism {

CubismUserModel::CubismUserModel() {
  const auto fire = [this](const std::string& value) { motionEventFired(value); };
  m_motionManager.setEventCallback(fire);
  m_expressionManager.setEventCallback(fire);
}

CubismUserModel::~CubismUserModel() {
  // The renderer borrows the model.
  m_renderer.reset();
}

void CubismUserModel::loadModel(std::span<const std::uint8_t> mocBytes) {
  std::shared_ptr<CubismMoc> moc = CubismMoc::create(mocBytes);
  if (!moc) {
    CUBISM_LOG_ERROR("Failed to CubismMoc::Create().\n");
    return;
  }
  m_renderer.reset();
  m_moc = std::move(moc);
  m_model = m_moc->createModel();
  m_model->saveParameters();
  m_modelMatrix = CubismModelMatrix(m_model->getCanvasWidth(), m_model->getCanvasHeight());
}

std::shared_ptr<CubismMotion> CubismUserModel::loadMotion(std::span<const std::uint8_t> bytes, const std::string& name,
                                                          ACubismMotion::FinishedMotionCallback onFinished) {
  std::shared_ptr<CubismMotion> motion = CubismMotion::create(bytes, std::move(onFinished));
  if (!motion) CUBISM_LOG_ERROR("Failed to loadMotion(). (%s)\n", name.c_str());
  return motion;
}

std::shared_ptr<CubismExpressionMotion> CubismUserModel::loadExpression(std::span<const std::uint8_t> bytes,
                                                                        const std::string& name) {
  std::shared_ptr<CubismExpressionMotion> expression = CubismExpressionMotion::create(bytes);
  if (!expression) CUBISM_LOG_ERROR("Failed to loadExpression(). (%s)\n", name.c_str());
  return expression;
}

void CubismUserModel::loadPose(std::span<const std::uint8_t> bytes) {
  if (auto pose = CubismPose::create(bytes)) m_pose = std::move(pose);
}

void CubismUserModel::loadPhysics(std::span<const std::uint8_t> bytes) {
  if (auto physics = CubismPhysics::create(bytes)) m_physics = std::move(physics);
}

void CubismUserModel::loadUserData(std::span<const std::uint8_t> bytes) {
  if (auto data = CubismModelUserData::create(bytes)) m_modelUserData = std::move(data);
}

bool CubismUserModel::isHit(CubismIdHandle drawableId, float pointX, float pointY) {
  if (!m_model) return false;
  const int index = m_model->getDrawableIndex(drawableId);
  if (index < 0) return false;
  const std::span<const float> positions = m_model->getDrawableVertexPositions(index);
  if (positions.size() < 2) return false;
  float left = std::numeric_limits<float>::max();
  float right = std::numeric_limits<float>::lowest();
  float top = std::numeric_limits<float>::max();
  float bottom = std::numeric_limits<float>::lowest();
  for (std::size_t k = 0; k + 1 < positions.size(); k += 2) {
    left = std::min(left, positions[k]);
    right = std::max(right, positions[k]);
    top = std::min(top, positions[k + 1]);
    bottom = std::max(bottom, positions[k + 1]);
  }
  const float x = m_modelMatrix.invertTransformX(pointX);
  const float y = m_modelMatrix.invertTransformY(pointY);
  return left <= x && x <= right && top <= y && y <= bottom;
}

void CubismUserModel::setAcceleration(float x, float y, float z) {
  m_accelerationX = x;
  m_accelerationY = y;
  m_accelerationZ = z;
}

void CubismUserModel::createRenderer(std::unique_ptr<CubismRenderer> renderer) {
  m_renderer = std::move(renderer);
  if (m_renderer && m_model) m_renderer->initialize(m_model.get());
}

void CubismUserModel::motionEventFired(const std::string& eventValue) { CUBISM_LOG_INFO("%s\n", eventValue.c_str()); }

}  // namespace live2d::cubism
