#include "audio/PlayerTask.h"

#include <algorithm>
#include <chrono>

namespace audio {
namespace {

class ThreadTask final : public PlayerTask {
 public:
  explicit ThreadTask(TaskStep step) : m_state(std::make_shared<State>()) {
    m_thread = std::thread([state = m_state, step = std::move(step)] { run(*state, step); });
  }
  ~ThreadTask() override {
    cancel();
    if (!m_thread.joinable()) return;
    // The thread keeps its own share of the state, so a task released from its own thread may run out.
    if (isCurrent()) {
      m_thread.detach();
    } else {
      m_thread.join();
    }
  }

  void cancel() override {
    std::lock_guard lock(m_state->mutex);
    m_state->cancelled = true;
    m_state->wake.notify_all();
  }
  void join() override {
    if (m_thread.joinable() && !isCurrent()) m_thread.join();
  }
  bool finished() const override { return m_state->finished.load(); }
  bool isCurrent() const override { return std::this_thread::get_id() == m_thread.get_id(); }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    bool cancelled = false;
    std::atomic<bool> finished = false;
  };

  static void run(State& state, const TaskStep& step) {
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    for (;;) {
      {
        std::lock_guard lock(state.mutex);
        if (state.cancelled) break;
      }
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
      if (!step(elapsed.count())) break;
      next += std::chrono::milliseconds(kTaskPeriodMs);
      std::unique_lock lock(state.mutex);
      if (state.wake.wait_until(lock, next, [&state] { return state.cancelled; })) break;
    }
    state.finished.store(true);
  }

  std::shared_ptr<State> m_state;
  std::thread m_thread;
};

}  // namespace

std::unique_ptr<PlayerTask> ThreadTaskRunner::start(TaskStep step) {
  return std::make_unique<ThreadTask>(std::move(step));
}

struct ManualTaskRunner::Entry {
  TaskStep step;
  std::int64_t startMs = 0;
  std::atomic<bool> cancelled = false;
  std::atomic<bool> finished = false;
  std::atomic<bool> running = false;
};

namespace {

class ManualTask final : public PlayerTask {
 public:
  explicit ManualTask(std::shared_ptr<ManualTaskRunner::Entry> entry) : m_entry(std::move(entry)) {}
  ~ManualTask() override { cancel(); }
  void cancel() override { m_entry->cancelled.store(true); }
  void join() override {}
  bool finished() const override { return m_entry->finished.load() || m_entry->cancelled.load(); }
  bool isCurrent() const override { return m_entry->running.load(); }

 private:
  std::shared_ptr<ManualTaskRunner::Entry> m_entry;
};

}  // namespace

std::unique_ptr<PlayerTask> ManualTaskRunner::start(TaskStep step) {
  auto entry = std::make_shared<Entry>();
  entry->step = std::move(step);
  std::lock_guard lock(m_mutex);
  entry->startMs = m_now;
  m_entries.push_back(entry);
  return std::make_unique<ManualTask>(std::move(entry));
}

void ManualTaskRunner::advance(std::int64_t milliseconds) {
  std::int64_t remaining = milliseconds;
  do {
    const std::int64_t step = std::min<std::int64_t>(remaining, kTaskPeriodMs);
    remaining -= step;
    std::vector<std::shared_ptr<Entry>> due;
    {
      std::lock_guard lock(m_mutex);
      m_now += step;
      std::erase_if(m_entries, [](const auto& entry) { return entry->cancelled || entry->finished; });
      due = m_entries;
    }
    // Steps may start or cancel tasks; those started now take their first step at the next advance.
    for (const auto& entry : due) {
      if (entry->cancelled || entry->finished) continue;
      entry->running = true;
      const bool more = entry->step(m_now - entry->startMs);
      entry->running = false;
      if (!more) entry->finished = true;
    }
  } while (remaining > 0);
}

}  // namespace audio
