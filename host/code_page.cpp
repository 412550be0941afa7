#include "host/code_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page_converter.h"

namespace tamvo {

namespace {

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }
bool IsAscii(char16_t c) { return c < 0x80; }
bool IsLeadSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsTrailSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::string ToHex(char32_t cp) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(cp));
  return hex;
}

std::u16string Number(std::size_t n) { return FromUtf8(std::to_string(n)); }

std::u16string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::u16string hex;
  for (const char c : bytes) {
    if (!hex.empty()) hex += u' ';
    hex += static_cast<char16_t>(kDigits[static_cast<unsigned char>(c) >> 4]);
    hex += static_cast<char16_t>(kDigits[static_cast<unsigned char>(c) & 0xF]);
  }
  return hex;
}

// ED A0 80 to ED BF BF: a UTF-16 surrogate written as if it were a character.
bool IsEncodedSurrogate(std::string_view bytes) {
  return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xED &&
         (static_cast<unsigned char>(bytes[1]) & 0xE0) == 0xA0 &&
         (static_cast<unsigned char>(bytes[2]) & 0xC0) == 0x80;
}

}  // namespace

CodePage::CodePage(std::string encoding)
    : encoding_(std::move(encoding)),
      decoder_(OpenEncodingConverter(encoding_, EncodingConverter::Direction::ToUtf16)) {
  std::string ascii(0x80, '\0');
  for (std::size_t c = 0; c < ascii.size(); ++c) ascii[c] = static_cast<char>(c);
  std::string utf16;
  asciiIsItself_ = !decoder_->Convert(ascii, utf16) && utf16.size() == 2 * ascii.size();
  for (std::size_t c = 0; asciiIsItself_ && c < ascii.size(); ++c) {
    asciiIsItself_ = utf16[2 * c] == ascii[c] && utf16[2 * c + 1] == '\0';
  }
}

CodePage::~CodePage() = default;

std::u16string CodePage::Decode(std::string_view bytes) {
  if (asciiIsItself_ && std::all_of(bytes.begin(), bytes.end(), [](char c) { return IsAscii(c); })) {
    return std::u16string(bytes.begin(), bytes.end());
  }
  std::string utf16;
  if (const auto bad = decoder_->Convert(bytes, utf16)) {
    const std::string_view rest = bytes.substr(*bad);
    if (IsEncodedSurrogate(rest)) {
      throw Failure(u"the bytes " + Hex(rest.substr(0, 3)) + u" at column " + Number(*bad + 1) +
                    u" are a UTF-16 surrogate written as UTF-8, which UTF-8 doesn't allow");
    }
    throw Failure(u"the bytes " + Hex(rest.substr(0, 2)) + u" at column " + Number(*bad + 1) +
                  u" are not valid " + FromUtf8(encoding_));
  }
  std::u16string text(utf16.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                    (static_cast<unsigned char>(utf16[2 * i + 1]) << 8));
  }
  return text;
}

bool CodePage::Reads(std::string_view bytes) { return decoder_->Accepts(bytes); }

namespace {

// Narrows text into out for as long as it is ASCII, four code units a step
// where it can; returns how many it narrowed.
std::size_t NarrowAscii(std::u16string_view text, char* out) {
  constexpr std::uint64_t kNotAscii = 0xFF80FF80FF80FF80;
  std::size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint64_t units;
    std::memcpy(&units, text.data() + i, sizeof units);
    if (units & kNotAscii) break;
    out[i] = static_cast<char>(text[i]);
    out[i + 1] = static_cast<char>(text[i + 1]);
    out[i + 2] = static_cast<char>(text[i + 2]);
    out[i + 3] = static_cast<char>(text[i + 3]);
  }
  for (; i < text.size() && IsAscii(text[i]); ++i) out[i] = static_cast<char>(text[i]);
  return i;
}

}  // namespace

void CodePage::EncodeTo(std::u16string_view text, std::string& bytes) {
  const std::size_t at = bytes.size();
  if (asciiIsItself_) {
    bytes.resize(at + text.size());
    if (NarrowAscii(text, bytes.data() + at) == text.size()) return;
    bytes.resize(at);
  }
  bytes += Encode(text);
}

std::string CodePage::Encode(std::u16string_view text) {
  if (asciiIsItself_ && std::all_of(text.begin(), text.end(), [](char16_t c) { return IsAscii(c); })) {
    return std::string(text.begin(), text.end());
  }
  if (!encoder_) encoder_ = OpenEncodingConverter(encoding_, EncodingConverter::Direction::FromUtf16);
  std::string utf16;
  utf16.reserve(text.size() * 2);
  for (const char16_t c : text) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  std::string bytes;
  if (const auto bad = encoder_->Convert(utf16, bytes))
    ThrowCantHold(text, std::min(*bad / 2, text.size() - 1));
  // Some converters write a look-alike for a character the code page lacks
  // (iconv's CP932 writes U+00A5 as 5C, which reads back as a backslash):
  // text must come back as itself, or it is text the code page can't hold.
  std::string back;
  if (decoder_->Convert(bytes, back) || back != utf16) {
    for (std::size_t at = 0; at < text.size(); ++at) {
      const bool pair = IsLeadSurrogate(text[at]) && at + 1 < text.size() && IsTrailSurrogate(text[at + 1]);
      const std::string one = utf16.substr(2 * at, pair ? 4 : 2);
      std::string encoded, decoded;
      if (encoder_->Convert(one, encoded) || decoder_->Convert(encoded, decoded) || decoded != one) {
        ThrowCantHold(text, at);
      }
      if (pair) ++at;
    }
  }
  return bytes;
}

void CodePage::ThrowCantHold(std::u16string_view text, std::size_t at) const {
  const char16_t c = text[at];
  const bool pair = IsLeadSurrogate(c) && at + 1 < text.size() && IsTrailSurrogate(text[at + 1]);
  std::u16string what;
  if (pair) {
    const char32_t cp = 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00);
    what = std::u16string(text.substr(at, 2)) + u" (U+" + FromUtf8(ToHex(cp)) + u")";
  } else if (c >= 0xD800 && c <= 0xDFFF) {
    what = u"a lone UTF-16 surrogate (U+" + FromUtf8(ToHex(c)) + u")";
  } else {
    what = std::u16string(1, c) + u" (U+" + FromUtf8(ToHex(c)) + u")";
  }
  throw Failure(u"\"" + std::u16string(text) + u"\" holds " + what + u", which " + FromUtf8(encoding_) +
                u" can't hold");
}

CodePage& SharedCodePage(const std::string& encoding) {
  // A converter holds state while it works: each thread has its own.
  thread_local std::map<std::string, std::unique_ptr<CodePage>, std::less<>> codePages;
  auto found = codePages.find(encoding);
  if (found == codePages.end()) {
    found = codePages.emplace(encoding, std::make_unique<CodePage>(encoding)).first;
  }
  return *found->second;
}

bool IsValidUtf8(std::string_view bytes) {
  return OpenEncodingConverter("UTF-8", EncodingConverter::Direction::ToUtf16)->Accepts(bytes);
}

bool IsUtf8ButForSurrogates(std::string_view bytes) {
  if (bytes.find('\xED') == std::string_view::npos) return false;
  std::string mended(bytes);
  bool mendedAny = false;
  for (std::size_t i = 0; i < mended.size(); ++i) {
    if (!IsEncodedSurrogate(std::string_view(mended).substr(i))) continue;
    mended[i + 1] = '\x9F';  // ED 9F xx: an ordinary character
    mendedAny = true;
  }
  return mendedAny && IsValidUtf8(mended);
}

}  // namespace tamvo
