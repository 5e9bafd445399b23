#pragma once

// The base of an application's model: owns the moc, the model and every animation helper, and offers
// the loading steps an application strings together (model, motions, expressions, physics, pose, user
// data) plus dragging, hit testing and the renderer. What runs each frame, and in which order, is up to
// the subclass.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "live2d/cubism/CubismBreath.h"
#include "live2d/cubism/CubismEyeBlink.h"
#include "live2d/cubism/CubismExpressionMotion.h"
#include "live2d/cubism/CubismExpressionMotionManager.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/CubismModelMatrix.h"
#include "live2d/cubism/CubismModelUserData.h"
#include "live2d/cubism/CubismMotion.h"
#include "live2d/cubism/CubismMotionManager.h"
#include "live2d/cubism/CubismPhysics.h"
#include "live2d/cubism/CubismPose.h"
#include "live2d/cubism/CubismRenderer.h"
#include "live2d/cubism/CubismTargetPoint.h"

namespace live2d::cubism {

class CubismMoc;

class CubismUserModel {
 public:
  CubismUserModel();
  virtual ~CubismUserModel();
  CubismUserModel(const CubismUserModel&) = delete;
  CubismUserModel& operator=(const CubismUserModel&) = delete;

  // Each loader logs and leaves the previous state when the bytes are unusable.
  void loadModel(std::span<const std::uint8_t> mocBytes);
  std::shared_ptr<CubismMotion> loadMotion(std::span<const std::uint8_t> bytes, const std::string& name,
                                           ACubismMotion::FinishedMotionCallback onFinished = nullptr);
  std::shared_ptr<CubismExpressionMotion> loadExpression(std::span<const std::uint8_t> bytes, const std::string& name);
  void loadPose(std::span<const std::uint8_t> bytes);
  void loadPhysics(std::span<const std::uint8_t> bytes);
  void loadUserData(std::span<const std::uint8_t> bytes);

  // Whether the view point (x, y) lies in the bounding box of the drawable's current vertices.
  bool isHit(CubismIdHandle drawableId, float pointX, float pointY);

  // The drag target in view units, [-1, 1] on both axes.
  void setDragging(float x, float y) { m_dragManager.set(x, y); }
  void setAcceleration(float x, float y, float z);

  CubismModel* getModel() const { return m_model.get(); }
  CubismModelMatrix* getModelMatrix() { return &m_modelMatrix; }
  CubismMotionManager* getMotionManager() { return &m_motionManager; }
  CubismExpressionMotionManager* getExpressionManager() { return &m_expressionManager; }
  CubismTargetPoint* getDragManager() { return &m_dragManager; }

  void setOpacity(float opacity) { m_opacity = opacity; }
  float getOpacity() const { return m_opacity; }
  bool isInitialized() const { return m_initialized; }
  void setInitialized(bool value) { m_initialized = value; }
  bool isUpdating() const { return m_updating; }
  void setUpdating(bool value) { m_updating = value; }
  void setDebugMode(bool debug) { m_debugMode = debug; }
  bool isDebugMode() const { return m_debugMode; }
  void setLipSync(bool lipSync) { m_lipSync = lipSync; }
  bool getLipSync() const { return m_lipSync; }

  // The renderer draws getModel(); it is deleted before the model.
  void createRenderer(std::unique_ptr<CubismRenderer> renderer);
  void deleteRenderer() { m_renderer.reset(); }
  CubismRenderer* getRenderer() const { return m_renderer.get(); }

  // Called for every user-data event of a playing motion; logs the value by default.
  virtual void motionEventFired(const std::string& eventValue);

 protected:
  std::shared_ptr<CubismMoc> m_moc;
  std::unique_ptr<CubismModel> m_model;
  CubismMotionManager m_motionManager;
  CubismExpressionMotionManager m_expressionManager;
  std::unique_ptr<CubismEyeBlink> m_eyeBlink;
  std::unique_ptr<CubismBreath> m_breath;
  CubismModelMatrix m_modelMatrix;
  std::unique_ptr<CubismPose> m_pose;
  CubismTargetPoint m_dragManager;
  std::unique_ptr<CubismPhysics> m_physics;
  std::unique_ptr<CubismModelUserData> m_modelUserData;
  std::unique_ptr<CubismRenderer> m_renderer;
  bool m_initialized = false;
  bool m_updating = false;
  float m_opacity = 1.0f;
  bool m_lipSync = true;
  float m_lastLipSyncValue = 0.0f;
  float m_dragX = 0.0f;
  float m_dragY = 0.0f;
  float m_accelerationX = 0.0f;
  float m_accelerationY = 0.0f;
  float m_accelerationZ = 0.0f;
  bool m_debugMode = false;
};

}  // namespace live2d::cubism
