#include "engine/private/EngineState.h"

#include <cstdio>
#include <utility>

namespace engine {

namespace {

EngineHooks g_hooks;
EngineGlobals g_globals;
FontRegistry g_fonts;
int g_exitStatus = 0;
std::string g_title = "Untitled";

void printMessageBox(const char* caption, const char* text) { std::fprintf(stderr, "%s: %s\n", caption, text); }

MessageBoxFunc g_messageBox = printMessageBox;

}  // namespace

EngineHooks& hooks() { return g_hooks; }

const EngineGlobals& globals() { return g_globals; }

EngineGlobals& editableGlobals() { return g_globals; }

FontRegistry& fontRegistry() { return g_fonts; }

void setGameTitle(std::string title) { g_title = std::move(title); }

void setMessageBox(MessageBoxFunc function) { g_messageBox = function != nullptr ? function : printMessageBox; }

void showMessageBox(const char* text) { g_messageBox(g_title.c_str(), text); }

int exitStatus() { return g_exitStatus; }

void setExitStatus(int status) { g_exitStatus = status; }

}  // namespace engine
