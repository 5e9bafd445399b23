#pragma once

// The motion queue with priorities: a request is accepted only above both the playing and the reserved
// priority; the playing priority drops to 0 once every motion has finished.

#include "live2d/cubism/CubismMotionQueueManager.h"

namespace live2d::cubism {

class CubismMotionManager : public CubismMotionQueueManager {
 public:
  int getCurrentPriority() const { return m_currentPriority; }
  int getReservePriority() const { return m_reservePriority; }
  void setReservePriority(int priority) { m_reservePriority = priority; }

  CubismMotionQueueEntryHandle startMotionPriority(std::shared_ptr<ACubismMotion> motion, int priority);
  // Advances time and plays the queue; true when any motion wrote parameters.
  virtual bool updateMotion(CubismModel* model, float deltaTimeSeconds);
  // Reserves `priority` for a motion about to start; false when something at or above it plays or waits.
  bool reserveMotion(int priority);

 protected:
  int m_currentPriority = 0;
  int m_reservePriority = 0;
};

}  // namespace live2d::cubism
