#include "platform/gfx/private/ShaderDiskCache.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace gfx::detail {
namespace {

constexpr std::string_view kHeader = "quillon shader cache 1\n";
constexpr std::string_view kProgramHeader = "quillon program cache 1\n";
// Far above any translation or program binary; a bigger file is not one of ours.
constexpr std::uintmax_t kMaxFileBytes = 4u << 20;

std::uint64_t fnv1a(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

void putBlock(std::string& out, std::string_view label, std::string_view bytes) {
  out.append(std::to_string(bytes.size())).append(" ").append(label).append("\n");
  out.append(bytes).append("\n");
}

std::optional<unsigned> number(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Takes back, in order, what the writer below put; anything else ends the reading.
class Reader {
 public:
  explicit Reader(std::string_view text) : m_text(text) {}

  bool literal(std::string_view expected) {
    if (m_text.substr(0, expected.size()) != expected) return false;
    m_text.remove_prefix(expected.size());
    return true;
  }

  // The words of the next line, at most `count`: the last one takes the rest of the line.
  std::optional<std::vector<std::string_view>> line(std::size_t count) {
    const std::size_t end = m_text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view rest = m_text.substr(0, end);
    m_text.remove_prefix(end + 1);
    std::vector<std::string_view> words;
    std::size_t space = 0;
    while (words.size() + 1 < count && (space = rest.find(' ')) != std::string_view::npos) {
      words.push_back(rest.substr(0, space));
      rest.remove_prefix(space + 1);
    }
    words.push_back(rest);
    return words;
  }

  std::optional<std::string_view> block(std::string_view label) {
    const auto header = line(2);
    if (!header || header->size() != 2 || (*header)[1] != label) return std::nullopt;
    const std::optional<unsigned> size = number((*header)[0]);
    if (!size || *size >= m_text.size() || m_text[*size] != '\n') return std::nullopt;
    const std::string_view bytes = m_text.substr(0, *size);
    m_text.remove_prefix(*size + 1);
    return bytes;
  }

  bool done() const { return m_text.empty(); }

 private:
  std::string_view m_text;
};

std::optional<CompiledPixelShader> parse(std::string_view text, const std::string& key) {
  Reader reader(text);
  if (!reader.literal(kHeader)) return std::nullopt;
  const auto storedKey = reader.block("key");
  if (!storedKey || *storedKey != key) return std::nullopt;
  const auto vertex = reader.block("vertex");
  const auto fragment = reader.block("fragment");
  if (!vertex || !fragment) return std::nullopt;
  CompiledPixelShader shader;
  shader.vertexSource = *vertex;
  shader.fragmentSource = *fragment;
  const auto outputs = reader.line(2);
  if (!outputs || outputs->size() != 2 || (*outputs)[0] != "outputs" || !number((*outputs)[1])) return std::nullopt;
  shader.colourOutputs = *number((*outputs)[1]);
  for (;;) {
    const auto words = reader.line(4);
    if (!words) return std::nullopt;
    if ((*words)[0] == "end" && words->size() == 1) break;
    if (words->size() != 4) return std::nullopt;
    if ((*words)[0] == "uniform") {
      const auto kind = number((*words)[1]), components = number((*words)[2]);
      if (!kind || *kind > static_cast<unsigned>(UniformKind::Other) || !components) return std::nullopt;
      shader.uniforms.push_back({std::string((*words)[3]), static_cast<UniformKind>(*kind), *components});
    } else if ((*words)[0] == "sampler") {
      const auto unit = number((*words)[1]);
      if (!unit) return std::nullopt;
      shader.samplers.push_back({std::string((*words)[3]), static_cast<int>(*unit)});
    } else {
      return std::nullopt;
    }
  }
  return reader.done() ? std::optional<CompiledPixelShader>(std::move(shader)) : std::nullopt;
}

// The folder `leaf` of $XDG_CACHE_HOME/quillon, else of ~/.cache/quillon; empty when neither can be found.
std::string cacheFolder(const char* leaf) {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/quillon/" + leaf;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/quillon/" + leaf;
  return {};
}

std::string cachePath(const std::string& folder, const std::string& key, const char* extension) {
  char name[40];
  std::snprintf(name, sizeof(name), "/%016llx.%s", static_cast<unsigned long long>(fnv1a(key)), extension);
  return folder + name;
}

std::optional<std::string> readCacheFile(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileBytes) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeCacheFile(const std::string& folder, const std::string& path, const std::string& text) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  // A name no other process or thread writes to at the same time.
  static std::atomic<unsigned> s_writes{0};
  const std::string temporary = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(s_writes++);
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) {
      std::filesystem::remove(temporary, error);
      return;
    }
  }
  std::filesystem::rename(temporary, path, error);
  if (error) std::filesystem::remove(temporary, error);
}

}  // namespace

std::string shaderCacheFolder() { return cacheFolder("effects"); }

std::string shaderCachePath(const std::string& folder, const std::string& key) {
  return cachePath(folder, key, "glsl");
}

std::optional<CompiledPixelShader> loadCachedShader(const std::string& folder, const std::string& key) {
  const std::optional<std::string> text = readCacheFile(shaderCachePath(folder, key));
  return text ? parse(*text, key) : std::nullopt;
}

void storeCachedShader(const std::string& folder, const std::string& key, const CompiledPixelShader& shader) {
  std::string text(kHeader);
  putBlock(text, "key", key);
  putBlock(text, "vertex", shader.vertexSource);
  putBlock(text, "fragment", shader.fragmentSource);
  text += "outputs " + std::to_string(shader.colourOutputs) + "\n";
  for (const UniformMember& uniform : shader.uniforms) {
    text += "uniform " + std::to_string(static_cast<unsigned>(uniform.kind)) + " " +
            std::to_string(uniform.components) + " " + uniform.name + "\n";
  }
  for (const SamplerBinding& sampler : shader.samplers) {
    text += "sampler " + std::to_string(sampler.unit) + " - " + sampler.name + "\n";
  }
  text += "end\n";
  writeCacheFile(folder, shaderCachePath(folder, key), text);
}

std::string programCacheFolder() { return cacheFolder("programs"); }

std::optional<ProgramBinary> loadCachedProgram(const std::string& folder, const std::string& key) {
  const std::optional<std::string> text = readCacheFile(cachePath(folder, key, "bin"));
  if (!text) return std::nullopt;
  Reader reader(*text);
  if (!reader.literal(kProgramHeader)) return std::nullopt;
  const auto storedKey = reader.block("key");
  if (!storedKey || *storedKey != key) return std::nullopt;
  const auto format = reader.line(2);
  if (!format || format->size() != 2 || (*format)[0] != "format" || !number((*format)[1])) return std::nullopt;
  const auto bytes = reader.block("binary");
  if (!bytes || !reader.done()) return std::nullopt;
  return ProgramBinary{*number((*format)[1]), std::string(*bytes)};
}

bool cachedProgramExists(const std::string& folder, const std::string& key) {
  std::error_code error;
  return std::filesystem::is_regular_file(cachePath(folder, key, "bin"), error);
}

void storeCachedProgram(const std::string& folder, const std::string& key, const ProgramBinary& program) {
  std::string text(kProgramHeader);
  putBlock(text, "key", key);
  text += "format " + std::to_string(program.format) + "\n";
  putBlock(text, "binary", program.bytes);
  writeCacheFile(folder, cachePath(folder, key, "bin"), text);
}

}  // namespace gfx::detail
