#pragma once

// Start-up, logging and ids of the Live2D framework. The framework is started once per process; ids stay
// valid until the process ends, so handles can be cached freely by models and motions.

#include <cstdarg>
#include <cstddef>
#include <string>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

enum class LogLevel { Verbose = 0, Debug = 1, Info = 2, Warning = 3, Error = 4, Off = 5 };

// Memory for the host to account for: models take their vertex buffers from here.
class ICubismAllocator {
 public:
  virtual ~ICubismAllocator() = default;
  virtual void* allocate(std::size_t size) = 0;
  virtual void deallocate(void* memory) = 0;
  virtual void* allocateAligned(std::size_t size, std::size_t alignment) = 0;
  virtual void deallocateAligned(void* alignedMemory) = 0;
};

using LogFunction = void (*)(const char* message);

struct CubismFrameworkOption {
  LogFunction logFunction = nullptr;
  LogLevel loggingLevel = LogLevel::Info;
};

class CubismFramework {
 public:
  CubismFramework() = delete;

  // False (and logged) when already started or when no allocator is given.
  static bool startUp(ICubismAllocator* allocator, const CubismFrameworkOption* option = nullptr);
  static bool isStarted();
  static void initialize();
  static bool isInitialized();
  // Ends the initialised state; ids stay valid.
  static void dispose();
  // Forgets the allocator and options so startUp may run again (tests).
  static void cleanUp();

  static CubismIdManager* getIdManager();
  static ICubismAllocator* allocator();
  static LogLevel loggingLevel();
  static void setLoggingLevel(LogLevel level);
  static void setLogFunction(LogFunction function);
  // Writes "[CSM][<level letter>]message" through the log function when `level` passes the filter.
  static void log(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));
  static void logV(LogLevel level, const char* format, std::va_list args);
};

// Shorthands used throughout the framework. The message carries its own trailing newline when it wants one.
#define CUBISM_LOG_VERBOSE(...) ::live2d::cubism::CubismFramework::log(::live2d::cubism::LogLevel::Verbose, __VA_ARGS__)
#define CUBISM_LOG_DEBUG(...) ::live2d::cubism::CubismFramework::log(::live2d::cubism::LogLevel::Debug, __VA_ARGS__)
#define CUBISM_LOG_INFO(...) ::live2d::cubism::CubismFramework::log(::live2d::cubism::LogLevel::Info, __VA_ARGS__)
#define CUBISM_LOG_WARNING(...) ::live2d::cubism::CubismFramework::log(::live2d::cubism::LogLevel::Warning, __VA_ARGS__)
#define CUBISM_LOG_ERROR(...) ::live2d::cubism::CubismFramework::log(::live2d::cubism::LogLevel::Error, __VA_ARGS__)

}  // namespace live2d::cubism
