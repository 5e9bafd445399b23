#pragma once

// The periodic tasks of the players (fades, the ME wait, the MIDI control task). A task is a step function
// called with the milliseconds since it started, first at once and then every 100 ms, until it returns false
// or is cancelled. `ThreadTaskRunner` gives each task a thread of its own, as the player needs;
// `ManualTaskRunner` steps them when a test advances its clock, so rendered results do not depend on timing.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace audio {

inline constexpr int kTaskPeriodMs = 100;

using TaskStep = std::function<bool(std::int64_t elapsedMs)>;

class PlayerTask {
 public:
  virtual ~PlayerTask() = default;
  // The task runs no further step once this returns (a step under way finishes first). Never waits.
  virtual void cancel() = 0;
  // Waits until the task is over; not from the task's own thread.
  virtual void join() = 0;
  virtual bool finished() const = 0;
  // True on the task's own thread.
  virtual bool isCurrent() const = 0;
};

class TaskRunner {
 public:
  virtual ~TaskRunner() = default;
  virtual std::unique_ptr<PlayerTask> start(TaskStep step) = 0;
};

class ThreadTaskRunner final : public TaskRunner {
 public:
  std::unique_ptr<PlayerTask> start(TaskStep step) override;
};

class ManualTaskRunner final : public TaskRunner {
 public:
  std::unique_ptr<PlayerTask> start(TaskStep step) override;
  // Moves the clock on in steps of at most 100 ms, stepping every live task at each; 0 runs the steps due now.
  void advance(std::int64_t milliseconds);
  std::int64_t nowMs() const { return m_now; }

  struct Entry;

 private:
  std::int64_t m_now = 0;
  std::mutex m_mutex;
  std::vector<std::shared_ptr<Entry>> m_entries;
};

}  // namespace audio
