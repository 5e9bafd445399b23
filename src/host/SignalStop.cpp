#include "host/SignalStop.h"

#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace host {

namespace {

struct sigaction g_chained[2] = {};
std::atomic<int> g_signal{0};
sem_t g_wake;
int g_graceMs = 0;

int slotOf(int signal) { return signal == SIGINT ? 0 : 1; }

// Async-signal-safe throughout: an atomic, sem_post, _exit and the chained handler, itself a signal handler.
void onStopSignal(int signal, siginfo_t* info, void* context) {
  int expected = 0;
  if (!g_signal.compare_exchange_strong(expected, signal)) {
    _exit(128 + expected);
  }
  sem_post(&g_wake);
  const struct sigaction& chained = g_chained[slotOf(signal)];
  if (chained.sa_flags & SA_SIGINFO) {
    if (chained.sa_sigaction != nullptr) chained.sa_sigaction(signal, info, context);
  } else if (chained.sa_handler != SIG_DFL && chained.sa_handler != SIG_IGN && chained.sa_handler != nullptr) {
    chained.sa_handler(signal);
  } else if (chained.sa_handler == SIG_DFL) {
    _exit(128 + signal);
  }
}

void watch() {
  while (sem_wait(&g_wake) != 0) {
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(g_graceMs));
  const int signal = g_signal.load();
  std::fprintf(stderr, "[host] the game did not stop within %d ms of signal %d; ending it\n", g_graceMs, signal);
  std::fflush(stderr);
  _exit(128 + signal);
}

}  // namespace

void installSignalStop(int graceMs) {
  g_graceMs = graceMs;
  sem_init(&g_wake, 0, 0);
  std::thread(watch).detach();
  struct sigaction action = {};
  action.sa_sigaction = onStopSignal;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, &g_chained[slotOf(signal)]);
}

}  // namespace host
