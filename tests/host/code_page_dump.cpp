// Prints what CodePage makes of bytes and text, so that two builds (iconv on
// Linux, the Win32 functions on Windows) can be compared line for line:
//   tamvo_code_page_dump ENCODING            every sequence of one and two
//                                            bytes decoded, every character
//                                            of the BMP and a few beyond
//                                            encoded;
//   tamvo_code_page_dump ENCODING FILE...    each file decoded whole, and its
//                                            text encoded back.
// A line is the input in hex, then the output in hex or "!" and the failure.

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page.h"
#include "host/file_io.h"

namespace {

using tamvo::CodePage;
using tamvo::Failure;

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string Hex(std::u16string_view text) {
  std::string hex;
  char unit[6];
  for (const char16_t c : text) {
    std::snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(c));
    hex += unit;
  }
  return hex;
}

// FNV-1a over the UTF-16 units: a whole file's text in one short line.
std::string Digest(std::u16string_view text) {
  std::uint64_t hash = 14695981039346656037u;
  for (const char16_t c : text) hash = (hash ^ c) * 1099511628211u;
  char digest[40];
  std::snprintf(digest, sizeof digest, "%zu units %016llx", text.size(),
                static_cast<unsigned long long>(hash));
  return digest;
}

void Decode(CodePage& codePage, std::string_view bytes, bool whole) {
  std::printf("%s -> ", whole ? "" : Hex(bytes).c_str());
  try {
    const std::u16string text = codePage.Decode(bytes);
    std::printf("%s", whole ? Digest(text).c_str() : Hex(text).c_str());
    if (codePage.Reads(bytes) != true) std::printf(" (but Reads says no)");
    if (whole) {
      const std::string back = codePage.Encode(text);
      std::printf(back == bytes ? ", encodes back" : ", encodes back as %s", Hex(back).substr(0, 64).c_str());
    }
    std::printf("\n");
  } catch (const Failure& failure) {
    std::printf("!%s%s\n", tamvo::ToUtf8(failure.Description()).c_str(),
                codePage.Reads(bytes) ? " (but Reads says yes)" : "");
  }
}

void Encode(CodePage& codePage, std::u16string_view text) {
  std::printf("%s-> ", Hex(text).c_str());
  try {
    std::printf("%s\n", Hex(codePage.Encode(text)).c_str());
  } catch (const Failure& failure) {
    std::printf("!%s\n", tamvo::ToUtf8(failure.Description()).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s ENCODING [FILE...]\n", argv[0]);
    return 2;
  }
  try {
    CodePage codePage(argv[1]);
    if (argc > 2) {
      for (int i = 2; i < argc; ++i) {
        std::printf("%s", argv[i]);
        Decode(codePage, tamvo::ReadFileBytes(tamvo::PathOfUtf8(argv[i])), true);
      }
      return 0;
    }
    for (int first = 0; first < 256; ++first) {
      const char lead = static_cast<char>(first);
      Decode(codePage, std::string_view(&lead, 1), false);
      for (int second = 0; second < 256; ++second) {
        const char pair[] = {lead, static_cast<char>(second)};
        Decode(codePage, std::string_view(pair, 2), false);
      }
    }
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (c < 0xD800 || c > 0xDFFF) Encode(codePage, std::u16string(1, static_cast<char16_t>(c)));
    }
    // Beyond the BMP, and a surrogate alone.
    for (const std::u16string text : {u"\U00020B9F", u"\U0001F600", u"\xD800", u"a\xDC00z"}) {
      Encode(codePage, text);
    }
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s: %s\n", argv[0], tamvo::ToUtf8(failure.Description()).c_str());
    return 1;
  }
  return 0;
}
