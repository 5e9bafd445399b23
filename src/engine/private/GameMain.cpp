#include "engine/private/GameMain.h"

#include <zlib.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <set>
#include <vector>

#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "engine/private/EngineState.h"
#include "engine/private/Interpreter.h"

namespace engine {

namespace {

struct Section {
  std::string name;
  std::string code;
};

// Inflates one section; a size cap keeps a corrupt stream from growing without end.
bool inflateSection(const std::string& deflated, std::string* code) {
  constexpr size_t kMaxScriptBytes = 64u << 20;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) {
    return false;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = static_cast<uInt>(deflated.size());
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof(buffer);
    status = inflate(&stream, Z_NO_FLUSH);
    code->append(buffer, sizeof(buffer) - stream.avail_out);
    if (code->size() > kMaxScriptBytes || (status == Z_BUF_ERROR && stream.avail_in == 0)) {
      status = Z_DATA_ERROR;
    }
  }
  inflateEnd(&stream);
  return status == Z_STREAM_END;
}

std::string rubyString(VALUE value) {
  return std::string(RSTRING_PTR(value), static_cast<size_t>(RSTRING_LEN(value)));
}

VALUE marshalLoad(VALUE data) {
  return rb_marshal_load(data);
}

// Reads the scripts file into sections; on failure returns false with a message for the player.
bool loadSections(const std::string& path, std::vector<Section>* sections, std::string* failure) {
  std::string error;
  auto bytes = FileLayer::instance().read(path, FileKind::Any, &error);
  const std::string shown = FileLayer::instance().describePath(path);
  if (!bytes) {
    *failure = "Failed to load the scripts file " + shown + (error.empty() ? ": file not found." : ": " + error);
    return false;
  }
  VALUE data = rb_str_new(reinterpret_cast<const char*>(bytes->data()), static_cast<long>(bytes->size()));
  int state = 0;
  VALUE list = rb_protect(marshalLoad, data, &state);
  // The unmarshaller reads these bytes while it allocates; only this frame refers to them.
  RB_GC_GUARD(data);
  if (state != 0) {
    std::string reason = rubyString(rb_obj_as_string(rb_errinfo()));
    rb_set_errinfo(Qnil);
    *failure = "Failed to load the scripts file " + shown + ": " + reason;
    return false;
  }
  auto corrupt = [&](const std::string& what) {
    *failure = "Failed to load the scripts file " + shown + ": " + what;
    return false;
  };
  if (!RB_TYPE_P(list, T_ARRAY)) {
    return corrupt("not a list of sections.");
  }
  for (long i = 0; i < RARRAY_LEN(list); ++i) {
    VALUE entry = rb_ary_entry(list, i);
    if (!RB_TYPE_P(entry, T_ARRAY) || RARRAY_LEN(entry) < 3 || !RB_TYPE_P(rb_ary_entry(entry, 1), T_STRING) ||
        !RB_TYPE_P(rb_ary_entry(entry, 2), T_STRING)) {
      return corrupt("section " + std::to_string(i + 1) + " is malformed.");
    }
    Section section{rubyString(rb_ary_entry(entry, 1)), {}};
    if (!inflateSection(rubyString(rb_ary_entry(entry, 2)), &section.code)) {
      return corrupt("section '" + section.name + "' cannot be decompressed.");
    }
    sections->push_back(std::move(section));
  }
  RB_GC_GUARD(list);
  return true;
}

// What a report needs of an error, taken while its methods may still raise.
struct ErrorFacts {
  VALUE error = Qnil;
  VALUE message = Qnil;
  VALUE backtrace = Qnil;
};

VALUE gatherFacts(VALUE factsValue) {
  auto* facts = reinterpret_cast<ErrorFacts*>(factsValue);
  facts->message = rb_obj_as_string(facts->error);
  facts->backtrace = rb_check_array_type(rb_funcall(facts->error, rb_intern("backtrace"), 0));
  return Qnil;
}

// Where an error came from: the deepest backtrace frame that lies in a script section. A syntax error
// names its place at the start of its message instead.
std::pair<std::string, int> errorLocation(const ErrorFacts& facts, const std::set<std::string>& names,
                                          const std::string& running) {
  static const std::regex kFrame(R"(^(.*?):(\d+)(?::|$))");
  std::vector<std::string> candidates;
  if (rb_obj_is_kind_of(facts.error, rb_eSyntaxError) && !NIL_P(facts.message)) {
    candidates.push_back(rubyString(facts.message));
  }
  if (!NIL_P(facts.backtrace)) {
    for (long i = 0; i < RARRAY_LEN(facts.backtrace); ++i) {
      VALUE frame = rb_ary_entry(facts.backtrace, i);
      if (RB_TYPE_P(frame, T_STRING)) {
        candidates.push_back(rubyString(frame));
      }
    }
  }
  for (const std::string& text : candidates) {
    std::smatch match;
    if (std::regex_search(text, match, kFrame) && names.count(match[1].str()) != 0) {
      return {match[1].str(), std::stoi(match[2].str())};
    }
  }
  return {running, 0};
}

std::string errorReport(VALUE error, const std::set<std::string>& names, const std::string& running) {
  ErrorFacts facts{error};
  int state = 0;
  rb_protect(gatherFacts, reinterpret_cast<VALUE>(&facts), &state);
  rb_set_errinfo(Qnil);
  auto [section, line] = errorLocation(facts, names, running);
  std::string message = RB_TYPE_P(facts.message, T_STRING) ? rubyString(facts.message) : std::string();
  return "Script '" + section + "' line " + std::to_string(line) + ": " + rb_obj_classname(error) +
         " occurred.\n\n" + message;
}

struct SourceArgs {
  VALUE code;
  VALUE name;
};

VALUE callCompatibleSource(VALUE argsValue) {
  auto* args = reinterpret_cast<SourceArgs*>(argsValue);
  return rb_funcall(rb_cObject, rb_intern("__rgss_compatible_source__"), 2, args->code, args->name);
}

// The section's text as the compatibility layer rewrites it for Ruby 1.9 habits this interpreter refuses; nullopt
// when it needs nothing, which a quick look settles for almost every section.
std::optional<std::string> compatibleSource(const Section& section) {
  if (section.code.find("@@") == std::string::npos || section.code.find("<<") == std::string::npos) {
    return std::nullopt;
  }
  SourceArgs args{rb_utf8_str_new(section.code.data(), static_cast<long>(section.code.size())),
                  rb_utf8_str_new(section.name.data(), static_cast<long>(section.name.size()))};
  int state = 0;
  VALUE rewritten = rb_protect(callCompatibleSource, reinterpret_cast<VALUE>(&args), &state);
  RB_GC_GUARD(args.code);
  RB_GC_GUARD(args.name);
  if (state != 0) {
    std::string message = describeError(rb_errinfo());
    rb_set_errinfo(Qnil);
    std::fprintf(stderr, "[compat] %s: left as written: %s\n", section.name.c_str(), message.c_str());
    return std::nullopt;
  }
  if (!RB_TYPE_P(rewritten, T_STRING)) {
    return std::nullopt;
  }
  return rubyString(rewritten);
}

enum class Outcome { Finished, Failed, Exited, Reset };

Outcome runSection(const Section& section, const std::set<std::string>& names) {
  std::optional<std::string> rewritten = compatibleSource(section);
  if (evalProtected(rewritten ? *rewritten : section.code, section.name.c_str()) == 0) {
    return Outcome::Finished;
  }
  VALUE error = rb_errinfo();
  rb_set_errinfo(Qnil);
  if (rb_obj_is_kind_of(error, rb_eSystemExit)) {
    setExitStatus(NUM2INT(rb_attr_get(error, rb_intern("status"))));
    return Outcome::Exited;
  }
  if (rb_obj_is_kind_of(error, resetClass())) {
    return Outcome::Reset;
  }
  // Interrupt included: a stop asked for by signal ends the game quietly, as closing its window does.
  if (rb_obj_is_kind_of(error, rb_eSignal)) {
    return Outcome::Exited;
  }
  showMessageBox(errorReport(error, names, section.name).c_str());
  return Outcome::Failed;
}

VALUE resetProtected(VALUE) {
  resetSubsystems();
  return Qnil;
}

}  // namespace

void runScripts(const std::string& scriptsPath) {
  std::vector<Section> sections;
  std::string failure;
  if (!loadSections(scriptsPath, &sections, &failure)) {
    showMessageBox(failure.c_str());
    setExitStatus(1);
    return;
  }
  std::set<std::string> names;
  for (const Section& section : sections) {
    names.insert(section.name);
  }
  // An RGSSReset that no rgss_main caught starts the game over from its first section.
  for (size_t i = 0; i < sections.size();) {
    switch (runSection(sections[i], names)) {
      case Outcome::Finished:
        ++i;
        break;
      case Outcome::Reset: {
        int state = 0;
        rb_protect(resetProtected, Qnil, &state);
        rb_set_errinfo(Qnil);
        i = 0;
        break;
      }
      case Outcome::Failed:
      case Outcome::Exited:
        return;
    }
  }
}

}  // namespace engine
