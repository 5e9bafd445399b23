#include "engine/LegacyCodePage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>

#include "engine/Utf.h"
#include "engine/private/CodePage.h"

namespace engine {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// `bytes` in the iconv character set `charset` as UTF-8, each byte it cannot read as U+FFFD; nullopt when iconv does
// not know the character set.
std::optional<std::string> toUtf8(std::string_view bytes, const char* charset) {
  std::optional<Transcoded> text = transcode(bytes, charset, "UTF-8", kReplacement, 1);
  return text ? std::optional<std::string>(std::move(text->bytes)) : std::nullopt;
}

bool within(unsigned char value, unsigned char low, unsigned char high) { return value >= low && value <= high; }

// One double-byte code page as the guess reads it: which bytes lead and trail a character, and the weight of each
// non-ASCII character (nullopt for a lone byte the code page has no character for).
struct Reading {
  bool (*isLead)(unsigned char lead);
  bool (*isTrail)(unsigned char trail);
  std::optional<double> (*single)(unsigned char byte);
  double (*pair)(unsigned char lead, unsigned char trail);
};

// How much the bytes read in a code page look like text of its language: the sum of the characters' weights, high
// for what that language's text is made of, negative for what it hardly ever holds. Nullopt when the bytes are not
// valid in the code page.
std::optional<double> score(std::string_view bytes, const Reading& reading) {
  double total = 0;
  for (size_t i = 0; i < bytes.size();) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (reading.isLead(lead)) {
      if (i + 1 >= bytes.size() || !reading.isTrail(static_cast<unsigned char>(bytes[i + 1]))) {
        return std::nullopt;
      }
      total += reading.pair(lead, static_cast<unsigned char>(bytes[i + 1]));
      i += 2;
      continue;
    }
    std::optional<double> weight = reading.single(lead);
    if (!weight) {
      return std::nullopt;
    }
    total += *weight;
    ++i;
  }
  return total;
}

// Shift-JIS: kana are the surest sign of Japanese; first-level kanji are the common ones.
const Reading kShiftJis = {
    [](unsigned char lead) { return within(lead, 0x81, 0x9F) || within(lead, 0xE0, 0xFC); },
    [](unsigned char trail) { return within(trail, 0x40, 0x7E) || within(trail, 0x80, 0xFC); },
    [](unsigned char byte) -> std::optional<double> {
      // Half-width katakana: rare in titles, and what Chinese or Korean bytes mostly turn into here.
      return within(byte, 0xA1, 0xDF) ? std::optional<double>(-0.5) : std::nullopt;
    },
    [](unsigned char lead, unsigned char trail) {
      const unsigned code = lead << 8 | trail;
      if (within(lead, 0x82, 0x82)) return code >= 0x829F && code <= 0x82F1 ? 1.5 : 0.5;  // hiragana
      if (within(lead, 0x83, 0x83)) return code >= 0x8340 && code <= 0x8396 ? 1.5 : 0.3;  // katakana
      if (lead == 0x81) return 0.5;                                                       // punctuation
      if (within(lead, 0x88, 0x98)) return 1.0;
      if (within(lead, 0x99, 0x9F) || within(lead, 0xE0, 0xEA)) return 0.3;
      if (within(lead, 0xF0, 0xF9)) return -1.0;  // user-defined
      return 0.0;
    },
};

// GBK: the first level of GB 2312 holds the common hanzi; GBK's additions are rare ones.
const Reading kGbk = {
    [](unsigned char lead) { return within(lead, 0x81, 0xFE); },
    [](unsigned char trail) { return within(trail, 0x40, 0x7E) || within(trail, 0x80, 0xFE); },
    [](unsigned char byte) -> std::optional<double> {
      return byte == 0x80 ? std::optional<double>(-1.0) : std::nullopt;
    },
    [](unsigned char lead, unsigned char trail) {
      if (trail < 0xA1) return -0.5;
      if (lead == 0xA1 || lead == 0xA3) return 0.5;  // punctuation, full-width letters
      if (within(lead, 0xA2, 0xA9)) return 0.3;
      if (within(lead, 0xB0, 0xD7)) return 1.0;
      if (within(lead, 0xD8, 0xF7)) return 0.3;
      return -0.5;
    },
};

// The Hangul syllables that make up most Korean text. Chinese bytes read as Korean give Hangul too, but seldom these.
const std::set<unsigned>& commonHangul() {
  static const std::set<unsigned> codes = [] {
    const std::string syllables =
        "이다는의에가을고하지기리서로사도한자대어나수정시아보스인전주일게해를으제요만상드라우부구장들조과국면무성화소"
        "위신동러트와오세관비연문원경진마여용미니있식없실학생했물개공적회계방행습선것합내데까설유치명모분히후된거금"
        "때중르그날영심왕검투험빛꿈별늘숲녀법둠랑야쟁간친을년운";
    std::set<unsigned> result;
    const std::string out = transcode(syllables, "UTF-8", "CP949", "", 1).value_or(Transcoded{}).bytes;
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
      result.insert(static_cast<unsigned char>(out[i]) << 8 | static_cast<unsigned char>(out[i + 1]));
    }
    return result;
  }();
  return codes;
}

// UHC: KS X 1001 Hangul, weighed by how common the syllable is; hanja are rare in modern Korean text.
const Reading kUhc = {
    [](unsigned char lead) { return within(lead, 0x81, 0xFE); },
    [](unsigned char trail) {
      return within(trail, 0x41, 0x5A) || within(trail, 0x61, 0x7A) || within(trail, 0x81, 0xFE);
    },
    [](unsigned char) -> std::optional<double> { return std::nullopt; },
    [](unsigned char lead, unsigned char trail) {
      if (trail < 0xA1) return within(lead, 0x81, 0xC6) ? 0.0 : -1.0;  // the extended Hangul of UHC
      if (within(lead, 0xB0, 0xC8)) return commonHangul().count(lead << 8 | trail) != 0 ? 1.5 : 0.5;
      if (lead == 0xA1) return 0.5;
      if (within(lead, 0xA2, 0xAC)) return 0.3;
      if (within(lead, 0xCA, 0xFD)) return -0.5;
      return -1.0;
    },
};

// The user's choice: the iconv character set of a Windows code page number, or an encoding name iconv knows; empty
// for none.
std::string chosenCharset() {
  const char* chosen = std::getenv("QUILLON_CODEPAGE");
  if (chosen == nullptr || *chosen == '\0') {
    return {};
  }
  std::string_view text = chosen;
  if (text.size() <= 5 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const char* charset = codePageCharset(static_cast<unsigned>(std::atoi(chosen)));
    return charset != nullptr ? charset : "CP" + std::string(text);
  }
  return std::string(text);
}

}  // namespace

int guessCodePage(std::string_view bytes) {
  int best = kCodePageGbk;
  std::optional<double> bestScore;
  for (auto [codePage, reading] :
       {std::pair{kCodePageGbk, &kGbk}, std::pair{kCodePageShiftJis, &kShiftJis}, std::pair{kCodePageUhc, &kUhc}}) {
    std::optional<double> result = score(bytes, *reading);
    if (result && (!bestScore || *result > *bestScore)) {
      best = codePage;
      bestScore = result;
    }
  }
  // Bytes none of the three can read are most likely Western European text.
  return bestScore ? best : kCodePageWestern;
}

std::string decodeProfileText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
    return toUtf8(bytes.substr(2), "UTF-16LE").value_or(std::string());
  }
  if (isValidUtf8(bytes)) {
    return std::string(bytes);
  }
  std::string chosen = chosenCharset();
  if (!chosen.empty()) {
    if (std::optional<std::string> text = toUtf8(bytes, chosen.c_str())) {
      return *text;
    }
    std::fprintf(stderr, "[engine] QUILLON_CODEPAGE=%s names no encoding this system converts; guessing\n",
                 chosen.c_str());
  }
  return toUtf8(bytes, codePageCharset(static_cast<unsigned>(guessCodePage(bytes)))).value_or(std::string());
}

}  // namespace engine
