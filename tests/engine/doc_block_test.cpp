#include "engine/doc_block.h"

#include <gtest/gtest.h>

#include "engine/text.h"

namespace tamvo {
namespace {

using Lines = std::vector<std::u16string>;

// A tag as "kind|word|type|name|rest|continuation".
std::string Show(const DocTag& tag) {
  return std::to_string(static_cast<int>(tag.kind)) + "|" + ToUtf8(tag.word) + "|" + ToUtf8(tag.type) + "|" +
         ToUtf8(tag.name) + "|" + ToUtf8(tag.rest) + "|" + std::to_string(tag.continuation);
}

struct TagCase {
  std::u16string line;
  std::string expected;  // Show() of the one tag, or empty for a summary line
};

TEST(ReadDocBlock, ReadsEachTagLine) {
  const TagCase cases[] = {
      {u"' * @param x", "0|@param||x||0"},
      {u"'* @param note - the note", "0|@param||note| - the note|0"},
      {u"' * @param {Long} x: the x", "0|@param|{Long} |x|: the x|0"},
      {u"' * @param Optional lngB", "0|@param||Optional lngB||0"},
      {u"' * @param ParamArray d() values", "0|@param||ParamArray d()| values|0"},
      {u"' * @param Optional x = 5 the count", "0|@param||Optional x = 5| the count|0"},
      {u"' * @param s = \"a b\" text", "0|@param||s = \"a b\"| text|0"},
      {u"' * @param Optional", "0|@param||Optional||0"},
      {u"' * @param", "0|@param||||0"},
      {u"' * @return ", "1|@return||| |0"},
      {u"' * @returns the sum", "1|@returns||| the sum|0"},
      {u"' * Getter: Value", "2|Getter:||Value||0"},
      {u"' * Setter: Value - sets it", "2|Setter:||Value| - sets it|0"},
      {u"' * @see Other", "3|@see||| Other|0"},
      {u"' * @modulename Module1", "3|@modulename||| Module1|0"},
      // Any Unicode space and a colon, half or full width, end a name.
      {u"' * @param lngA\u3000一つ目の数", "0|@param||lngA|\u3000一つ目の数|0"},
      {u"' * @param a\uFF1Athe a", "0|@param||a|\uFF1Athe a|0"},
      {u"' * @param a\u00A0- the a", "0|@param||a|\u00A0- the a|0"},
      {u"'@Ignore ProcedureNotUsed", ""},
      {u"' * Adds two numbers.", ""},
      {u"' * @ 1 is no tag", ""},
      {u"' * Getters: no tag", ""},
  };
  for (const auto& c : cases) {
    const Lines lines = {u"'/**", u"' * The summary.", c.line, u"' */"};
    const auto block = ReadDocBlockAt(lines, 0);
    ASSERT_TRUE(block) << ToUtf8(c.line);
    EXPECT_EQ(block->close, 3u);
    if (c.expected.empty()) {
      EXPECT_TRUE(block->tags.empty()) << ToUtf8(c.line);
      EXPECT_EQ(block->SummaryEnd(), 3u);
    } else {
      ASSERT_EQ(block->tags.size(), 1u) << ToUtf8(c.line);
      EXPECT_EQ(Show(block->tags[0]), c.expected) << ToUtf8(c.line);
      EXPECT_EQ(c.line.substr(block->tags[0].column, block->tags[0].word.size()), block->tags[0].word);
    }
  }
}

TEST(ReadDocBlock, SummaryThenTagsWithTheirContinuedLines) {
  const Lines lines = {
      u"' old",           u"  '/**",     u"' * Adds.", u"' * Two lines.", u"' * @param a the a",
      u"' *   continued", u"' * @see B", u"'*/",       u"Sub A()"};
  const auto block = FindLastDocBlock(lines);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->open, 1u);
  EXPECT_EQ(block->close, 7u);
  EXPECT_EQ(block->SummaryEnd(), 4u);
  ASSERT_EQ(block->tags.size(), 2u);
  EXPECT_EQ(block->tags[0].continuation, 1u);
  EXPECT_EQ(block->tags[1].line, 6u);
}

TEST(ReadDocBlock, TheLastClosedRunOfCommentLines) {
  struct Case {
    const char* what;
    Lines lines;
    std::optional<std::size_t> open;
  };
  const Case cases[] = {
      {"two blocks: the last", {u"'/**", u"' */", u"'/**", u"' * b", u"' */"}, 2},
      {"an opening without its closing", {u"'/**", u"' */", u"'/**", u"' * b"}, 0},
      {"a blank line inside", {u"'/**", u"", u"' */"}, std::nullopt},
      {"code inside", {u"'/**", u"Dim a", u"' */"}, std::nullopt},
      {"no opening", {u"' * a", u"' */"}, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto block = FindLastDocBlock(c.lines);
    EXPECT_EQ(block ? std::optional(block->open) : std::nullopt, c.open) << c.what;
  }
}

TEST(ParamKey, LeavesOnlyTheName) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"x", u"x"},
      {u"Optional lngB", u"lngB"},
      {u"ParamArray d()", u"d"},
      {u"b()", u"b"},
      {u"Optional x = 5", u"x"},
      {u"optional  x=5", u"x"},
      {u"Optionalx", u"Optionalx"},
  };
  for (const auto& [name, key] : cases) EXPECT_EQ(ParamKey(name), key) << ToUtf8(name);
}

TEST(CommentLineKinds, AnnotationsAndOtherStyles) {
  struct Case {
    std::u16string line;
    bool annotation;
    bool foreign;
  };
  const Case cases[] = {
      {u"'@Description(\"x\")", true, false},
      {u"  '@TestMethod", true, false},
      {u"'@Folder(\"a.b\")", true, false},
      {u"' @Ignore", false, false},
      {u"'@ x", false, false},
      {u"'@1", false, false},
      {u"' @param x the x", false, true},
      {u"'' @returns the sum", false, true},
      {u"'@return", true, true},
      {u"' @parameters", false, false},
      {u"' * @param x", false, false},
      {u"Dim a ' @param", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsAnnotationLine(c.line), c.annotation) << ToUtf8(c.line);
    EXPECT_EQ(IsForeignTagLine(c.line), c.foreign) << ToUtf8(c.line);
  }
}

}  // namespace
}  // namespace tamvo
