#include "engine/adoption.h"

#include <gtest/gtest.h>

#include "engine/text.h"

namespace tamvo {
namespace {

using Lines = std::vector<std::u16string>;

TEST(AdoptComment, EachStyleBecomesASummaryDescriptionsAndTags) {
  struct Case {
    const char* what;
    Lines comment;
    std::u16string block;  // the lines between the opening and the closing line
  };
  const Case cases[] = {
      {"plain paragraphs, each line as written after the mark and one blank",
       {u"'SUM A SINGLE DIM ARRAY", u"'  of numbers", u"'", u"' Do NOT delete the Optional dummy parameter"},
       u"' * SUM A SINGLE DIM ARRAY\n' *  of numbers\n' *\n' * Do NOT delete the Optional dummy parameter\n"},
      {"tags with and without a blank after the mark; an example's lines stay under it",
       {u"' Adds.", u"'@param a the a", u"' @returns {Long} the sum", u"' @example", u"'   x = Add(1, 2)"},
       u"' * Adds.\n' * @param a the a\n' * @returns {Long} the sum\n' * @example\n' *   x = Add(1, 2)\n"},
      {"@description is the summary where there is none",
       {u"' @description Sums.", u"' @param a"},
       u"' * Sums.\n' * @param a\n"},
      {"''' with sections",
       {u"''' Splits a text.", u"'''", u"''' Args:", u"'''     text (String): what to split",
        u"'''     sep: the separator", u"'''         one character", u"''' Returns:", u"'''     the parts"},
       u"' * Splits a text.\n' * @param {String} text what to split\n' * @param sep the separator\n"
       u"' *         one character\n' * @return\n' *     the parts\n"},
      {"XML",
       {u"''' <summary>", u"''' Splits a text.", u"''' </summary>",
        u"''' <param name=\"text\">what to split</param>", u"''' <returns>the parts</returns>",
        u"''' <remarks>Slow.</remarks>"},
       u"' * Splits a text.\n' * @param text what to split\n' * @return the parts\n' *\n' * Slow.\n"},
      {"a template header: the purpose is the summary, the rest stays",
       {u"'-----------------", u"' Procedure : Split", u"' Purpose   : Splits a text.",
        u"'-----------------"},
       u"' * Splits a text.\n' *\n' * -----------------\n' * Procedure : Split\n' * -----------------\n"},
      {"a banner is no summary; nothing but banners leaves insert's",
       {u"'=========="},
       u"' * .\n' *\n' * ==========\n"},
      {"Rem and a Japanese full-width space kept", {u"Rem 合計\u3000する"}, u"' * 合計\u3000する\n"},
  };
  for (const auto& c : cases) {
    std::u16string block;
    for (const auto& line : AdoptComment(c.comment)) block += line + u"\n";
    EXPECT_EQ(ToUtf8(block), ToUtf8(c.block)) << c.what;
  }
}

TEST(DescriptionAnnotationText, TheStringUnquoted) {
  EXPECT_EQ(DescriptionAnnotationText(u"'@Description(\"Says \"\"hi\"\".\")"), u"Says \"hi\".");
  EXPECT_EQ(DescriptionAnnotationText(u"  '@description(\"x\")"), u"x");
  EXPECT_EQ(DescriptionAnnotationText(u"'@Description(\"open"), std::nullopt);
  EXPECT_EQ(DescriptionAnnotationText(u"'@Folder(\"x\")"), std::nullopt);
}

}  // namespace
}  // namespace tamvo
