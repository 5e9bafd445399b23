#include "live2d/cubism/CubismMotionManager.h"

namespace live2d::cubism {

CubismMotionQueueEntryHandle CubismMotionManager::startMotionPriority(std::shared_ptr<ACubismMotion> motion,
                                                                      int priority) {
  if (priority == m_reservePriority) m_reservePriority = 0;
  m_currentPriority = priority;
  return startMotion(std::move(motion));
}

bool CubismMotionManager::updateMotion(CubismModel* model, float deltaTimeSeconds) {
  m_userTimeSeconds += deltaTimeSeconds;
  const bool updated = doUpdateMotion(model);
  if (isFinished()) m_currentPriority = 0;
  return updated;
}

bool CubismMotionManager::reserveMotion(int priority) {
  if (priority <= m_reservePriority || priority <= m_currentPriority) return false;
  m_reservePriority = priority;
  return true;
}

}  // namespace live2d::cubism
