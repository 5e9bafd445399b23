#include "audio/AudioPlayer.h"

namespace audio {
namespace {

constexpr int kMeFadeInMs = 1000;

thread_local int t_taskDepth = 0;

struct TaskScope {
  TaskScope() { ++t_taskDepth; }
  ~TaskScope() { --t_taskDepth; }
  TaskScope(const TaskScope&) = delete;
  TaskScope& operator=(const TaskScope&) = delete;
};

std::size_t slot(int kind) { return static_cast<std::size_t>(kind); }

}  // namespace

bool onPlayerTask() { return t_taskDepth > 0; }

Audio_Player::Audio_Player(TaskRunner& runner) : m_runner(runner) {}

Audio_Player::~Audio_Player() { finishTasks(); }

void Audio_Player::finishTasks() {
  std::vector<std::unique_ptr<PlayerTask>> tasks;
  {
    std::lock_guard lock(m_taskMutex);
    for (auto& task : m_tasks)
      if (task) tasks.push_back(std::move(task));
    for (auto& task : m_retired) tasks.push_back(std::move(task));
  }
  for (auto& task : tasks) task->cancel();
  // Destroying a task joins its thread: every step that could still touch this player ends first.
  tasks.clear();
}

std::string Audio_Player::fileName() const {
  std::lock_guard lock(m_nameMutex);
  return m_fileName;
}

void Audio_Player::play(const std::string& name) {
  {
    std::lock_guard lock(m_nameMutex);
    m_fileName = name;
  }
  m_fadingOut.store(false);
  m_playing.store(true);
}

void Audio_Player::stop() {
  {
    std::lock_guard lock(m_nameMutex);
    m_fileName.clear();
  }
  m_playing.store(false);
  cancelAllTasks();
}

void Audio_Player::startTask(TaskKind kind, TaskStep step) {
  std::lock_guard lock(m_taskMutex);
  auto& task = m_tasks[slot(static_cast<int>(kind))];
  if (task) {
    task->cancel();
    m_retired.push_back(std::move(task));
  }
  task = m_runner.start([step = std::move(step)](std::int64_t elapsedMs) {
    TaskScope scope;
    return step(elapsedMs);
  });
}

void Audio_Player::cancelTask(TaskKind kind) {
  std::lock_guard lock(m_taskMutex);
  auto& task = m_tasks[slot(static_cast<int>(kind))];
  if (!task) return;
  task->cancel();
  m_retired.push_back(std::move(task));
}

void Audio_Player::cancelAllTasks() {
  {
    std::lock_guard lock(m_taskMutex);
    for (auto& task : m_tasks) {
      if (!task) continue;
      task->cancel();
      m_retired.push_back(std::move(task));
    }
  }
  reapTasks();
}

void Audio_Player::reapTasks() {
  if (onPlayerTask()) return;
  std::vector<std::unique_ptr<PlayerTask>> doomed;
  {
    std::lock_guard lock(m_taskMutex);
    doomed.swap(m_retired);
  }
  doomed.clear();
}

bool Audio_Player::taskActive(TaskKind kind) const {
  std::lock_guard lock(m_taskMutex);
  const auto& task = m_tasks[slot(static_cast<int>(kind))];
  return task && !task->finished();
}

bool Audio_Player::tasksRunning() const {
  std::lock_guard lock(m_taskMutex);
  for (const auto& task : m_tasks)
    if (task && !task->finished()) return true;
  return false;
}

void Audio_Player::fadeOut(int durationMs) {
  if (!playing()) return;
  m_fadeVolume.store(volume());
  m_fadeDurationMs.store(durationMs);
  m_fadingOut.store(true);
  startTask(TaskKind::FadeOut, [this](std::int64_t elapsedMs) { return stepFadeOut(elapsedMs); });
  cancelTask(TaskKind::FadeIn);
  cancelTask(TaskKind::MeWait);
  reapTasks();
}

bool Audio_Player::stepFadeOut(std::int64_t elapsedMs) {
  const std::int64_t duration = m_fadeDurationMs.load();
  const std::int64_t remaining = duration - elapsedMs;
  if (remaining > 0 && playing()) {
    setVolume(static_cast<int>(remaining * m_fadeVolume.load() / duration));
    return true;
  }
  setVolume(0);
  stop();
  return false;
}

void Audio_Player::fadeIn(int durationMs, int targetVolume) {
  m_fadeDurationMs.store(durationMs);
  m_fadeVolume.store(targetVolume);
  startTask(TaskKind::FadeIn, [this](std::int64_t elapsedMs) { return stepFadeIn(elapsedMs); });
  cancelTask(TaskKind::FadeOut);
  cancelTask(TaskKind::MeWait);
  reapTasks();
}

bool Audio_Player::stepFadeIn(std::int64_t elapsedMs) {
  const std::int64_t duration = m_fadeDurationMs.load();
  if (elapsedMs < duration && playing()) {
    setVolume(static_cast<int>(elapsedMs * m_fadeVolume.load() / duration));
    return true;
  }
  setVolume(m_fadeVolume.load());
  return false;
}

void Audio_Player::waitFor(std::weak_ptr<Audio_Player> musicEffect, std::optional<int> volume) {
  // A second ME during a wait (or during the fade-in after one) finds this player at 0 or part-way up: the
  // volume to restore is the one the first wait remembered, not the silence it made.
  int restore = this->volume();
  if (volume) {
    restore = *volume;
  } else if (taskActive(TaskKind::MeWait)) {
    restore = m_waitVolume.load();
  } else if (taskActive(TaskKind::FadeIn)) {
    restore = m_fadeVolume.load();
  }
  m_waitVolume.store(restore);
  {
    std::lock_guard lock(m_taskMutex);
    m_waitTarget = std::move(musicEffect);
  }
  cancelTask(TaskKind::FadeIn);
  setVolume(0);
  startTask(TaskKind::MeWait, [this](std::int64_t) { return stepMeWait(); });
  reapTasks();
}

bool Audio_Player::stepMeWait() {
  std::shared_ptr<Audio_Player> target;
  {
    std::lock_guard lock(m_taskMutex);
    target = m_waitTarget.lock();
  }
  if (playing() && target && !target->isFinished() && target->playing()) {
    pause();
    return true;
  }
  target.reset();
  resume();
  setVolume(0);
  const int restore = m_waitVolume.load();
  fadeIn(kMeFadeInMs, restore);
  return false;
}

}  // namespace audio
