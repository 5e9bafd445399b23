#include "live2d/LAppModel.h"

#include <cstdlib>

#include "live2d/LAppLog.h"
#include "live2d/LAppTextureManager.h"
#include "live2d/ModelFiles.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismRenderer_D3D9.h"

namespace live2d {

using namespace cubism;

namespace {

constexpr const char* kIdleGroup = "Idle";

CubismIdHandle idOf(const char* name) { return CubismFramework::getIdManager()->getId(name); }

}  // namespace

bool reserveMotionPriority(CubismMotionManager& manager, int priority) {
  if (priority == kPriorityForce) {
    manager.setReservePriority(priority);
    return true;
  }
  return manager.reserveMotion(priority);
}

LAppModel::LAppModel() {
  setDebugMode(true);
  m_idAngleX = idOf("ParamAngleX");
  m_idAngleY = idOf("ParamAngleY");
  m_idAngleZ = idOf("ParamAngleZ");
  m_idBodyAngleX = idOf("ParamBodyAngleX");
  m_idEyeBallX = idOf("ParamEyeBallX");
  m_idEyeBallY = idOf("ParamEyeBallY");
}

LAppModel::~LAppModel() {
  m_renderBuffer.destroyOffscreenFrame();
  m_motions.clear();
  m_expressions.clear();
  releaseTextures();
  // The renderer borrowed the textures; it goes before the base would drop it.
  deleteRenderer();
}

void LAppModel::loadAssets(const std::string& dir, const std::string& fileName) {
  m_modelHomeDir = dir;
  appLog("[APP]load model setting: %s", fileName.c_str());
  const std::string path = dir + fileName;
  std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path);
  if (!bytes) return;
  auto setting = std::make_unique<CubismModelSettingJson>(*bytes);
  deleteBuffer(path);
  if (!setting->isValid()) return;
  m_modelSetting = std::move(setting);
  setupModel();
  // Without a model there is nothing to draw, so no renderer and no textures either.
  if (!getModel()) return;
  createRenderer(std::make_unique<CubismRenderer_D3D9>());
  setupTextures();
}

void LAppModel::setupModel() {
  setUpdating(true);
  setInitialized(false);
  const CubismModelSettingJson& setting = *m_modelSetting;

  const std::string& mocName = setting.getModelFileName();
  if (!mocName.empty()) {
    appLog("[APP]create model: %s", mocName.c_str());
    const std::string path = m_modelHomeDir + mocName;
    if (std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path)) {
      loadModel(*bytes);
      deleteBuffer(path);
    }
  }

  for (int i = 0; i < setting.getExpressionCount(); ++i) {
    const std::string& name = setting.getExpressionName(i);
    const std::string path = m_modelHomeDir + setting.getExpressionFileName(i);
    if (std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path)) {
      if (auto expression = loadExpression(*bytes, name)) m_expressions[name] = std::move(expression);
      deleteBuffer(path);
    }
  }

  if (!setting.getPhysicsFileName().empty()) {
    const std::string path = m_modelHomeDir + setting.getPhysicsFileName();
    if (std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path)) {
      loadPhysics(*bytes);
      deleteBuffer(path);
    }
  }

  if (!setting.getPoseFileName().empty()) {
    const std::string path = m_modelHomeDir + setting.getPoseFileName();
    if (std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path)) {
      loadPose(*bytes);
      deleteBuffer(path);
    }
  }

  if (setting.getEyeBlinkParameterCount() > 0) m_eyeBlink = std::make_unique<CubismEyeBlink>(&setting);

  m_breath = std::make_unique<CubismBreath>();
  m_breath->setParameters({
      {idOf("ParamAngleX"), 0.0f, 15.0f, 6.5345f, 0.5f},
      {idOf("ParamAngleY"), 0.0f, 8.0f, 3.5345f, 0.5f},
      {idOf("ParamAngleZ"), 0.0f, 10.0f, 5.5345f, 0.5f},
      {idOf("ParamBodyAngleX"), 0.0f, 4.0f, 15.5345f, 0.5f},
      {idOf("ParamBreath"), 0.5f, 0.5f, 3.2345f, 0.5f},
  });

  if (!setting.getUserDataFile().empty()) {
    const std::string path = m_modelHomeDir + setting.getUserDataFile();
    if (std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path)) {
      loadUserData(*bytes);
      deleteBuffer(path);
    }
  }

  m_eyeBlinkIds.clear();
  for (int i = 0; i < setting.getEyeBlinkParameterCount(); ++i) {
    m_eyeBlinkIds.push_back(setting.getEyeBlinkParameterId(i));
  }
  m_lipSyncIds.clear();
  for (int i = 0; i < setting.getLipSyncParameterCount(); ++i) m_lipSyncIds.push_back(setting.getLipSyncParameterId(i));

  std::map<std::string, float> layout;
  if (setting.getLayoutMap(layout)) m_modelMatrix.setupFromLayout(layout);

  if (m_model) m_model->saveParameters();

  for (int i = 0; i < setting.getMotionGroupCount(); ++i) preloadMotionGroup(setting.getMotionGroupName(i));

  m_motionManager.stopAllMotions();
  setUpdating(false);
  setInitialized(true);
}

std::shared_ptr<CubismMotion> LAppModel::loadMotionFile(const std::string& group, int index, const std::string& name) {
  const std::string path = m_modelHomeDir + m_modelSetting->getMotionFileName(group, index);
  appLog("[APP]load motion: %s => [%s_%d] ", path.c_str(), group.c_str(), index);
  std::optional<std::vector<std::uint8_t>> bytes = createBuffer(path);
  if (!bytes) return nullptr;
  std::shared_ptr<CubismMotion> motion = loadMotion(*bytes, name);
  if (motion) {
    const float fadeIn = m_modelSetting->getMotionFadeInTimeValue(group, index);
    if (fadeIn >= 0.0f) motion->setFadeInTime(fadeIn);
    const float fadeOut = m_modelSetting->getMotionFadeOutTimeValue(group, index);
    if (fadeOut >= 0.0f) motion->setFadeOutTime(fadeOut);
    motion->setEffectIds(m_eyeBlinkIds, m_lipSyncIds);
  }
  deleteBuffer(path);
  return motion;
}

void LAppModel::preloadMotionGroup(const std::string& group) {
  for (int i = 0; i < m_modelSetting->getMotionCount(group); ++i) {
    const std::string name = group + "_" + std::to_string(i);
    if (std::shared_ptr<CubismMotion> motion = loadMotionFile(group, i, name)) {
      m_motions[name] = std::move(motion);
    } else {
      m_motions.erase(name);
    }
  }
}

void LAppModel::setupTextures() {
  m_boundTextureIds.clear();
  auto* renderer = this->renderer();
  if (renderer == nullptr) return;
  for (int i = 0; i < m_modelSetting->getTextureCount(); ++i) {
    const std::string& name = m_modelSetting->getTextureFileName(i);
    if (name.empty()) continue;
    const std::uint64_t id = textureManager().createTextureFromPngFile(m_modelHomeDir + name);
    if (id == 0) continue;
    renderer->bindTexture(i, textureManager().texture(id));
    m_boundTextureIds.push_back(id);
  }
  renderer->setIsPremultipliedAlpha(true);
}

void LAppModel::releaseTextures() {
  for (std::uint64_t id : m_boundTextureIds) textureManager().releaseTexture(id);
  m_boundTextureIds.clear();
}

CubismRenderer_D3D9* LAppModel::renderer() const { return static_cast<CubismRenderer_D3D9*>(getRenderer()); }

void LAppModel::releaseDeviceResources() {
  m_renderBuffer.destroyOffscreenFrame();
  deleteRenderer();
  m_boundTextureIds.clear();
}

void LAppModel::restoreDeviceResources() {
  // A model made since the release already holds textures of its own.
  releaseTextures();
  deleteRenderer();
  if (!isLoaded()) return;
  createRenderer(std::make_unique<CubismRenderer_D3D9>());
  setupTextures();
}

void LAppModel::update(float elapsedSeconds) {
  m_dragManager.update(elapsedSeconds);
  m_dragX = m_dragManager.getX();
  m_dragY = m_dragManager.getY();
  if (!m_model) return;
  CubismModel& model = *m_model;

  model.loadParameters();
  bool motionUpdated = false;
  if (m_motionManager.isFinished()) {
    const int idleCount = m_modelSetting ? m_modelSetting->getMotionCount(kIdleGroup) : 0;
    if (idleCount > 0) startMotion(kIdleGroup, std::rand() % idleCount, kPriorityIdle);
  } else {
    motionUpdated = m_motionManager.updateMotion(&model, elapsedSeconds);
  }
  model.saveParameters();

  if (!motionUpdated && m_eyeBlink) m_eyeBlink->updateParameters(&model, elapsedSeconds);
  m_expressionManager.updateMotion(&model, elapsedSeconds);

  model.addParameterValue(m_idAngleX, m_dragX * 30.0f);
  model.addParameterValue(m_idAngleY, m_dragY * 30.0f);
  model.addParameterValue(m_idAngleZ, m_dragX * m_dragY * -30.0f);
  model.addParameterValue(m_idBodyAngleX, m_dragX * 10.0f);
  model.addParameterValue(m_idEyeBallX, m_dragX);
  model.addParameterValue(m_idEyeBallY, m_dragY);

  if (m_breath) m_breath->updateParameters(&model, elapsedSeconds);
  if (m_physics) m_physics->evaluate(&model, elapsedSeconds);
  if (m_lipSync) {
    // No sound is analysed, so the mouth gets no opening of its own.
    for (CubismIdHandle id : m_lipSyncIds) model.addParameterValue(id, 0.0f, 0.8f);
  }
  if (m_pose) m_pose->updateParameters(&model, elapsedSeconds);
  model.update();
}

CubismMotionQueueEntryHandle LAppModel::startMotion(const std::string& group, int index, int priority) {
  // An index the setting does not list claims no priority: a reservation left behind would refuse every later
  // motion, the idle one included.
  if (!m_modelSetting || index < 0 || index >= m_modelSetting->getMotionCount(group)) {
    return kInvalidMotionQueueEntryHandle;
  }
  if (!reserveMotionPriority(m_motionManager, priority)) {
    appLog("[APP]can't start motion.");
    return kInvalidMotionQueueEntryHandle;
  }
  const std::string name = group + "_" + std::to_string(index);
  std::shared_ptr<CubismMotion> motion;
  if (auto found = m_motions.find(name); found != m_motions.end()) {
    motion = found->second;
    motion->setFinishedMotionHandler(nullptr);
  } else {
    // Loaded for this one start: the queue holds the only reference, so the motion goes when it ends.
    motion = loadMotionFile(group, index, name);
  }
  if (!motion) {
    if (m_motionManager.getReservePriority() == priority) m_motionManager.setReservePriority(0);
    return kInvalidMotionQueueEntryHandle;
  }
  appLog("[APP]start motion: [%s_%d]", group.c_str(), index);
  return m_motionManager.startMotionPriority(motion, priority);
}

void LAppModel::setExpression(const std::string& name) {
  auto found = m_expressions.find(name);
  appLog("[APP]expression: [%s]", name.c_str());
  if (found != m_expressions.end() && found->second) {
    m_expressionManager.startMotionPriority(found->second, kPriorityForce);
  } else {
    appLog("[APP]expression[%s] is null ", name.c_str());
  }
}

void LAppModel::setRandomExpression() {
  if (m_expressions.empty() || !m_modelSetting) return;
  const int count = m_modelSetting->getExpressionCount();
  if (count <= 0) return;
  setExpression(m_modelSetting->getExpressionName(std::rand() % count));
}

bool LAppModel::hitTest(const std::string& areaName, float x, float y) {
  if (getOpacity() < 1.0f || !m_modelSetting) return false;
  for (int i = 0; i < m_modelSetting->getHitAreasCount(); ++i) {
    if (m_modelSetting->getHitAreaName(i) == areaName) return isHit(m_modelSetting->getHitAreaId(i), x, y);
  }
  return false;
}

void LAppModel::motionEventFired(const std::string& eventValue) {
  CUBISM_LOG_INFO("%s is fired on LAppModel!!\n", eventValue.c_str());
}

}  // namespace live2d
