#include "commands/doc_page.h"

#include <gtest/gtest.h>

#include "commands/doc_render.h"
#include "commands/doxygen_filter.h"
#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::Editor;

constexpr std::u16string_view kModule =
    u"'/**\n' * Tools.\n' * @modulename mdlTools\n' * @auther 山田\n' * @version 1.0\n' * @since 2020\n' */\n"
    u"Option Explicit\n\n"
    u"'/**\n' * Adds.\n' * second line\n' * @return - the sum\n' * @param A: the first\n"
    u"' * @param Optional note - a note\n' *   continued\n' * @param gone - stale\n' * @see Sub2\n' */\n"
    u"Public Function Add(ByVal a As Long, _\n    Optional note As String = \"\") As Long\nEnd Function\n\n"
    u"Private Sub Hidden()\nEnd Sub\n\n"
    u"'/**\n' * Documented, private.\n' */\nPrivate Sub Kept()\nEnd Sub\n\n"
    u"Property Get P() As Long\nEnd Property\n\nProperty Let P(ByVal v As Long)\nEnd Property\n";

TEST(WithoutSeparator, WhatAReaderReads) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u" - the sum", u"the sum"},  {u": the sum", u"the sum"},      {u"\u3000一つ目の数", u"一つ目の数"},
      {u"\uFF1A文字列", u"文字列"}, {u" -1 or more", u"-1 or more"}, {u"", u""},
  };
  for (const auto& [text, read] : cases)
    EXPECT_EQ(ToUtf8(WithoutSeparator(text)), ToUtf8(read)) << ToUtf8(text);
}

TEST(ModulePage, HoldsWhatTheBlocksSayUnderTheirProcedure) {
  Editor editor(kModule, u"mdlTools");
  const ModulePage page = BuildModulePage(editor.vbe.Module(), ModuleKind::Standard, u"src/mdlTools.bas",
                                          [](LineNumber line) { return line + 1; }, {});
  EXPECT_EQ(page.description.lines, std::vector<std::u16string>{u"Tools."});
  EXPECT_EQ(page.author.lines, std::vector<std::u16string>{u"山田"});
  EXPECT_EQ(page.version.lines, std::vector<std::u16string>{u"1.0"});
  ASSERT_EQ(page.headerTags.size(), 1u);
  EXPECT_EQ(page.headerTags[0].word, u"@since");

  std::vector<std::u16string> names;
  for (const auto& proc : page.procs) names.push_back(proc.anchor);
  // Private procedures are left out, documented or not.
  EXPECT_EQ(names, (std::vector<std::u16string>{u"add", u"p-get", u"p-let"}));

  const PageProc& add = page.procs[0];
  EXPECT_EQ(add.declaration, u"Public Function Add(ByVal a As Long, Optional note As String = \"\") As Long");
  EXPECT_EQ(add.line, 21);  // module line 20, as the file counts it
  EXPECT_EQ(add.summary.lines, (std::vector<std::u16string>{u"Adds.", u"second line"}));
  EXPECT_EQ(add.returnText.lines, std::vector<std::u16string>{u"the sum"});
  ASSERT_EQ(add.params.size(), 2u);
  EXPECT_EQ(add.params[0].name, u"ByVal a");
  EXPECT_EQ(add.params[0].description.lines, std::vector<std::u16string>{u"the first"});
  EXPECT_EQ(add.params[1].name, u"Optional note");
  EXPECT_EQ(add.params[1].defaultValue, u"\"\"");
  EXPECT_EQ(add.params[1].description.lines, (std::vector<std::u16string>{u"a note", u"continued"}));
  // A stale @param is kept among the other tags: nothing written is lost.
  ASSERT_EQ(add.others.size(), 2u);
  EXPECT_EQ(add.others[0].word, u"@param");
  EXPECT_EQ(add.others[0].text.lines, std::vector<std::u16string>{u"gone - stale"});
  EXPECT_EQ(add.others[1].word, u"@see");

  PageOptions all;
  all.includePrivate = true;
  const ModulePage withPrivate = BuildModulePage(
      editor.vbe.Module(), ModuleKind::Standard, u"m.bas", [](LineNumber line) { return line; }, all);
  EXPECT_EQ(withPrivate.procs.size(), 5u);
  EXPECT_EQ(withPrivate.procs[1].name, u"Hidden");
  EXPECT_FALSE(withPrivate.procs[1].documented);
  EXPECT_EQ(withPrivate.procs[2].name, u"Kept");
}

// A @param shows under the parameter update keeps it for, on the pages and
// in doxygen's input alike: a renamed one under the new name, one that
// writes the name as insert does with all its text as the name, a second
// one for a parameter as a tag of its own.
TEST(ModulePage, ShowsATagUnderTheParameterUpdateKeepsItFor) {
  const struct {
    std::u16string tags;
    std::u16string declaration;
    std::vector<std::u16string> described;  // each parameter's description
    std::vector<std::u16string> others;     // the words of the other tags
    std::vector<std::u16string> filtered;   // the tag lines doxygen reads
  } cases[] = {
      {u"' * @param old - was x\n' * @param y the y\n",
       u"Sub S(x, y)",
       {u"was x", u"the y"},
       {},
       {u" * @param x was x", u" * @param y the y"}},
      {u"' * @param Optional n = 1 + 2 the n\n' * @param Optional f = 0 - if none\n",
       u"Sub S(Optional n = 1 + 2, Optional ByVal f As Double = 0)",
       {u"the n", u"if none"},
       {},
       {u" * @param n the n", u" * @param f if none"}},
      {u"' * @param x one\n' * @param X two\n",
       u"Sub S(x)",
       {u"one"},
       {u"@param"},
       {u" * @param x one", u" * @par \\@param X two"}},
  };
  for (const auto& c : cases) {
    Editor editor(u"'/**\n' * S.\n" + c.tags + u"' */\n" + c.declaration + u"\nEnd Sub\n", u"m");
    const ModulePage page = BuildModulePage(editor.vbe.Module(), ModuleKind::Standard, u"m.bas",
                                            [](LineNumber line) { return line; }, {});
    ASSERT_EQ(page.procs.size(), 1u);
    std::vector<std::u16string> described;
    for (const auto& param : page.procs[0].params) {
      described.push_back(param.description.Empty() ? u"" : param.description.lines.front());
    }
    EXPECT_EQ(described, c.described) << ToUtf8(c.tags);
    std::vector<std::u16string> others;
    for (const auto& tag : page.procs[0].others) others.push_back(tag.word);
    EXPECT_EQ(others, c.others) << ToUtf8(c.tags);

    const auto lines =
        FilterForDoxygen(editor.vbe.Module(), ModuleKind::Standard, editor.vbe.Module().CountOfLines(),
                         [](LineNumber line) { return line; });
    EXPECT_EQ(std::vector<std::u16string>(lines.begin() + 2, lines.begin() + 2 + c.filtered.size()),
              c.filtered)
        << ToUtf8(c.tags);
  }
}

TEST(DocRender, AnExampleIsACodeBlockThatKeepsItsIndentation) {
  Editor editor(
      u"'/**\n' * Runs.\n' * @example Run 1\n' *   If ok Then\n' *       s = \"```<b>\"\n' *   End If\n"
      u"' *\n' * @see Run\n' */\nSub Run(n)\nEnd Sub\n",
      u"m");
  const ModulePage page = BuildModulePage(editor.vbe.Module(), ModuleKind::Standard, u"m.bas",
                                          [](LineNumber line) { return line; }, {});
  ASSERT_EQ(page.procs.size(), 1u);
  ASSERT_EQ(page.procs[0].others.size(), 2u);
  EXPECT_FALSE(page.procs[0].others[1].code);
  const std::string markdown = ToUtf8(RenderModulePage(page, PageFormat::Markdown));
  EXPECT_NE(markdown.find(
                "**@example**\n\n````vb\nRun 1\nIf ok Then\n    s = \"```<b>\"\nEnd If\n````\n\n**@see**"),
            std::string::npos)
      << markdown;
  const std::string html = ToUtf8(RenderModulePage(page, PageFormat::Html));
  EXPECT_NE(
      html.find("<p><b>@example</b></p>\n<pre><code>Run 1\nIf ok Then\n    s = &quot;```&lt;b&gt;&quot;\n"
                "End If</code></pre>\n<p><b>@see</b>"),
      std::string::npos)
      << html;
}

TEST(ModulePage, NamesEveryPageApart) {
  const struct {
    std::vector<std::pair<std::u16string, std::u16string>> modules;  // name, file
    std::vector<std::u16string> pageNames;
  } cases[] = {
      {{{u"Util", u"src/Util.bas"}, {u"Util", u"src/old/Util.bas"}}, {u"Util", u"old_Util"}},
      {{{u"Util", u"a/Util.bas"}, {u"util", u"b/util.bas"}, {u"Other", u"Other.bas"}},
       {u"a_Util", u"b_util", u"Other"}},
      {{{u"index", u"index.bas"}}, {u"index-2"}},
      {{{u"A", u"x/A.bas"}, {u"A", u"x/A.bas"}}, {u"A", u"A-2"}},
      {{{u"a:b?", u"q.bas"}, {u".hidden", u"h.bas"}}, {u"a_b_", u"_.hidden"}},
  };
  for (const auto& c : cases) {
    std::vector<ModulePage> pages;
    for (const auto& [name, file] : c.modules) {
      ModulePage page;
      page.name = name;
      page.file = file;
      pages.push_back(std::move(page));
    }
    NamePages(pages);
    std::vector<std::u16string> names;
    for (const auto& page : pages) names.push_back(page.pageName);
    EXPECT_EQ(names, c.pageNames) << ToUtf8(c.modules.front().second);
  }
}

TEST(ModulePage, LinksSeeToThePageAndProcedureNamed) {
  Editor a(
      u"'/**\n' * .\n' * @see B.run it\n' * @see b\n' * @see Other\n' * @see A#Two\n' * @see Nowhere\n' */\n"
      u"Sub One()\nEnd Sub\n'/**\n' * .\n' * @see One\n' */\nSub Two()\nEnd Sub\n",
      u"A");
  Editor b(u"'/**\n' * .\n' */\nSub Run()\nEnd Sub\n", u"B");
  std::vector<ModulePage> pages;
  for (Editor* editor : {&a, &b}) {
    pages.push_back(BuildModulePage(editor->vbe.Module(), ModuleKind::Standard, u"x.bas",
                                    [](LineNumber line) { return line; }, {}));
  }
  NamePages(pages);
  LinkReferences(pages);
  std::vector<std::string> links;
  for (const auto& proc : pages[0].procs) {
    for (const auto& tag : proc.others) {
      links.push_back(std::to_string(tag.referenceLength) + " " +
                      ToUtf8(tag.linkPage + u"#" + tag.linkAnchor));
    }
  }
  EXPECT_EQ(links, (std::vector<std::string>{"5 B#run", "1 B#", "0 #", "5 A#two", "0 #", "3 A#one"}));
}

TEST(DocRender, EscapesEveryTextOfAModule) {
  Editor editor(u"'/**\n' * <script>&amp; *x* | 1. [a](b)\n' */\nSub S()\nEnd Sub\n", u"a<b>");
  const ModulePage page = BuildModulePage(editor.vbe.Module(), ModuleKind::Standard, u"a&b.bas",
                                          [](LineNumber line) { return line; }, {});
  const std::string html = ToUtf8(RenderModulePage(page, PageFormat::Html));
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;&amp;amp; *x* | 1. [a](b)"), std::string::npos);
  EXPECT_NE(html.find("<title>a&lt;b&gt;</title>"), std::string::npos);
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_EQ(ToUtf8(EscapeMarkdown(u"<script>&amp; *x* | 1. [a](b)")),
            "\\<script\\>\\&amp; \\*x\\* \\| 1. \\[a\\](b)");
  EXPECT_EQ(ToUtf8(EscapeMarkdown(u"12) # - x")), "12\\) \\# - x");
  EXPECT_EQ(ToUtf8(EscapeMarkdown(u"- item")), "\\- item");
  EXPECT_EQ(ToUtf8(LinkTarget(u"mdl 日本", PageFormat::Markdown)), "mdl%20%E6%97%A5%E6%9C%AC.md");
}

TEST(DoxygenFilter, KeepsEveryLineWhereItWas) {
  Editor editor(
      u"Option Explicit\n'/**\n' * Adds; a */ b.\n' * @param x - the x\n' * @param y - no such\n"
      u"' * @param Optional z = 1 the z\n' * @auther m\n' */\nPublic Function Add(ByVal x As Long, _\n"
      u"  Optional z = 1) As Long\nEnd Function\n",
      u"mdlA");
  const auto lines = FilterForDoxygen(editor.vbe.Module(), ModuleKind::Standard, 13,
                                      [](LineNumber line) { return line + 1; });
  const std::vector<std::u16string> expected{
      u"class mdlA { ",
      u"",
      u"/**",
      u" * @brief Adds; a * / b.",
      u" * @param x the x",
      u" * @par \\@param y - no such",
      u" * @param z the z",
      u" * @par \\@auther m",
      u" */",
      u"public: static Long Add(Long x, Variant z = 1);",
      u"",
      u"",
      u" };",
  };
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace tamvo
