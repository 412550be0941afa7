#include "engine/text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tamvo {
namespace {

TEST(Text, TrimRemovesSpacesOnly) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
}

TEST(Text, StripBlanksTakesTabsAsSpaces) {
  EXPECT_EQ(StripBlanks(u" \ta b\t "), u"a b");
  EXPECT_EQ(StripBlanks(u"\t\t"), u"");
}

TEST(Text, LinesEndAtEveryLineEndTheEditorKnows) {
  const struct {
    std::u16string_view text;
    std::vector<std::u16string> lines;  // each line, then its end
  } cases[] = {
      {u"a\r\nb\rc\nd", {u"a", u"\r\n", u"b", u"\r", u"c", u"\n", u"d", u""}},
      {u"a\r\n", {u"a", u"\r\n", u"", u""}},
      {u"\n\r\r\n", {u"", u"\n", u"", u"\r", u"", u"\r\n", u"", u""}},
      {u"", {u"", u""}},
  };
  for (const auto& c : cases) {
    std::vector<std::u16string> lines;
    ForEachLine(c.text, [&](std::u16string_view line, std::u16string_view end) {
      lines.emplace_back(line);
      lines.emplace_back(end);
      return true;
    });
    EXPECT_EQ(lines, c.lines) << ToUtf8(c.text);
  }
  int calls = 0;
  ForEachLine(u"a\nb\nc", [&](std::u16string_view, std::u16string_view) { return ++calls < 2; });
  EXPECT_EQ(calls, 2) << "f's false ends the walk";
}

TEST(Text, CommonEndsLeaveTheLinesBetweenAndNeverOverlap) {
  using Lines = std::vector<std::u16string_view>;
  const struct {
    Lines a, b;
    std::size_t head, tail;
  } cases[] = {
      {{u"a", u"b", u"c"}, {u"a", u"x", u"y", u"c"}, 1, 1},
      {{u"a", u"a"}, {u"a"}, 1, 0},
      {{u"a"}, {u"a", u"b", u"a"}, 1, 0},
      {{}, {u"a"}, 0, 0},
  };
  for (const auto& c : cases) {
    const auto [head, tail] = CommonEndsOf(c.a, c.b);
    EXPECT_EQ(head, c.head);
    EXPECT_EQ(tail, c.tail);
  }
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
