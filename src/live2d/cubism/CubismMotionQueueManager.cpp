#include "live2d/cubism/CubismMotionQueueManager.h"

#include <algorithm>
#include <limits>

namespace live2d::cubism {

CubismMotionQueueEntryHandle CubismMotionQueueManager::startMotion(std::shared_ptr<ACubismMotion> motion) {
  if (!motion) return kInvalidMotionQueueEntryHandle;
  for (auto& entry : m_entries) {
    if (!entry->isFinished()) entry->setFadeOut(entry->getCubismMotion()->getFadeOutTime());
  }
  const CubismMotionQueueEntryHandle handle = m_nextHandle;
  m_nextHandle = m_nextHandle == std::numeric_limits<int>::max() ? 0 : m_nextHandle + 1;
  m_entries.push_back(std::make_unique<CubismMotionQueueEntry>(std::move(motion), handle));
  return handle;
}

bool CubismMotionQueueManager::isFinished() const {
  return std::all_of(m_entries.begin(), m_entries.end(), [](const auto& e) { return e->isFinished(); });
}

bool CubismMotionQueueManager::isFinished(CubismMotionQueueEntryHandle handle) const {
  for (const auto& entry : m_entries) {
    if (entry->getHandle() == handle) return entry->isFinished();
  }
  return true;
}

void CubismMotionQueueManager::stopAllMotions() { m_entries.clear(); }

CubismMotionQueueEntry* CubismMotionQueueManager::getCubismMotionQueueEntry(CubismMotionQueueEntryHandle handle) {
  for (auto& entry : m_entries) {
    if (entry->getHandle() == handle) return entry.get();
  }
  return nullptr;
}

bool CubismMotionQueueManager::doUpdateMotion(CubismModel* model) {
  bool updated = false;
  // Event callbacks may start motions; index-based iteration stays valid while entries are appended.
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    CubismMotionQueueEntry* entry = m_entries[i].get();
    ACubismMotion* motion = entry->getCubismMotion();
    if (entry->isFinished()) continue;
    motion->updateParameters(model, entry, m_userTimeSeconds);
    updated = true;
    const std::vector<std::string> fired = motion->getFiredEvent(
        entry->getLastCheckEventTime() - entry->getStartTime(), m_userTimeSeconds - entry->getStartTime());
    entry->setLastCheckEventTime(m_userTimeSeconds);
    if (m_eventCallback) {
      for (const std::string& value : fired) m_eventCallback(value);
    }
  }
  removeFinished();
  return updated;
}

void CubismMotionQueueManager::removeFinished() {
  std::vector<std::shared_ptr<ACubismMotion>> finished;
  std::erase_if(m_entries, [&](const auto& entry) {
    if (!entry->isFinished()) return false;
    finished.push_back(entry->motionPointer());
    return true;
  });
  for (const auto& motion : finished) {
    if (motion->getFinishedMotionHandler()) motion->getFinishedMotionHandler()(motion.get());
  }
}

}  // namespace live2d::cubism
