#include "engine/private/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace engine {

namespace {

class Converter {
 public:
  Converter(const char* from, const char* to) : m_handle(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) {
      iconv_close(m_handle);
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
  iconv_t handle() const { return m_handle; }

 private:
  iconv_t m_handle;
};

bool isHighSurrogate(std::string_view input, std::size_t at) {
  return at + 1 < input.size() && (static_cast<unsigned char>(input[at + 1]) & 0xFC) == 0xD8;
}

}  // namespace

const char* codePageCharset(unsigned codePage) {
  switch (codePage) {
    case 0:
    case 1:
    case 3:
    case 65001:
      return "UTF-8";
    case 65000:
      return "UTF-7";
    case 932:
      return "CP932";
    case 936:
      return "GBK";
    case 949:
      return "CP949";
    case 950:
      return "BIG5";
    case 54936:
      return "GB18030";
    case 1200:
      return "UTF-16LE";
    case 1201:
      return "UTF-16BE";
    case 20127:
      return "ASCII";
    case 20932:
      return "EUC-JP";
    case 28591:
      return "ISO-8859-1";
    case 437:
      return "CP437";
    case 874:
      return "CP874";
    case 1250:
      return "CP1250";
    case 1251:
      return "CP1251";
    case 1252:
      return "CP1252";
    case 1253:
      return "CP1253";
    case 1254:
      return "CP1254";
    case 1255:
      return "CP1255";
    case 1256:
      return "CP1256";
    case 1257:
      return "CP1257";
    case 1258:
      return "CP1258";
    default:
      return nullptr;
  }
}

std::optional<Transcoded> transcode(std::string_view input, const char* from, const char* to,
                                    std::string_view replacement, std::size_t unitBytes) {
  Converter converter(from, to);
  if (!converter.valid()) {
    return std::nullopt;
  }
  Transcoded result;
  std::string buffer(256, '\0');
  std::size_t at = 0;
  while (at < input.size()) {
    char* in = const_cast<char*>(input.data() + at);
    std::size_t inLeft = input.size() - at;
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t status = iconv(converter.handle(), &in, &inLeft, &out, &outLeft);
    const int error = errno;
    result.bytes.append(buffer.data(), buffer.size() - outLeft);
    at = input.size() - inLeft;
    if (status != static_cast<std::size_t>(-1) || error == E2BIG) {
      continue;
    }
    // EILSEQ or EINVAL (cut short at the end): one unit, or one surrogate pair, has no place in the target.
    result.bytes += replacement;
    result.replaced = true;
    const std::size_t skip = unitBytes == 2 && isHighSurrogate(input, at) && at + 3 < input.size() ? 4 : unitBytes;
    at = std::min(input.size(), at + skip);
    iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
  }
  // Flush a stateful encoding's closing sequence.
  char* out = buffer.data();
  std::size_t outLeft = buffer.size();
  iconv(converter.handle(), nullptr, nullptr, &out, &outLeft);
  result.bytes.append(buffer.data(), buffer.size() - outLeft);
  return result;
}

}  // namespace engine
