#include "platform/text/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "platform/text/private/FontLibrary.h"

namespace text {
namespace {

// The shear of synthesised italics: about 12 degrees, as FreeType and the Windows mapper lean.
constexpr FT_Fixed kObliqueShear = 0x0366A;

struct SizedFace {
  FT_Face face = nullptr;
  FT_Size size = nullptr;
  bool embolden = false;
  bool oblique = false;
  int ascent = 0;
  int height = 0;
  FT_Pos emboldenStrength = 0;  // 26.6
};

// Scales `face` so that its Windows cell (usWinAscent + usWinDescent) is `cellHeight` pixels; faces without those
// values use their ascender and descender. Bitmap-only faces take the strike nearest in height.
bool sizeFace(SizedFace& sized, int cellHeight) {
  FT_Face face = sized.face;
  if (FT_New_Size(face, &sized.size) != 0) {
    sized.size = nullptr;
    return false;
  }
  FT_Activate_Size(sized.size);
  if (FT_IS_SCALABLE(face)) {
    long ascentUnits = face->ascender;
    long descentUnits = -face->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      ascentUnits = os2->usWinAscent;
      descentUnits = os2->usWinDescent;
    }
    long cellUnits = ascentUnits + descentUnits;
    if (cellUnits <= 0) {
      ascentUnits = face->units_per_EM;
      descentUnits = 0;
      cellUnits = face->units_per_EM;
    }
    const long emHeight = std::lround(64.0 * cellHeight * face->units_per_EM / static_cast<double>(cellUnits));
    if (FT_Set_Char_Size(face, 0, std::max(emHeight, 1L), 72, 72) != 0) return false;
    sized.ascent = static_cast<int>(std::lround(static_cast<double>(cellHeight) * ascentUnits / cellUnits));
    sized.height =
        sized.ascent + static_cast<int>(std::lround(static_cast<double>(cellHeight) * descentUnits / cellUnits));
    sized.emboldenStrength = std::max<FT_Pos>(64, emHeight / 24);
    return true;
  }
  if (face->num_fixed_sizes <= 0) return false;
  int best = 0;
  for (int i = 1; i < face->num_fixed_sizes; ++i) {
    if (std::abs(face->available_sizes[i].height - cellHeight) <
        std::abs(face->available_sizes[best].height - cellHeight)) {
      best = i;
    }
  }
  if (FT_Select_Size(face, best) != 0) return false;
  sized.ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  sized.height = sized.ascent + static_cast<int>((-face->size->metrics.descender + 63) >> 6);
  sized.emboldenStrength = 64;
  return true;
}

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// Copies a rendered FreeType bitmap into the Windows glyph-buffer layout of `format`.
void convertBitmap(const FT_Bitmap& source, GlyphFormat format, Glyph& glyph) {
  const int width = static_cast<int>(source.width);
  const int rows = static_cast<int>(source.rows);
  glyph.pitch = format == GlyphFormat::Gray ? (width + 3) & ~3 : (width + 31) / 32 * 4;
  glyph.bits.assign(static_cast<std::size_t>(glyph.pitch) * rows, 0);
  const bool sourceMono = source.pixel_mode == FT_PIXEL_MODE_MONO;
  const int grays = source.num_grays > 1 ? source.num_grays - 1 : 255;
  for (int y = 0; y < rows; ++y) {
    const unsigned char* in = source.buffer + static_cast<std::ptrdiff_t>(y) * source.pitch;
    std::uint8_t* out = glyph.bits.data() + static_cast<std::size_t>(y) * glyph.pitch;
    for (int x = 0; x < width; ++x) {
      int level = 0;  // 0..64
      if (sourceMono) {
        level = (in[x >> 3] & (0x80 >> (x & 7))) ? 64 : 0;
      } else {
        // Windows grey glyphs have 65 levels; 8-bit coverage maps down with truncation.
        level = in[x] * 64 / grays;
      }
      if (format == GlyphFormat::Gray) {
        out[x] = static_cast<std::uint8_t>(level);
      } else if (level >= 32) {
        out[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
      }
    }
  }
  glyph.metrics.blackBoxX = width;
  glyph.metrics.blackBoxY = rows;
  glyph.metrics.bufferSize = glyph.bits.size();
}

}  // namespace

struct FontFace::Impl {
  std::shared_ptr<detail::FontLibrary> library;  // declared first: outlives the sizes below
  FaceRequest request;
  std::string family;
  std::string file;
  int index = 0;
  SizedFace primary;
  std::vector<SizedFace> fallbacks;
  std::unordered_map<char32_t, int> fallbackByCodePoint;  // index into fallbacks, -1: none
  std::unordered_map<std::string, int> fallbackByFile;

  ~Impl() {
    if (primary.size) FT_Done_Size(primary.size);
    for (SizedFace& face : fallbacks) FT_Done_Size(face.size);
  }

  bool openSized(const detail::FaceMatch& match, SizedFace& sized) {
    sized.face = library->face(match.file, match.index);
    if (!sized.face) return false;
    // As the Windows mapper does: a bold request on a face lighter than semibold is emboldened, an italic
    // request on an upright face is slanted.
    int weight = (sized.face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(sized.face, FT_SFNT_OS2));
        os2 && os2->version != 0xFFFF && os2->usWeightClass > 0) {
      weight = os2->usWeightClass;
    }
    sized.embolden = request.bold && weight < 600;
    sized.oblique = request.italic && !(sized.face->style_flags & FT_STYLE_FLAG_ITALIC);
    if (!sizeFace(sized, request.size)) {
      if (sized.size) FT_Done_Size(sized.size);
      sized.size = nullptr;
      return false;
    }
    return true;
  }

  SizedFace& faceFor(char32_t c) {
    if (isControl(c) || FT_Get_Char_Index(primary.face, c) != 0) return primary;
    auto found = fallbackByCodePoint.find(c);
    if (found == fallbackByCodePoint.end()) {
      int index = -1;
      if (const auto match = library->matchCharacter(c, request.bold, request.italic)) {
        const std::string key = match->file + '#' + std::to_string(match->index);
        if (const auto known = fallbackByFile.find(key); known != fallbackByFile.end()) {
          index = known->second;
        } else {
          SizedFace sized;
          if (openSized(*match, sized) && FT_Get_Char_Index(sized.face, c) != 0) {
            fallbacks.push_back(sized);
            index = static_cast<int>(fallbacks.size()) - 1;
            fallbackByFile.emplace(key, index);
          } else if (sized.size) {
            FT_Done_Size(sized.size);
          }
        }
      }
      found = fallbackByCodePoint.emplace(c, index).first;
    }
    // A character no face has is drawn as the primary face's missing-glyph box, as Windows does.
    return found->second >= 0 ? fallbacks[static_cast<std::size_t>(found->second)] : primary;
  }
};

std::unique_ptr<FontFace> FontFace::open(const FaceRequest& request) {
  auto impl = std::make_unique<Impl>();
  impl->library = detail::FontLibrary::instance();
  if (!impl->library) return nullptr;
  impl->request = request;
  impl->request.size = std::max(request.size, 1);
  const auto match = impl->library->match(request.family, request.bold, request.italic);
  if (!match || !impl->openSized(*match, impl->primary)) return nullptr;
  impl->family = match->family;
  impl->file = match->file;
  impl->index = match->index;
  return std::unique_ptr<FontFace>(new FontFace(std::move(impl)));
}

FontFace::FontFace(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FontFace::~FontFace() = default;

int FontFace::ascent() const { return m_impl->primary.ascent; }
int FontFace::height() const { return m_impl->primary.height; }
const std::string& FontFace::familyName() const { return m_impl->family; }
const std::string& FontFace::fileName() const { return m_impl->file; }
int FontFace::faceIndex() const { return m_impl->index; }

bool FontFace::hasGlyph(char32_t codePoint) const {
  return FT_Get_Char_Index(m_impl->primary.face, codePoint) != 0;
}

bool FontFace::loadGlyph(char32_t codePoint, GlyphFormat format, std::int32_t scaleX, bool withBits,
                         Glyph& glyph) {
  glyph = Glyph{};
  SizedFace& sized = m_impl->faceFor(codePoint);
  FT_Face face = sized.face;
  FT_Activate_Size(sized.size);

  FT_Matrix matrix;
  matrix.xx = scaleX;
  matrix.xy = sized.oblique ? FT_MulFix(scaleX, kObliqueShear) : 0;
  matrix.yx = 0;
  matrix.yy = 0x10000;
  FT_Set_Transform(face, &matrix, nullptr);

  const bool mono = format == GlyphFormat::Mono;
  FT_Int32 flags = mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
  // Outlines, not embedded strikes, so that the squeeze and synthesised styles apply to every size alike.
  if (FT_IS_SCALABLE(face)) flags |= FT_LOAD_NO_BITMAP;
  const FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (FT_Load_Glyph(face, index, flags) != 0) {
    FT_Set_Transform(face, nullptr, nullptr);
    return false;
  }
  FT_Set_Transform(face, nullptr, nullptr);
  FT_GlyphSlot slot = face->glyph;
  FT_Pos advance = slot->advance.x;
  if (sized.embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    const FT_Pos strength = FT_MulFix(sized.emboldenStrength, scaleX);
    FT_Outline_EmboldenXY(&slot->outline, strength, 0);
    advance += strength;
  }
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
    return false;
  }
  glyph.metrics.originX = slot->bitmap_left;
  glyph.metrics.originY = slot->bitmap_top;
  glyph.metrics.cellIncX = static_cast<int>((advance + 32) >> 6);
  if (slot->bitmap.width == 0 || slot->bitmap.rows == 0) return true;  // blank: 1 × 1 box, no buffer
  // Colour (emoji) and sub-pixel bitmaps have no Windows glyph-buffer form; such glyphs are skipped.
  if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  if (withBits) {
    convertBitmap(slot->bitmap, format, glyph);
  } else {
    const int width = static_cast<int>(slot->bitmap.width);
    const int rows = static_cast<int>(slot->bitmap.rows);
    const int pitch = format == GlyphFormat::Gray ? (width + 3) & ~3 : (width + 31) / 32 * 4;
    glyph.metrics.blackBoxX = width;
    glyph.metrics.blackBoxY = rows;
    glyph.metrics.bufferSize = static_cast<std::size_t>(pitch) * rows;
    glyph.pitch = pitch;
  }
  return true;
}

}  // namespace text
