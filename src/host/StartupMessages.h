#pragma once

// The start-up error messages: a modal error box captioned with the game title (and the same text on standard
// error), after which the player ends with status 1. Each keeps its Chinese text and gets an English line under
// it that names what failed with its real path.

#include <string>
#include <string_view>
#include <vector>

namespace host {

inline constexpr const char* kRegisterClassFailed = "注册窗口类失败 %s。";
inline constexpr const char* kCreateWindowFailed = "创建窗口失败 %s。";
inline constexpr const char* kLoadLibraryFailed = "加载RGSS核心库失败 %s。";
inline constexpr const char* kWrongLibrary = "错误的DLL文件。";
inline constexpr const char* kExportMissing = "获取RGSS核心库导出函数失败 %s。";
inline constexpr const char* kRuntimeMissing = "没有发现 RGSS-RTP %s。";
inline constexpr const char* kExInitializeFailed = "RGSS扩展库初始化失败 %s。";

// The message with its one "%s" (if any) replaced by `value`, cut to the 1023 UTF-16 units of the message
// buffer; then, on a line of its own, `english` (if any).
std::string formatStartupMessage(std::string_view format, std::string_view value = {}, std::string_view english = {});

// The English line of a missing runtime package: every folder searched and how to provide the package.
std::string runtimeMissingText(const std::string& name, const std::vector<std::string>& searched);

// `path` made absolute (against the current folder) with "/" separators, for messages.
std::string realPath(std::string_view path);

}  // namespace host
