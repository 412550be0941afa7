#include "engine/text.h"

#include <gtest/gtest.h>

namespace tamvo {
namespace {

TEST(Text, TrimRemovesSpacesOnly) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
}

TEST(Text, Utf8RoundTripsAndReplacesIllFormedInput) {
  const std::u16string text = u"作成者 a \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(FromUtf8("a\xE3\x81"), u"a\uFFFD\uFFFD");
}

}  // namespace
}  // namespace tamvo
