// CodePage's contract, which both systems' converters keep (iconv on
// POSIX systems, the Win32 functions on Windows): the same names, the same
// bytes, the same words when something can't be converted. Built into
// tamvo_tests and, for Windows, tamvo_win_cli_tests.

#include <gtest/gtest.h>

#include <vector>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page.h"

namespace tamvo {
namespace {

// Plain ASCII skips the converters only where the encoding writes ASCII as
// itself; an encoding that doesn't (EBCDIC here) must still convert it.
TEST(CodePage, TakesIconvsNamesAndConvertsBothWays) {
  const struct {
    const char* encoding;
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {"CP932", u"Sub A() ' \\~", "Sub A() ' \\~"},
      {"CP932", u"' 日本語", "' \x93\xfa\x96\x7b\x8c\xea"},
      {"cp932", u"ｱ①", "\xB1\x87\x40"},
      {"SHIFT_JIS", u"日本", "\x93\xfa\x96\x7b"},
      {"Windows-31J", u"日本", "\x93\xfa\x96\x7b"},
      {"UTF-8", u"' 日本", "' \xE6\x97\xA5\xE6\x9C\xAC"},
      {"utf8", u"\U0001F600", "\xF0\x9F\x98\x80"},
      {"WINDOWS-1252", u"caf\u00e9 \u20ac", "caf\xE9 \x80"},
      {"IBM037", u"A1", "\xC1\xF1"},
  };
  for (const auto& c : cases) {
    CodePage codePage(c.encoding);
    EXPECT_EQ(codePage.Encode(c.text), c.bytes) << c.encoding;
    EXPECT_EQ(ToUtf8(codePage.Decode(c.bytes)), ToUtf8(c.text)) << c.encoding;
    EXPECT_TRUE(codePage.Reads(c.bytes)) << c.encoding;
  }
  EXPECT_TRUE(CodePage("CP932").AsciiIsItself());
  EXPECT_FALSE(CodePage("IBM037").AsciiIsItself());
}

TEST(CodePage, FailuresNameWhatCantBeConverted) {
  const struct {
    const char* encoding;
    std::string bytes;    // to decode, or empty
    std::u16string text;  // to encode
    std::string message;
  } cases[] = {
      {"CP932", "ab\x81\x20", u"", "the bytes 81 20 at column 3 are not valid CP932"},
      {"CP932", "\x93\xfa\x81", u"", "the bytes 81 at column 3 are not valid CP932"},
      {"UTF-8", "x\xC3\x28", u"", "the bytes C3 28 at column 2 are not valid UTF-8"},
      // Bytes Windows reads as controls or private use and iconv as nothing.
      {"CP932", "\x81\x80\x80", u"", "the bytes 80 at column 3 are not valid CP932"},
      {"CP932", "a\xA0", u"", "the bytes A0 at column 2 are not valid CP932"},
      {"CP932", "\xFD", u"", "the bytes FD at column 1 are not valid CP932"},
      {"CP1252", "a\x81", u"", "the bytes 81 at column 2 are not valid CP1252"},
      {"UTF-8", "a\xED\xA0\x80", u"",
       "the bytes ED A0 80 at column 2 are a UTF-16 surrogate written as UTF-8, which UTF-8 doesn't allow"},
      // What a converter would write as a look-alike reads back as another
      // character: the yen sign as a backslash, the wave dash as a
      // fullwidth tilde, the minus sign as a fullwidth hyphen-minus.
      {"CP932", "", u"a\u00a5", "\"a\u00a5\" holds \u00a5 (U+00A5), which CP932 can't hold"},
      {"CP932", "", u"a\u301c", "\"a\u301c\" holds \u301c (U+301C), which CP932 can't hold"},
      {"CP932", "", u"a\u2212", "\"a\u2212\" holds \u2212 (U+2212), which CP932 can't hold"},
      {"CP932", "", u"\U0001F600", "\"\U0001F600\" holds \U0001F600 (U+1F600), which CP932 can't hold"},
      {"UTF-8", "", std::u16string(u"x") + char16_t(0xDC00),
       "\"x\xEF\xBF\xBD\" holds a lone UTF-16 surrogate (U+DC00), which UTF-8 can't hold"},
  };
  for (const auto& c : cases) {
    CodePage codePage(c.encoding);
    try {
      if (c.bytes.empty()) {
        codePage.Encode(c.text);
      } else {
        EXPECT_FALSE(codePage.Reads(c.bytes)) << c.message;
        codePage.Decode(c.bytes);
      }
      ADD_FAILURE() << "converted: " << c.message;
    } catch (const Failure& failure) {
      EXPECT_EQ(ToUtf8(failure.Description()), c.message);
    }
  }
}

TEST(CodePage, UnknownNamesAreRefused) {
  std::vector<const char*> names = {"NO-SUCH-CODE-PAGE", "CP", "CP99999", "CP932X"};
#ifdef _WIN32
  // iconv takes "" for the locale's own encoding; the command line refuses
  // an empty name before it asks.
  names.push_back("");
#endif
  for (const char* name : names) {
    try {
      CodePage codePage(name);
      ADD_FAILURE() << name << " was taken";
    } catch (const Failure& failure) {
      EXPECT_EQ(ToUtf8(failure.Description()), std::string("unknown encoding: ") + name);
    }
  }
}

TEST(Utf8, SurrogatesWrittenAsUtf8AreToldApart) {
  EXPECT_TRUE(IsValidUtf8("\xE6\x97\xA5"));
  EXPECT_FALSE(IsValidUtf8("a\xED\xA0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));  // an overlong "/"
  EXPECT_TRUE(IsUtf8ButForSurrogates("a\xED\xA0\x80 \xE6\x97\xA5"));
  EXPECT_FALSE(IsUtf8ButForSurrogates("\xE6\x97\xA5"));
  EXPECT_FALSE(IsUtf8ButForSurrogates("\xED\xA0\x80\x93\xfa"));
}

}  // namespace
}  // namespace tamvo
