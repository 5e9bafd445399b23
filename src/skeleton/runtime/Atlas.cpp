#include "skeleton/runtime/Atlas.h"

#include <array>
#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace spine {
namespace {

std::string_view trim(std::string_view s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && (s[begin] == ' ' || s[begin] == '\t' || s[begin] == '\r')) ++begin;
  while (end > begin && (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r')) --end;
  return s.substr(begin, end - begin);
}

struct AtlasError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Walks the atlas line by line. The format relies on line order, not keys, so every read states what it expects
// and fails with the line number when the text runs out or does not fit.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : m_text(text) {}

  bool atEnd() const { return m_pos >= m_text.size(); }
  int lineNumber() const { return m_line; }

  std::string_view next() {
    if (atEnd()) fail("unexpected end of atlas");
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos) end = m_text.size();
    std::string_view line = m_text.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    ++m_line;
    return trim(line);
  }

  std::string_view value() {
    std::string_view line = next();
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) fail("expected 'key: value'");
    return trim(line.substr(colon + 1));
  }

  // Splits the value into at most four comma-separated parts; the part count tells optional lines apart.
  std::vector<std::string_view> tuple() {
    std::string_view v = value();
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (parts.size() < 3) {
      size_t comma = v.find(',', start);
      if (comma == std::string_view::npos) break;
      parts.push_back(trim(v.substr(start, comma - start)));
      start = comma + 1;
    }
    parts.push_back(trim(v.substr(start)));
    return parts;
  }

  int toInt(std::string_view s) const {
    int result = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), result);
    if (ec != std::errc() || ptr != s.data() + s.size()) fail("invalid integer '" + std::string(s) + "'");
    return result;
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw AtlasError("atlas line " + std::to_string(m_line) + ": " + message);
  }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
  int m_line = 0;
};

template <typename Enum, size_t N>
Enum parseName(const LineReader& reader, std::string_view name, const std::array<const char*, N>& names,
               const char* what) {
  for (size_t i = 0; i < N; ++i)
    if (name == names[i]) return static_cast<Enum>(i);
  reader.fail(std::string("unknown ") + what + " '" + std::string(name) + "'");
}

constexpr std::array<const char*, 7> kFormatNames = {"Alpha",    "Intensity", "LuminanceAlpha", "RGB565",
                                                     "RGBA4444", "RGB888",    "RGBA8888"};
constexpr std::array<const char*, 7> kFilterNames = {
    "Nearest",           "Linear", "MipMap", "MipMapNearestNearest", "MipMapLinearNearest", "MipMapNearestLinear",
    "MipMapLinearLinear"};

void expectParts(const LineReader& reader, const std::vector<std::string_view>& parts, size_t count, const char* what) {
  if (parts.size() != count) reader.fail(std::string("expected ") + std::to_string(count) + " values for " + what);
}

}  // namespace

std::unique_ptr<Atlas> Atlas::parse(std::string_view text, std::string_view dir, TextureLoader* loader,
                                    std::string& error) {
  std::unique_ptr<Atlas> atlas(new Atlas());
  try {
    LineReader reader(text);
    AtlasPage* page = nullptr;
    while (!reader.atEnd()) {
      std::string_view line = reader.next();
      if (line.empty()) {
        page = nullptr;
        continue;
      }
      if (!page) {
        auto newPage = std::make_unique<AtlasPage>();
        newPage->name = std::string(line);
        std::vector<std::string_view> tuple = reader.tuple();
        if (tuple.size() == 2) {
          newPage->width = reader.toInt(tuple[0]);
          newPage->height = reader.toInt(tuple[1]);
          tuple = reader.tuple();
        }
        expectParts(reader, tuple, 1, "format");
        newPage->format = parseName<AtlasFormat>(reader, tuple[0], kFormatNames, "format");
        tuple = reader.tuple();
        expectParts(reader, tuple, 2, "filter");
        newPage->minFilter = parseName<AtlasFilter>(reader, tuple[0], kFilterNames, "filter");
        newPage->magFilter = parseName<AtlasFilter>(reader, tuple[1], kFilterNames, "filter");
        std::string_view repeat = reader.value();
        if (repeat == "x") {
          newPage->uWrap = AtlasWrap::Repeat;
        } else if (repeat == "y") {
          newPage->vWrap = AtlasWrap::Repeat;
        } else if (repeat == "xy") {
          newPage->uWrap = newPage->vWrap = AtlasWrap::Repeat;
        }
        page = newPage.get();
        atlas->m_pages.push_back(std::move(newPage));
        continue;
      }

      auto region = std::make_unique<AtlasRegion>();
      region->page = page;
      region->name = std::string(line);
      std::string_view rotate = reader.value();
      if (rotate == "true")
        region->degrees = 90;
      else if (rotate == "false")
        region->degrees = 0;
      else
        region->degrees = reader.toInt(rotate);
      region->rotate = region->degrees == 90;

      std::vector<std::string_view> tuple = reader.tuple();
      expectParts(reader, tuple, 2, "xy");
      region->x = reader.toInt(tuple[0]);
      region->y = reader.toInt(tuple[1]);
      tuple = reader.tuple();
      expectParts(reader, tuple, 2, "size");
      region->width = reader.toInt(tuple[0]);
      region->height = reader.toInt(tuple[1]);
      if (region->width < 0 || region->height < 0) reader.fail("negative region size");

      tuple = reader.tuple();
      if (tuple.size() == 4) {
        for (std::string_view part : tuple) region->splits.push_back(reader.toInt(part));
        tuple = reader.tuple();
        if (tuple.size() == 4) {
          for (std::string_view part : tuple) region->pads.push_back(reader.toInt(part));
          tuple = reader.tuple();
        }
      }
      expectParts(reader, tuple, 2, "orig");
      region->originalWidth = reader.toInt(tuple[0]);
      region->originalHeight = reader.toInt(tuple[1]);
      tuple = reader.tuple();
      expectParts(reader, tuple, 2, "offset");
      region->offsetX = static_cast<float>(reader.toInt(tuple[0]));
      region->offsetY = static_cast<float>(reader.toInt(tuple[1]));
      region->index = reader.toInt(reader.value());
      atlas->m_regions.push_back(std::move(region));
    }
  } catch (const AtlasError& e) {
    error = e.what();
    return nullptr;
  }

  // Textures load only once the whole text is known to be good, so a bad atlas never touches the loader.
  atlas->m_loader = loader;
  if (loader) {
    std::string prefix(dir);
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += '/';
    for (auto& page : atlas->m_pages) loader->load(*page, prefix + page->name);
  }
  for (auto& page : atlas->m_pages) {
    if (page->width <= 0 || page->height <= 0) {
      error = "atlas page '" + page->name + "' has no size";
      return nullptr;
    }
  }
  atlas->computeUVs();
  return atlas;
}

std::unique_ptr<Atlas> Atlas::fromFile(const std::string& path, TextureLoader* loader, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open atlas file " + path;
    return nullptr;
  }
  std::ostringstream text;
  text << file.rdbuf();
  size_t slash = path.find_last_of("/\\");
  std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return parse(text.str(), dir, loader, error);
}

Atlas::~Atlas() {
  if (!m_loader) return;
  for (auto& page : m_pages) {
    if (page->rendererObject) m_loader->unload(page->rendererObject);
    page->rendererObject = nullptr;
  }
}

void Atlas::computeUVs() {
  for (auto& region : m_regions) {
    // In double: a damaged atlas may place a region near the int limit, where x + width would overflow.
    double pageWidth = region->page->width;
    double pageHeight = region->page->height;
    double right = static_cast<double>(region->x) + (region->rotate ? region->height : region->width);
    double bottom = static_cast<double>(region->y) + (region->rotate ? region->width : region->height);
    region->u = static_cast<float>(region->x / pageWidth);
    region->v = static_cast<float>(region->y / pageHeight);
    region->u2 = static_cast<float>(right / pageWidth);
    region->v2 = static_cast<float>(bottom / pageHeight);
  }
}

const AtlasRegion* Atlas::findRegion(std::string_view name) const {
  for (const auto& region : m_regions)
    if (region->name == name) return region.get();
  return nullptr;
}

}  // namespace spine
