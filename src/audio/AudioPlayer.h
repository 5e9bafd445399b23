#pragma once

// What every player offers the Audio module: play, stop, pause and the volume, pitch, pan, position and loop
// settings as virtual operations, and the fade-in, fade-out and ME-wait tasks built on them. Players are
// driven by the main thread and by their own tasks; the settings are atomics and each task kind has one
// slot, so a task and a script call never race into a crash.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "audio/PlayerTask.h"

namespace audio {

class Audio_Player {
 public:
  explicit Audio_Player(TaskRunner& runner);
  // Cancels and waits for the player's tasks.
  virtual ~Audio_Player();
  Audio_Player(const Audio_Player&) = delete;
  Audio_Player& operator=(const Audio_Player&) = delete;

  virtual bool isFinished() const { return false; }
  virtual void play(const std::string& name);
  virtual void pause() {}
  virtual void resume() {}
  virtual void stop();
  virtual int volume() const { return 0; }
  virtual int pitch() const { return 0; }
  virtual int pan() const { return 0; }
  virtual void setVolume(int) {}
  virtual void setPitch(int) {}
  virtual void setPan(int) {}
  // In source frames ("samples").
  virtual std::int64_t position() const { return 0; }
  virtual void setPosition(std::int64_t) {}
  virtual void setLoop(bool loop) { m_loop.store(loop); }

  std::string fileName() const;
  bool playing() const { return m_playing.load(); }
  bool loop() const { return m_loop.load(); }
  bool fadingOut() const { return m_fadingOut.load(); }

  // From the current volume down to 0 over `durationMs`, then stop; cancels a fade-in and an ME wait.
  void fadeOut(int durationMs);
  // From 0 up to `targetVolume` over `durationMs`; cancels a fade-out and ends an ME wait.
  void fadeIn(int durationMs, int targetVolume);
  // Silences this player and holds it paused while `musicEffect` plays, then resumes it and fades it back
  // in over 1000 ms to `volume` (default: its volume now, or the volume an earlier wait is restoring).
  void waitFor(std::weak_ptr<Audio_Player> musicEffect, std::optional<int> volume = std::nullopt);

  // True while any of the player's tasks is still running (for tests).
  bool tasksRunning() const;

 protected:
  enum class TaskKind { FadeIn, FadeOut, MeWait, Control };
  void startTask(TaskKind kind, TaskStep step);
  void cancelTask(TaskKind kind);
  void cancelAllTasks();
  // Joins the cancelled tasks, unless called from a task (which must not wait for itself).
  void reapTasks();
  void setPlaying(bool playing) { m_playing.store(playing); }
  // Cancels every task and waits for it; derived players call it first in their destructors, so no step
  // reaches a half-destroyed player.
  void finishTasks();

 private:
  bool stepFadeOut(std::int64_t elapsedMs);
  bool stepFadeIn(std::int64_t elapsedMs);
  bool stepMeWait();
  bool taskActive(TaskKind kind) const;

  TaskRunner& m_runner;
  mutable std::mutex m_nameMutex;
  std::string m_fileName;
  std::atomic<bool> m_playing = false;
  std::atomic<bool> m_loop = true;
  std::atomic<bool> m_fadingOut = false;
  std::atomic<int> m_fadeDurationMs = 0;
  std::atomic<int> m_fadeVolume = 0;
  std::atomic<int> m_waitVolume = 0;

  mutable std::mutex m_taskMutex;
  std::array<std::unique_ptr<PlayerTask>, 4> m_tasks;
  std::vector<std::unique_ptr<PlayerTask>> m_retired;
  std::weak_ptr<Audio_Player> m_waitTarget;
};

// True on a thread that runs a player task step.
bool onPlayerTask();

}  // namespace audio
