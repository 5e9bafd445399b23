#pragma once

// Plays motions side by side: starting one asks every playing motion to fade out; finished entries leave
// the queue (calling their motion's finished handler). Motions are shared, so a caller may keep a
// motion for reuse while the queue plays it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "live2d/cubism/CubismMotionQueueEntry.h"

namespace live2d::cubism {

class CubismModel;

class CubismMotionQueueManager {
 public:
  using EventCallback = std::function<void(const std::string& value)>;

  virtual ~CubismMotionQueueManager() = default;

  CubismMotionQueueEntryHandle startMotion(std::shared_ptr<ACubismMotion> motion);
  bool isFinished() const;
  bool isFinished(CubismMotionQueueEntryHandle handle) const;
  void stopAllMotions();
  CubismMotionQueueEntry* getCubismMotionQueueEntry(CubismMotionQueueEntryHandle handle);
  void setEventCallback(EventCallback callback) { m_eventCallback = std::move(callback); }
  float getUserTimeSeconds() const { return m_userTimeSeconds; }
  std::size_t getEntryCount() const { return m_entries.size(); }

 protected:
  // Updates every entry at the current user time; true when any motion wrote parameters.
  bool doUpdateMotion(CubismModel* model);
  void removeFinished();

  std::vector<std::unique_ptr<CubismMotionQueueEntry>> m_entries;
  float m_userTimeSeconds = 0.0f;

 private:
  EventCallback m_eventCallback;
  CubismMotionQueueEntryHandle m_nextHandle = 0;
};

}  // namespace live2d::cubism
