#include "host/code_page.h"

#include <gtest/gtest.h>

#include "engine/failure.h"
#include "engine/text.h"

namespace tamvo {
namespace {

// Plain ASCII skips the converters only where the encoding writes ASCII as
// itself; an encoding that doesn't (EBCDIC here) must still convert it.
TEST(CodePage, ConvertsBothWaysWithOrWithoutTheAsciiShortcut) {
  const struct {
    const char* encoding;
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {"CP932", u"Sub A() ' \\~", "Sub A() ' \\~"},
      {"CP932", u"' 日本語", "' \x93\xfa\x96\x7b\x8c\xea"},
      {"UTF-8", u"' 日本", "' \xE6\x97\xA5\xE6\x9C\xAC"},
      {"IBM037", u"A1", "\xC1\xF1"},
  };
  for (const auto& c : cases) {
    CodePage codePage(c.encoding);
    EXPECT_EQ(codePage.Encode(c.text), c.bytes) << c.encoding;
    EXPECT_EQ(ToUtf8(codePage.Decode(c.bytes)), ToUtf8(c.text)) << c.encoding;
  }
}

TEST(CodePage, FailuresNameWhatCantBeConverted) {
  CodePage cp932("CP932");
  try {
    cp932.Decode("ab\x81\x20");
    FAIL() << "invalid cp932 was read";
  } catch (const Failure& failure) {
    EXPECT_EQ(ToUtf8(failure.Description()), "the bytes 81 20 at column 3 are not valid CP932");
  }
  try {
    CodePage("UTF-8").Encode(std::u16string(u"x") + char16_t(0xDC00));
    FAIL() << "a lone surrogate was written";
  } catch (const Failure& failure) {
    EXPECT_NE(failure.Description().find(u"a lone UTF-16 surrogate (U+DC00)"), std::u16string::npos);
  }
  // What iconv would write as a look-alike reads back as another
  // character: the yen sign as a backslash, the wave dash as a fullwidth
  // tilde, the minus sign as a fullwidth hyphen-minus.
  const struct {
    std::u16string character;
    const char* code;
  } lookAlikes[] = {{u"\u00a5", "U+00A5"}, {u"\u301c", "U+301C"}, {u"\u2212", "U+2212"}};
  for (const auto& c : lookAlikes) {
    try {
      cp932.Encode(u"a" + c.character);
      ADD_FAILURE() << c.code << " was written";
    } catch (const Failure& failure) {
      EXPECT_EQ(ToUtf8(failure.Description()), ToUtf8(u"\"a" + c.character + u"\" holds " + c.character) +
                                                   " (" + c.code + "), which CP932 can't hold");
    }
  }
  EXPECT_THROW(CodePage("NO-SUCH-CODE-PAGE"), Failure);
}

TEST(Utf8, SurrogatesWrittenAsUtf8AreToldApart) {
  EXPECT_TRUE(IsValidUtf8("\xE6\x97\xA5"));
  EXPECT_FALSE(IsValidUtf8("a\xED\xA0\x80"));
  EXPECT_TRUE(IsUtf8ButForSurrogates("a\xED\xA0\x80 \xE6\x97\xA5"));
  EXPECT_FALSE(IsUtf8ButForSurrogates("\xE6\x97\xA5"));
  EXPECT_FALSE(IsUtf8ButForSurrogates("\xED\xA0\x80\x93\xfa"));
}

}  // namespace
}  // namespace tamvo
