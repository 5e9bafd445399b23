#include "live2d/cubism/CubismFramework.h"

#include <cstdio>
#include <vector>

namespace live2d::cubism {

namespace {

struct FrameworkState {
  bool started = false;
  bool initialized = false;
  ICubismAllocator* allocator = nullptr;
  LogFunction logFunction = nullptr;
  LogLevel loggingLevel = LogLevel::Info;
};

FrameworkState& state() {
  static FrameworkState s;
  return s;
}

char levelLetter(LogLevel level) {
  switch (level) {
    case LogLevel::Verbose: return 'V';
    case LogLevel::Debug: return 'D';
    case LogLevel::Info: return 'I';
    case LogLevel::Warning: return 'W';
    case LogLevel::Error: return 'E';
    case LogLevel::Off: break;
  }
  return '?';
}

}  // namespace

CubismIdHandle CubismIdManager::getId(std::string_view id) {
  std::lock_guard lock(m_mutex);
  auto it = m_ids.find(id);
  if (it != m_ids.end()) return it->second.get();
  auto owned = std::make_unique<CubismId>(std::string(id));
  CubismIdHandle handle = owned.get();
  m_ids.emplace(std::string(id), std::move(owned));
  return handle;
}

bool CubismIdManager::isExist(std::string_view id) const {
  std::lock_guard lock(m_mutex);
  return m_ids.find(id) != m_ids.end();
}

bool CubismFramework::startUp(ICubismAllocator* allocator, const CubismFrameworkOption* option) {
  FrameworkState& s = state();
  if (s.started) {
    CUBISM_LOG_INFO("CubismFramework::StartUp() is already done.\n");
    return s.started;
  }
  if (option) {
    s.logFunction = option->logFunction;
    s.loggingLevel = option->loggingLevel;
  }
  if (!allocator) {
    CUBISM_LOG_WARNING("CubismFramework::StartUp() failed, need allocator instance.\n");
    return false;
  }
  s.allocator = allocator;
  s.started = true;
  CUBISM_LOG_INFO("CubismFramework::StartUp() is complete.\n");
  return true;
}

bool CubismFramework::isStarted() { return state().started; }

void CubismFramework::initialize() {
  FrameworkState& s = state();
  if (!s.started) {
    CUBISM_LOG_WARNING("CubismFramework is not started.\n");
    return;
  }
  if (s.initialized) {
    CUBISM_LOG_WARNING("CubismFramework::Initialize() skipped, already initialized.\n");
    return;
  }
  s.initialized = true;
  CUBISM_LOG_INFO("CubismFramework::Initialize() is complete.\n");
}

bool CubismFramework::isInitialized() { return state().initialized; }

void CubismFramework::dispose() {
  FrameworkState& s = state();
  if (!s.started) {
    CUBISM_LOG_WARNING("CubismFramework is not started.\n");
    return;
  }
  if (!s.initialized) {
    CUBISM_LOG_WARNING("CubismFramework::Dispose() skipped, not initialized.\n");
    return;
  }
  s.initialized = false;
  CUBISM_LOG_INFO("CubismFramework::Dispose() is complete.\n");
}

void CubismFramework::cleanUp() { state() = FrameworkState{}; }

CubismIdManager* CubismFramework::getIdManager() {
  // Lives for the whole process: ids are cached by objects that may outlive a framework restart.
  static CubismIdManager* manager = new CubismIdManager();
  return manager;
}

ICubismAllocator* CubismFramework::allocator() { return state().allocator; }
LogLevel CubismFramework::loggingLevel() { return state().loggingLevel; }
void CubismFramework::setLoggingLevel(LogLevel level) { state().loggingLevel = level; }
void CubismFramework::setLogFunction(LogFunction function) { state().logFunction = function; }

void CubismFramework::log(LogLevel level, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  logV(level, format, args);
  va_end(args);
}

void CubismFramework::logV(LogLevel level, const char* format, std::va_list args) {
  const FrameworkState& s = state();
  if (!s.logFunction || level == LogLevel::Off || level < s.loggingLevel) return;
  std::va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length < 0) return;
  std::vector<char> text(static_cast<std::size_t>(length) + 16);
  const int prefix = std::snprintf(text.data(), text.size(), "[CSM][%c]", levelLetter(level));
  std::vsnprintf(text.data() + prefix, text.size() - static_cast<std::size_t>(prefix), format, args);
  s.logFunction(text.data());
}

}  // namespace live2d::cubism
