// Win32API::Native: what the Win32API and DL stand-ins (scripts/win32api.rb, scripts/dl.rb) cannot answer in
// Ruby. The player's state comes through the host's SystemServices; text conversion, profile files and the user
// name are answered here. Each function hands back plain values (or nil when no answer exists), and the Ruby
// table lays them out in the callers' buffers.

#include <pwd.h>
#include <unistd.h>

#include <ruby/encoding.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/FileLayer.h"
#include "engine/IniFile.h"
#include "engine/LegacyCodePage.h"
#include "engine/SystemServices.h"
#include "engine/private/AtomicFile.h"
#include "engine/private/CodePage.h"
#include "engine/private/Interpreter.h"
#include "engine/private/ProfileText.h"

namespace engine {

SystemServices& systemServices() {
  static SystemServices services;
  return services;
}

namespace {

SystemServices& services() { return systemServices(); }

VALUE text(const std::string& value) {
  return rb_enc_str_new(value.data(), static_cast<long>(value.size()), rb_utf8_encoding());
}

VALUE bytes(const std::string& value) { return rb_str_new(value.data(), static_cast<long>(value.size())); }

std::string_view view(VALUE string) { return {RSTRING_PTR(string), static_cast<std::size_t>(RSTRING_LEN(string))}; }

VALUE rectArray(VALUE array, const SystemRect& rect) {
  for (int value : {rect.x, rect.y, rect.width, rect.height}) {
    rb_ary_push(array, INT2NUM(value));
  }
  return array;
}

VALUE keyStates(VALUE) {
  if (services().keyboardState == nullptr) {
    return Qnil;
  }
  std::uint8_t states[256] = {};
  services().keyboardState(states);
  return rb_str_new(reinterpret_cast<const char*>(states), sizeof(states));
}

VALUE keyState(VALUE, VALUE key) {
  const int code = NUM2INT(key);
  return services().keyState != nullptr ? INT2NUM(services().keyState(code)) : Qnil;
}

VALUE asyncKeyState(VALUE, VALUE key) {
  const int code = NUM2INT(key);
  return services().asyncKeyState != nullptr ? INT2NUM(services().asyncKeyState(code)) : Qnil;
}

VALUE keyEvent(VALUE, VALUE key, VALUE down) {
  const int code = NUM2INT(key);
  if (services().keyEvent == nullptr) {
    return Qfalse;
  }
  services().keyEvent(code, RTEST(down));
  return Qtrue;
}

VALUE pointer(VALUE) {
  int x = 0;
  int y = 0;
  if (services().pointerPosition == nullptr || !services().pointerPosition(&x, &y)) {
    return Qnil;
  }
  return rb_assoc_new(INT2NUM(x), INT2NUM(y));
}

VALUE windowHandle(VALUE) { return ULONG2NUM(services().windowHandle != nullptr ? services().windowHandle() : 0); }

VALUE windowActive(VALUE) { return services().windowActive != nullptr && services().windowActive() ? Qtrue : Qfalse; }

VALUE windowRects(VALUE) {
  SystemRect outer;
  SystemRect client;
  if (services().windowRects == nullptr || !services().windowRects(&outer, &client)) {
    return Qnil;
  }
  return rectArray(rectArray(rb_ary_new(), outer), client);
}

VALUE moveWindow(VALUE, VALUE x, VALUE y, VALUE width, VALUE height, VALUE move, VALUE resize) {
  const SystemRect outer{NUM2INT(x), NUM2INT(y), NUM2INT(width), NUM2INT(height)};
  return services().moveWindow != nullptr && services().moveWindow(outer, RTEST(move), RTEST(resize)) ? Qtrue : Qfalse;
}

VALUE windowState(VALUE) {
  SystemWindowState state;
  if (services().windowState == nullptr || !services().windowState(&state)) {
    return Qnil;
  }
  VALUE flags = rb_ary_new();
  for (bool flag : {state.visible, state.bordered, state.resizable, state.minimized, state.maximized, state.topmost}) {
    rb_ary_push(flags, flag ? Qtrue : Qfalse);
  }
  return flags;
}

VALUE setWindowState(VALUE, VALUE flags) {
  Check_Type(flags, T_ARRAY);
  auto flag = [&](long index) { return RTEST(rb_ary_entry(flags, index)); };
  const SystemWindowState state{flag(0), flag(1), flag(2), flag(3), flag(4), flag(5)};
  return services().setWindowState != nullptr && services().setWindowState(state) ? Qtrue : Qfalse;
}

VALUE windowTitle(VALUE) {
  std::optional<std::string> title = services().windowTitle != nullptr ? services().windowTitle() : std::nullopt;
  return title ? text(*title) : Qnil;
}

VALUE setWindowTitle(VALUE, VALUE title) {
  StringValue(title);
  return services().setWindowTitle != nullptr && services().setWindowTitle(std::string(view(title))) ? Qtrue : Qfalse;
}

VALUE display(VALUE) {
  SystemDisplay display;
  if (services().display == nullptr || !services().display(&display)) {
    return Qnil;
  }
  VALUE values =
      rectArray(rectArray(rectArray(rb_ary_new(), display.display), display.workArea), display.virtualScreen);
  for (int value :
       {display.displayCount, display.borderLeft, display.borderTop, display.borderRight, display.borderBottom}) {
    rb_ary_push(values, INT2NUM(value));
  }
  return values;
}

VALUE clipboard(VALUE) {
  std::optional<std::string> content = services().clipboardText != nullptr ? services().clipboardText() : std::nullopt;
  return content ? text(*content) : Qnil;
}

VALUE setClipboard(VALUE, VALUE content) {
  StringValue(content);
  return services().setClipboardText != nullptr && services().setClipboardText(std::string(view(content))) ? Qtrue
                                                                                                           : Qfalse;
}

VALUE messageBox(VALUE, VALUE message, VALUE caption, VALUE type) {
  StringValue(message);
  StringValue(caption);
  const unsigned bits = NUM2UINT(type);
  if (services().messageBox == nullptr) {
    return INT2FIX(0);
  }
  return INT2NUM(services().messageBox(std::string(view(message)), std::string(view(caption)), bits));
}

VALUE openUrl(VALUE, VALUE url) {
  StringValue(url);
  return services().openUrl != nullptr && services().openUrl(std::string(view(url))) ? Qtrue : Qfalse;
}

VALUE executablePath(VALUE) {
  return text(services().executablePath != nullptr ? services().executablePath() : std::string("Game.exe"));
}

VALUE decodeProfile(VALUE, VALUE bytes) {
  StringValue(bytes);
  const std::string decoded = decodeProfileText(view(bytes));
  RB_GC_GUARD(bytes);
  return text(decoded);
}

VALUE userName(VALUE) {
  std::string name;
  if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr) {
    name = entry->pw_name;
  } else if (const char* login = getlogin(); login != nullptr) {
    name = login;
  }
  return text(name);
}

VALUE charset(VALUE, VALUE codePage) {
  const char* name = codePageCharset(NUM2UINT(codePage));
  return name != nullptr ? rb_str_new_cstr(name) : Qnil;
}

VALUE transcodeText(VALUE, VALUE input, VALUE from, VALUE to, VALUE replacement, VALUE unitBytes) {
  StringValue(input);
  const char* fromName = StringValueCStr(from);
  const char* toName = StringValueCStr(to);
  StringValue(replacement);
  const std::size_t unit = std::max<std::size_t>(NUM2SIZET(unitBytes), 1);
  VALUE result = Qnil;
  {
    std::optional<Transcoded> converted = transcode(view(input), fromName, toName, view(replacement), unit);
    if (converted) {
      result = rb_assoc_new(bytes(converted->bytes), converted->replaced ? Qtrue : Qfalse);
    }
  }
  RB_GC_GUARD(input);
  RB_GC_GUARD(from);
  RB_GC_GUARD(to);
  RB_GC_GUARD(replacement);
  return result;
}

// Profile files are named relative to the game folder (the current directory), with either separator and in
// any letter case, as on the file system games were made on.
std::string profilePath(std::string_view name) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (std::string written = FileLayer::instance().pathForReading(path); written != path) {
    return written;  // the copy in the user data folder of a game whose folder cannot be written
  }
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    return path;
  }
  std::optional<std::string> found = FileLayer::instance().findOnDisk(path);
  if (found) {
    // Runtime packages are never written to: only a file inside the game folder stands for the name.
    std::filesystem::path folder = std::filesystem::weakly_canonical(std::filesystem::current_path(error), error);
    std::filesystem::path file = std::filesystem::weakly_canonical(*found, error);
    auto [end, unused] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    if (end == folder.end()) {
      return *found;
    }
  }
  return path;
}

std::optional<std::string> readWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

VALUE stringArray(const std::vector<std::string>& values) {
  VALUE array = rb_ary_new_capa(static_cast<long>(values.size()));
  for (const std::string& value : values) {
    rb_ary_push(array, bytes(value));
  }
  return array;
}

// Profile values: read(file, section, key) is the value or nil; read(file, section, nil) the section's key
// names and read(file, nil, nil) the section names, as arrays.
VALUE profileRead(VALUE, VALUE file, VALUE section, VALUE key) {
  StringValue(file);
  if (!NIL_P(section)) {
    StringValue(section);
  }
  if (!NIL_P(key)) {
    StringValue(key);
  }
  VALUE result = Qnil;
  {
    std::optional<std::string> contents = readWhole(profilePath(view(file)));
    const std::string textRead = contents.value_or(std::string());
    if (NIL_P(section)) {
      result = stringArray(profileSectionNames(textRead));
    } else if (NIL_P(key)) {
      result = stringArray(profileKeyNames(textRead, view(section)));
    } else if (std::optional<std::string> value = IniFile::parse(textRead).value(view(section), view(key))) {
      result = bytes(*value);
    }
  }
  RB_GC_GUARD(file);
  RB_GC_GUARD(section);
  RB_GC_GUARD(key);
  return result;
}

VALUE profileInt(VALUE, VALUE file, VALUE section, VALUE key, VALUE fallback) {
  StringValue(file);
  StringValue(section);
  StringValue(key);
  const int otherwise = NUM2INT(fallback);
  int result = otherwise;
  {
    std::optional<std::string> contents = readWhole(profilePath(view(file)));
    if (contents) {
      result = IniFile::parse(*contents).intValue(view(section), view(key), otherwise);
    }
  }
  RB_GC_GUARD(file);
  RB_GC_GUARD(section);
  RB_GC_GUARD(key);
  return INT2NUM(result);
}

// Writes through a temporary file and a rename, so the file is never half written. Answers 0 or the error number.
VALUE profileWriteValue(VALUE, VALUE file, VALUE section, VALUE key, VALUE value) {
  StringValue(file);
  StringValue(section);
  if (!NIL_P(key)) {
    StringValue(key);
  }
  if (!NIL_P(value)) {
    StringValue(value);
  }
  int error = 0;
  {
    const std::string path = profilePath(view(file));
    std::optional<std::string> contents = readWhole(path);
    std::error_code missing;
    if (!contents && std::filesystem::exists(path, missing)) {
      error = EACCES;
    } else {
      const std::optional<std::string> keyText = NIL_P(key) ? std::nullopt : std::optional(std::string(view(key)));
      const std::optional<std::string> valueText =
          NIL_P(value) ? std::nullopt : std::optional(std::string(view(value)));
      const std::string before = contents.value_or(std::string());
      const std::string after = profileWrite(before, view(section), keyText, valueText);
      if (after != before || !contents) {
        error = writeFileAtomically(FileLayer::instance().pathForWriting(path), after.data(), after.size());
      }
    }
  }
  RB_GC_GUARD(file);
  RB_GC_GUARD(section);
  RB_GC_GUARD(key);
  RB_GC_GUARD(value);
  return INT2FIX(error);
}

}  // namespace

void defineWin32Natives() {
  VALUE outer = rb_define_class("Win32API", rb_cObject);
  VALUE native = rb_define_module_under(outer, "Native");
  rb_define_module_function(native, "key_states", keyStates, 0);
  rb_define_module_function(native, "key_state", keyState, 1);
  rb_define_module_function(native, "async_key_state", asyncKeyState, 1);
  rb_define_module_function(native, "key_event", keyEvent, 2);
  rb_define_module_function(native, "pointer", pointer, 0);
  rb_define_module_function(native, "window_handle", windowHandle, 0);
  rb_define_module_function(native, "window_active", windowActive, 0);
  rb_define_module_function(native, "window_rects", windowRects, 0);
  rb_define_module_function(native, "move_window", moveWindow, 6);
  rb_define_module_function(native, "window_state", windowState, 0);
  rb_define_module_function(native, "set_window_state", setWindowState, 1);
  rb_define_module_function(native, "window_title", windowTitle, 0);
  rb_define_module_function(native, "set_window_title", setWindowTitle, 1);
  rb_define_module_function(native, "display", display, 0);
  rb_define_module_function(native, "clipboard", clipboard, 0);
  rb_define_module_function(native, "set_clipboard", setClipboard, 1);
  rb_define_module_function(native, "message_box", messageBox, 3);
  rb_define_module_function(native, "open_url", openUrl, 1);
  rb_define_module_function(native, "executable_path", executablePath, 0);
  rb_define_module_function(native, "user_name", userName, 0);
  rb_define_module_function(native, "decode_profile", decodeProfile, 1);
  rb_define_module_function(native, "charset", charset, 1);
  rb_define_module_function(native, "transcode", transcodeText, 5);
  rb_define_module_function(native, "profile_read", profileRead, 3);
  rb_define_module_function(native, "profile_int", profileInt, 4);
  rb_define_module_function(native, "profile_write", profileWriteValue, 4);
}

}  // namespace engine
