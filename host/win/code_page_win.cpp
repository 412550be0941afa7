// The code pages of CodePage through the Win32 conversion functions. They
// know code pages by number; the names are iconv's, as on POSIX systems, so
// that --encoding and .tamvo.toml say the same on both.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page_converter.h"

namespace tamvo {

namespace {

// iconv's names of the code pages modules come in. Beside these, "CPn",
// "WINDOWS-n" and "IBMn" name code page n, as in iconv.
constexpr struct {
  const char* name;
  UINT codePage;
} kNamedCodePages[] = {
    {"UTF-8", CP_UTF8},    {"UTF8", CP_UTF8},     {"SHIFT_JIS", 932},     {"SHIFT-JIS", 932},
    {"SJIS", 932},         {"MS_KANJI", 932},     {"CSSHIFTJIS", 932},    {"WINDOWS-31J", 932},
    {"MS932", 932},        {"EUC-JP", 20932},     {"EUCJP", 20932},       {"ASCII", 20127},
    {"US-ASCII", 20127},   {"LATIN1", 28591},     {"ISO-8859-1", 28591},  {"ISO-8859-2", 28592},
    {"ISO-8859-5", 28595}, {"ISO-8859-7", 28597}, {"ISO-8859-15", 28605}, {"GBK", 936},
    {"GB2312", 936},       {"BIG5", 950},         {"EUC-KR", 51949},      {"KOI8-R", 20866},
    {"UTF-16", 1200},      {"UTF-16LE", 1200},    {"UTF-16BE", 1201},     {"UTF-7", 65000},
    {"UTF7", 65000},
};

// UTF-16 is no code page the conversion functions take: its two byte
// orders are converted here.
constexpr UINT kUtf16LE = 1200, kUtf16BE = 1201;

std::optional<UINT> CodePageOfName(const std::string& encoding) {
  std::string name = encoding;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::optional<UINT> codePage;
  for (const auto& named : kNamedCodePages) {
    if (name == named.name) codePage = named.codePage;
  }
  for (const std::string_view prefix : {"CP", "WINDOWS-", "IBM"}) {
    if (codePage || !name.starts_with(prefix) || name.size() == prefix.size()) continue;
    UINT number = 0;
    const char* end = name.data() + name.size();
    const auto [at, error] = std::from_chars(name.data() + prefix.size(), end, number);
    if (error == std::errc() && at == end) codePage = number;
  }
  if (codePage && *codePage != kUtf16LE && *codePage != kUtf16BE && !IsValidCodePage(*codePage)) {
    return std::nullopt;
  }
  return codePage;
}

// The Win32 functions count in int.
int Length(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw Failure(u"more than 2 GB of text to convert at once");
  return static_cast<int>(size);
}

// UTF-16 in either byte order to UTF-16LE and back: only whole units.
class Utf16Converter final : public EncodingConverter {
 public:
  explicit Utf16Converter(bool bigEndian) : bigEndian_(bigEndian) {}

  std::optional<std::size_t> Convert(std::string_view input, std::string& output) override {
    output.assign(input.substr(0, input.size() & ~std::size_t{1}));
    if (bigEndian_) {
      for (std::size_t i = 0; i + 1 < output.size(); i += 2) std::swap(output[i], output[i + 1]);
    }
    if (input.size() % 2 != 0) return input.size() - 1;
    return std::nullopt;
  }
  bool Accepts(std::string_view input) override { return input.size() % 2 == 0; }

 private:
  bool bigEndian_;
};

class Win32Converter final : public EncodingConverter {
 public:
  Win32Converter(UINT codePage, Direction direction) : codePage_(codePage), direction_(direction) {}

  std::optional<std::size_t> Convert(std::string_view input, std::string& output) override {
    output.clear();
    if (input.empty()) return std::nullopt;
    if (direction_ == Direction::ToUtf16) {
      const int units = ToUtf16(input, nullptr, 0);
      if (units == 0) return FirstUnconverted(input, 1);
      output.resize(static_cast<std::size_t>(units) * 2);
      std::wstring wide(static_cast<std::size_t>(units), L'\0');
      ToUtf16(input, wide.data(), units);
      std::memcpy(output.data(), wide.data(), output.size());
      return std::nullopt;
    }
    const std::wstring wide = Wide(input);
    const int size = FromUtf16(wide, nullptr, 0);
    if (size == 0) return FirstUnconverted(input, 2);
    output.resize(static_cast<std::size_t>(size));
    FromUtf16(wide, output.data(), size);
    return std::nullopt;
  }

  bool Accepts(std::string_view input) override {
    if (input.empty()) return true;
    return direction_ == Direction::ToUtf16 ? ToUtf16(input, nullptr, 0) != 0
                                            : FromUtf16(Wide(input), nullptr, 0) != 0;
  }

 private:
  static std::wstring Wide(std::string_view utf16) {
    std::wstring wide(utf16.size() / 2, L'\0');
    std::memcpy(wide.data(), utf16.data(), wide.size() * 2);
    return wide;
  }

  // MultiByteToWideChar; 0 when some of the bytes are not valid.
  int ToUtf16(std::string_view bytes, wchar_t* out, int size) const {
    if (codePage_ == 932 && HoldsUndefinedSingleByte(bytes)) return 0;
    // UTF-7 takes no flags.
    const DWORD flags = codePage_ == CP_UTF7 ? 0 : MB_ERR_INVALID_CHARS;
    const int units = MultiByteToWideChar(codePage_, flags, bytes.data(), Length(bytes.size()), out, size);
    if (units == 0 || !ReadsUndefinedAsControls()) return units;
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage_, 0, bytes.data(), Length(bytes.size()), text.data(), units);
    const bool control =
        std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x80 && c <= 0x9F; });
    return control ? 0 : units;
  }

  // The Windows code pages 874 and 1250 to 1258 read each byte they leave
  // undefined in 80 to 9F as the C1 control of its value; iconv's refuse
  // them, and so does tamvo on every system. (In ISO 8859, 80 to 9F are
  // those controls indeed.)
  bool ReadsUndefinedAsControls() const {
    return codePage_ == 874 || (codePage_ >= 1250 && codePage_ <= 1258);
  }

  // Windows reads 80, A0 and FD to FF alone as U+0080 and private-use
  // characters in code page 932; iconv's CP932 leaves them undefined, as
  // Shift_JIS does, and so does tamvo on every system.
  static bool HoldsUndefinedSingleByte(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (IsDBCSLeadByteEx(932, byte)) {
        ++i;  // its trail byte may be 80 or A0
      } else if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD) {
        return true;
      }
    }
    return false;
  }

  // WideCharToMultiByte; 0 when a character has no form in the code page.
  // Best-fit mapping would quietly write a look-alike (U+00A5 as a
  // backslash); UTF-8 and UTF-7 take neither that flag nor the default
  // character, and UTF-7 no flag at all.
  int FromUtf16(std::wstring_view text, char* out, int size) const {
    const int length = Length(text.size());
    if (codePage_ == CP_UTF8 || codePage_ == CP_UTF7) {
      return WideCharToMultiByte(codePage_, codePage_ == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0, text.data(),
                                 length, out, size, nullptr, nullptr);
    }
    BOOL usedDefault = FALSE;
    const int result = WideCharToMultiByte(codePage_, WC_NO_BEST_FIT_CHARS, text.data(), length, out, size,
                                           nullptr, &usedDefault);
    return usedDefault ? 0 : result;
  }

  // Where the first character lies that doesn't convert, as iconv tells it:
  // the functions only say that something didn't. Each character is tried
  // alone, one unit to four long; only a failed conversion pays for this.
  std::optional<std::size_t> FirstUnconverted(std::string_view input, std::size_t unit) const {
    std::size_t at = 0;
    while (at < input.size()) {
      std::size_t length = unit;
      for (; length <= 4 * unit && at + length <= input.size(); length += unit) {
        const std::string_view character = input.substr(at, length);
        const bool converts = direction_ == Direction::ToUtf16 ? ToUtf16(character, nullptr, 0) != 0
                                                               : FromUtf16(Wide(character), nullptr, 0) != 0;
        if (converts) break;
      }
      if (length > 4 * unit || at + length > input.size()) break;
      at += length;
    }
    return at;
  }

  UINT codePage_;
  Direction direction_;
};

}  // namespace

std::unique_ptr<EncodingConverter> OpenEncodingConverter(const std::string& encoding,
                                                         EncodingConverter::Direction direction) {
  const auto codePage = CodePageOfName(encoding);
  if (!codePage) throw Failure(u"unknown encoding: " + FromUtf8(encoding));
  if (*codePage == kUtf16LE || *codePage == kUtf16BE)
    return std::make_unique<Utf16Converter>(*codePage == kUtf16BE);
  return std::make_unique<Win32Converter>(*codePage, direction);
}

}  // namespace tamvo
