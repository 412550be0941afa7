#include "lsp/text_edits.h"

#include <gtest/gtest.h>

namespace tamvo::lsp {
namespace {

struct EditCase {
  const char* name;
  std::u16string before;
  std::u16string after;
  std::size_t edits;          // how many edits the smallest answer takes
  std::size_t replacedLines;  // lines of before they replace, all told
};

TEST(LineEdits, ApplyToTheNewTextTouchingOnlyChangedLines) {
  const EditCase cases[] = {
      {"same", u"a\r\nb\r\n", u"a\r\nb\r\n", 0, 0},
      {"insert in the middle", u"a\r\nb\r\n", u"a\r\nx\r\ny\r\nb\r\n", 1, 0},
      {"delete", u"a\r\nx\r\nb\r\n", u"a\r\nb\r\n", 1, 1},
      {"two places", u"a\nb\nc\nd\n", u"x\na\nb\nc\ny\nd\n", 2, 0},
      {"repeated lines", u"'\n'\nSub A\n'\nSub B\n", u"'\nSub A\n'\n'\n'\nSub B\n", 2, 1},
      {"last line without an end", u"a\r\nb", u"a\r\nb\r\nc", 1, 1},
      {"append after a final end", u"a\n", u"a\nb\n", 1, 0},
      {"from nothing", u"", u"a\r\n", 1, 0},
      {"to nothing", u"a\r\nb", u"", 1, 2},
      {"lone CR kept", u"a\rb\r", u"a\rx\rb\r", 1, 0},
      {"wide text", u"' 𠮷の説明\r\nSub A\r\n", u"'/**\r\n' * 𠮷.\r\n' */\r\nSub A\r\n", 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TextEdit> edits = LineEdits(c.before, c.after);
    EXPECT_EQ(ApplyEdits(c.before, edits), c.after);
    EXPECT_EQ(edits.size(), c.edits);
    std::size_t replaced = 0;
    for (const auto& edit : edits) {
      EXPECT_EQ(edit.start.character, 0);
      // An edit that ends inside the last line replaces that line too.
      replaced += static_cast<std::size_t>(edit.end.line - edit.start.line + (edit.end.character > 0));
    }
    EXPECT_EQ(replaced, c.replacedLines);
  }
}

TEST(LineEdits, PastTheLastLineWithoutAnEndTheEditEndsOnIt) {
  const auto edits = LineEdits(u"a\r\nbc", u"a\r\n");
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(edits[0].start.line, 1);
  EXPECT_EQ(edits[0].end.line, 1);
  EXPECT_EQ(edits[0].end.character, 2);
}

TEST(LineEdits, TooManyDifferencesBecomeOneReplacement) {
  std::u16string before;
  std::u16string after;
  for (int i = 0; i < 3000; ++i) {
    before += u"a" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"\n";
    after += u"b\n";
  }
  const auto edits = LineEdits(before, after);
  EXPECT_EQ(ApplyEdits(before, edits), after);
}

}  // namespace
}  // namespace tamvo::lsp
