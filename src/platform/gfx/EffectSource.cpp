#include "platform/gfx/EffectSource.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

namespace gfx {

namespace {

struct Token {
  enum class Kind { Identifier, Number, Punctuation, String };
  Kind kind = Kind::Punctuation;
  std::string text;
  std::size_t begin = 0;
  std::size_t end = 0;
  int line = 1;
};

bool isIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool isIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// Splits the text into tokens, skipping comments and preprocessor lines (which stay in the HLSL untouched).
std::vector<Token> tokenize(std::string_view text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  int line = 1;
  bool lineStart = true;
  const std::size_t size = text.size();
  while (i < size) {
    const char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
      lineStart = true;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++i;
      continue;
    }
    if (c == '/' && i + 1 < size && text[i + 1] == '/') {
      while (i < size && text[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < size && text[i + 1] == '*') {
      i += 2;
      while (i < size && !(text[i] == '*' && i + 1 < size && text[i + 1] == '/')) {
        if (text[i] == '\n') ++line;
        ++i;
      }
      i = std::min(size, i + 2);
      continue;
    }
    if (c == '#' && lineStart) {
      while (i < size && text[i] != '\n') {
        if (text[i] == '\\' && i + 1 < size && text[i + 1] == '\n') {
          ++line;
          ++i;
        }
        ++i;
      }
      continue;
    }
    lineStart = false;
    Token token;
    token.begin = i;
    token.line = line;
    if (isIdentifierStart(c)) {
      token.kind = Token::Kind::Identifier;
      while (i < size && isIdentifierChar(text[i])) ++i;
    } else if (std::isdigit(static_cast<unsigned char>(c)) != 0 ||
               (c == '.' && i + 1 < size && std::isdigit(static_cast<unsigned char>(text[i + 1])) != 0)) {
      token.kind = Token::Kind::Number;
      while (i < size && (isIdentifierChar(text[i]) || text[i] == '.' ||
                          ((text[i] == '-' || text[i] == '+') && (text[i - 1] == 'e' || text[i - 1] == 'E')))) {
        ++i;
      }
    } else if (c == '"') {
      token.kind = Token::Kind::String;
      ++i;
      while (i < size && text[i] != '"' && text[i] != '\n') {
        if (text[i] == '\\' && i + 1 < size) ++i;
        ++i;
      }
      i = std::min(size, i + 1);
    } else {
      ++i;
    }
    token.end = i;
    token.text = std::string(text.substr(token.begin, token.end - token.begin));
    tokens.push_back(std::move(token));
  }
  return tokens;
}

struct Edit {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string replacement;  // written over the start; the rest of the range is blanked, newlines kept
};

class Parser {
 public:
  Parser(std::string_view text, std::vector<Token> tokens) : m_text(text), m_tokens(std::move(tokens)) {}

  std::optional<EffectSource> run(std::string* errors);

 private:
  const Token* peek(std::size_t offset = 0) const {
    return m_at + offset < m_tokens.size() ? &m_tokens[m_at + offset] : nullptr;
  }
  bool peekIs(std::string_view text, std::size_t offset = 0) const {
    const Token* token = peek(offset);
    return token != nullptr && token->text == text;
  }
  int currentLine() const {
    if (const Token* token = peek()) return token->line;
    return m_tokens.empty() ? 1 : m_tokens.back().line;
  }
  void fail(int line, const std::string& message) {
    if (m_failed) return;
    m_failed = true;
    m_errors = "effect(" + std::to_string(line) + "): error: " + message + "\n";
  }
  bool expect(std::string_view text, const char* what) {
    if (peekIs(text)) {
      ++m_at;
      return true;
    }
    fail(currentLine(), std::string("expected '") + std::string(text) + "' " + what);
    return false;
  }
  void skipAnnotations();
  bool parseAssignments(std::vector<EffectAssignment>* out, EffectPassSource* pass);
  void parseTechnique();
  void parseTexture();
  void parseSampler();
  void parseDefault(std::size_t statementStart);
  std::string joinUntil(std::string_view stop);

  std::string_view m_text;
  std::vector<Token> m_tokens;
  std::size_t m_at = 0;
  bool m_failed = false;
  std::string m_errors;
  EffectSource m_source;
  std::vector<Edit> m_edits;
  struct PendingSampler {
    std::size_t edit = 0;
    int explicitUnit = -1;
  };
  std::vector<PendingSampler> m_pendingSamplers;
};

// Annotations (`<string UIName = "x";>`) carry nothing we use.
void Parser::skipAnnotations() {
  if (!peekIs("<")) return;
  while (peek() != nullptr && !peekIs(">")) ++m_at;
  if (peek() != nullptr) ++m_at;
}

std::string Parser::joinUntil(std::string_view stop) {
  std::string joined;
  while (peek() != nullptr && !peekIs(stop)) {
    if (!joined.empty()) joined += ' ';
    joined += peek()->text;
    ++m_at;
  }
  return joined;
}

// `{ Name[index] = value; ... }`. Inside a pass, shader assignments fill `pass` instead of the state list.
bool Parser::parseAssignments(std::vector<EffectAssignment>* out, EffectPassSource* pass) {
  if (!expect("{", "to open the block")) return false;
  while (peek() != nullptr && !peekIs("}")) {
    const Token* name = peek();
    if (name->kind != Token::Kind::Identifier) {
      fail(name->line, "expected a state name, found '" + name->text + "'");
      return false;
    }
    EffectAssignment assignment;
    assignment.name = name->text;
    assignment.line = name->line;
    ++m_at;
    if (peekIs("[")) {
      ++m_at;
      const Token* index = peek();
      if (index == nullptr || index->kind != Token::Kind::Number) {
        fail(assignment.line, "expected a state index");
        return false;
      }
      assignment.index = std::atoi(index->text.c_str());
      ++m_at;
      if (!expect("]", "after the state index")) return false;
    }
    if (!expect("=", ("after '" + assignment.name + "'").c_str())) return false;
    const bool pixelShader = equalsIgnoringCase(assignment.name, "PixelShader");
    const bool vertexShader = equalsIgnoringCase(assignment.name, "VertexShader");
    if ((pixelShader || vertexShader) && pass != nullptr && peekIs("compile")) {
      ++m_at;
      const Token* profile = peek();
      const Token* entry = peek(1);
      if (profile == nullptr || entry == nullptr || entry->kind != Token::Kind::Identifier) {
        fail(assignment.line, "expected 'compile <profile> <function>()'");
        return false;
      }
      if (vertexShader) {
        fail(assignment.line, "vertex shaders in effect passes are not supported; the sprite vertices are fixed");
        return false;
      }
      pass->pixelShaderProfile = profile->text;
      pass->pixelShaderEntry = entry->text;
      pass->pixelShaderLine = assignment.line;
      m_at += 2;
      if (!expect("(", "after the shader function")) return false;
      if (!peekIs(")")) {
        fail(assignment.line, "arguments to a compiled shader function are not supported");
        return false;
      }
      ++m_at;
      if (!expect(";", "after the shader")) return false;
      continue;
    }
    if ((pixelShader || vertexShader) && pass != nullptr && peekIs("asm")) {
      fail(assignment.line, "assembly shaders are not supported");
      return false;
    }
    assignment.value = joinUntil(";");
    if (!expect(";", ("after the value of '" + assignment.name + "'").c_str())) return false;
    if ((pixelShader || vertexShader) && pass != nullptr) {
      if (!equalsIgnoringCase(assignment.value, "NULL")) {
        fail(assignment.line, "expected 'compile' or NULL for " + assignment.name);
        return false;
      }
      continue;
    }
    out->push_back(std::move(assignment));
  }
  return expect("}", "to close the block");
}

void Parser::parseTechnique() {
  const Token& keyword = *peek();
  const std::size_t begin = keyword.begin;
  ++m_at;
  EffectTechniqueSource technique;
  technique.line = keyword.line;
  if (peek() != nullptr && peek()->kind == Token::Kind::Identifier) {
    technique.name = peek()->text;
    ++m_at;
  }
  skipAnnotations();
  if (!expect("{", "after the technique name")) return;
  while (peek() != nullptr && !peekIs("}")) {
    if (!equalsIgnoringCase(peek()->text, "pass")) {
      fail(peek()->line, "expected 'pass' in technique '" + technique.name + "', found '" + peek()->text + "'");
      return;
    }
    EffectPassSource pass;
    pass.line = peek()->line;
    ++m_at;
    if (peek() != nullptr && peek()->kind == Token::Kind::Identifier) {
      pass.name = peek()->text;
      ++m_at;
    }
    skipAnnotations();
    if (!parseAssignments(&pass.states, &pass)) return;
    technique.passes.push_back(std::move(pass));
  }
  if (!expect("}", "to close the technique")) return;
  std::size_t end = m_tokens[m_at - 1].end;
  if (peekIs(";")) end = m_tokens[m_at++].end;
  m_edits.push_back({begin, end, ""});
  m_source.techniques.push_back(std::move(technique));
}

// `s1` in `register(s1)`: 1 when the class letter matches, else −1.
int parseRegister(const Token* kind, char registerClass) {
  if (kind == nullptr || kind->text.size() < 2 ||
      std::tolower(static_cast<unsigned char>(kind->text[0])) != registerClass) {
    return -1;
  }
  const std::string digits = kind->text.substr(1);
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return -1;
  }
  return std::atoi(digits.c_str());
}

void Parser::parseTexture() {
  const std::size_t begin = peek()->begin;
  const int line = peek()->line;
  ++m_at;
  const Token* name = peek();
  if (name == nullptr || name->kind != Token::Kind::Identifier) {
    fail(line, "expected a texture name");
    return;
  }
  EffectTextureSource texture;
  texture.name = name->text;
  ++m_at;
  if (peekIs(":") && peekIs("register", 1) && peekIs("(", 2)) {
    texture.unit = parseRegister(peek(3), 't');
    m_at += 3;
  }
  // Annotations and initial values mean nothing for a texture here.
  while (peek() != nullptr && !peekIs(";")) ++m_at;
  if (!expect(";", "after the texture declaration")) return;
  m_edits.push_back({begin, m_tokens[m_at - 1].end, ""});
  m_source.textures.push_back(texture);
}

void Parser::parseSampler() {
  const std::size_t begin = peek()->begin;
  const int line = peek()->line;
  ++m_at;
  const Token* name = peek();
  if (name == nullptr || name->kind != Token::Kind::Identifier) {
    fail(line, "expected a sampler name");
    return;
  }
  EffectSamplerSource sampler;
  sampler.name = name->text;
  ++m_at;
  int explicitUnit = -1;
  if (peekIs(":") && peekIs("register", 1) && peekIs("(", 2)) {
    explicitUnit = parseRegister(peek(3), 's');
    if (explicitUnit < 0 || explicitUnit > 15) {
      fail(line, "sampler '" + sampler.name + "' needs a register s0 to s15");
      return;
    }
    m_at += 4;
    if (!expect(")", "after the register")) return;
  }
  if (peekIs("=")) {
    ++m_at;
    if (!peekIs("sampler_state")) {
      fail(line, "expected 'sampler_state' for sampler '" + sampler.name + "'");
      return;
    }
    ++m_at;
    if (!parseAssignments(&sampler.states, nullptr)) return;
    for (auto it = sampler.states.begin(); it != sampler.states.end();) {
      if (equalsIgnoringCase(it->name, "Texture")) {
        std::string value = it->value;
        value.erase(std::remove_if(value.begin(), value.end(),
                                   [](char c) { return c == '<' || c == '>' || c == '(' || c == ')' || c == ' '; }),
                    value.end());
        sampler.texture = value;
        it = sampler.states.erase(it);
      } else {
        ++it;
      }
    }
  }
  if (!expect(";", "after the sampler declaration")) return;
  m_pendingSamplers.push_back({m_edits.size(), explicitUnit});
  m_edits.push_back({begin, m_tokens[m_at - 1].end, ""});
  m_source.samplers.push_back(std::move(sampler));
}

bool isParameterType(const std::string& text) {
  static const std::set<std::string> types = {"float", "float1", "float2", "float3", "float4", "half", "half2", "half3",
                                              "half4", "int",    "int2",   "int3",   "int4",   "bool", "dword", "uint"};
  return types.count(text) != 0;
}

// `float name [: semantic] = value;` at file scope: the initial value the effect gives a parameter. Statics and
// constants are the compiler's business.
void Parser::parseDefault(std::size_t statementStart) {
  for (std::size_t k = statementStart; k < m_at; ++k) {
    const std::string& word = m_tokens[k].text;
    if (word == "static" || word == "const" || word == "extern") return;
  }
  const Token* name = peek(1);
  if (name == nullptr || name->kind != Token::Kind::Identifier) return;
  std::size_t k = m_at + 2;
  if (k < m_tokens.size() && m_tokens[k].text == ":") {
    while (k < m_tokens.size() && m_tokens[k].text != "=" && m_tokens[k].text != ";") ++k;
  }
  if (k >= m_tokens.size() || m_tokens[k].text != "=") return;
  ++k;
  EffectParameterDefault entry;
  entry.name = name->text;
  float sign = 1.0f;
  for (; k < m_tokens.size() && m_tokens[k].text != ";"; ++k) {
    const Token& token = m_tokens[k];
    if (token.kind == Token::Kind::Number) {
      entry.values.push_back(sign * std::strtof(token.text.c_str(), nullptr));
      sign = 1.0f;
    } else if (token.text == "true" || token.text == "false") {
      entry.values.push_back(token.text == "true" ? 1.0f : 0.0f);
    } else if (token.text == "-") {
      sign = -sign;
    } else if (token.text == "+" || token.text == "," || token.text == "(" || token.text == ")" || token.text == "{" ||
               token.text == "}" || isParameterType(token.text)) {
      continue;
    } else {
      return;  // an expression: leave it to the compiler
    }
  }
  if (!entry.values.empty()) m_source.defaults.push_back(std::move(entry));
}

std::optional<EffectSource> Parser::run(std::string* errors) {
  int braces = 0;
  int parens = 0;
  std::size_t statementStart = 0;
  while (!m_failed && m_at < m_tokens.size()) {
    const Token& token = m_tokens[m_at];
    if (braces == 0 && parens == 0 && token.kind == Token::Kind::Identifier) {
      const std::string& word = token.text;
      if (equalsIgnoringCase(word, "technique")) {
        parseTechnique();
        statementStart = m_at;
        continue;
      }
      if (equalsIgnoringCase(word, "texture") || equalsIgnoringCase(word, "texture2D")) {
        parseTexture();
        statementStart = m_at;
        continue;
      }
      if (word == "sampler" || word == "sampler2D") {
        parseSampler();
        statementStart = m_at;
        continue;
      }
      if (isParameterType(word)) parseDefault(statementStart);
    }
    if (token.text == "{") ++braces;
    if (token.text == "}") --braces;
    if (token.text == "(") ++parens;
    if (token.text == ")") --parens;
    ++m_at;
    if (braces == 0 && parens == 0 && (token.text == ";" || token.text == "}")) statementStart = m_at;
  }
  if (m_failed) {
    if (errors != nullptr) *errors = m_errors;
    return std::nullopt;
  }

  // Samplers without a register take the lowest units no explicit register claims.
  std::set<int> taken;
  for (const PendingSampler& pending : m_pendingSamplers) {
    if (pending.explicitUnit >= 0) taken.insert(pending.explicitUnit);
  }
  int next = 0;
  for (std::size_t s = 0; s < m_pendingSamplers.size(); ++s) {
    int unit = m_pendingSamplers[s].explicitUnit;
    if (unit < 0) {
      while (taken.count(next) != 0) ++next;
      if (next > 15) {
        if (errors != nullptr) *errors = "effect(1): error: more than 16 samplers\n";
        return std::nullopt;
      }
      unit = next++;
    }
    m_source.samplers[s].unit = unit;
    m_edits[m_pendingSamplers[s].edit].replacement =
        "sampler2D " + m_source.samplers[s].name + " : register(s" + std::to_string(unit) + ");";
  }

  std::string hlsl(m_text);
  for (const Edit& edit : m_edits) {
    for (std::size_t i = edit.begin; i < edit.end; ++i) {
      if (hlsl[i] != '\n') hlsl[i] = ' ';
    }
    // A replacement longer than the text it stands for (`sampler s;`) shifts columns, never lines.
    std::string replacement = edit.replacement;
    const std::size_t room = edit.end - edit.begin;
    const std::size_t firstNewline = hlsl.find('\n', edit.begin);
    const std::size_t lineRoom = firstNewline == std::string::npos ? room : firstNewline - edit.begin;
    if (replacement.size() <= std::min(room, lineRoom)) {
      hlsl.replace(edit.begin, replacement.size(), replacement);
    } else {
      hlsl.insert(edit.begin, replacement);
      for (Edit& later : m_edits) {
        if (later.begin > edit.begin) {
          later.begin += replacement.size();
          later.end += replacement.size();
        }
      }
    }
  }
  m_source.hlsl = std::move(hlsl);
  return std::move(m_source);
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::optional<EffectSource> parseEffectSource(std::string_view text, std::string* errors) {
  Parser parser(text, tokenize(text));
  return parser.run(errors);
}

}  // namespace gfx
