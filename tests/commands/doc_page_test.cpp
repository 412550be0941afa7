#include "commands/doc_page.h"

#include <gtest/gtest.h>

#include "commands/doc_render.h"
#include "commands/doxygen_filter.h"
#include "engine/signature.h"
#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::Editor;

// A signature as "scope|keyword|name|return" and each parameter as
// "passing optional paramArray name array type = default".
std::string Shown(const std::optional<Signature>& s) {
  if (!s) return "none";
  std::string shown = ToUtf8(s->scope + u"|" + s->keyword + u"|" + s->name + u"|" + s->returnType);
  for (const auto& p : s->params) {
    shown += " [" + ToUtf8(p.passing) + (p.optional ? " opt" : "") + (p.paramArray ? " pa" : "") + " " +
             ToUtf8(p.name) + (p.array ? "()" : "") + " " + ToUtf8(p.type) + " = " + ToUtf8(p.defaultValue) +
             "]";
  }
  return shown;
}

TEST(Signature, ReadsEachPartAsDeclared) {
  const struct {
    std::u16string declaration;
    std::string shown;
  } cases[] = {
      {u"Public Function Add(ByVal a As Long, Optional ByRef b As String = \"x, (y)\") As Long",
       "Public|Function|Add|Long [ByVal a Long = ] [ByRef opt b String = \"x, (y)\"]"},
      {u"private static sub Run()", "private|Sub|Run|"},
      {u"Sub Go(x, Optional y = 5) ' note (a, b)", "|Sub|Go| [ x  = ] [ opt y  = 5]"},
      {u"Friend Property Get Item(ByVal i As Long) As Variant()",
       "Friend|Property Get|Item|Variant() [ByVal i Long = ]"},
      {u"Property Let Value(ParamArray args() As Variant)", "|Property Let|Value| [ pa args() Variant = ]"},
      {u"Function F(a As Excel.Range, b(1 To 2) As Long) As Excel.Range",
       "|Function|F|Excel.Range [ a Excel.Range = ] [ b() Long = ]"},
      {u"Dim x As Long", "none"},
      {u"Sub Broken(a As Long", "none"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Shown(ReadSignature(c.declaration)), c.shown) << ToUtf8(c.declaration);
}

constexpr std::u16string_view kModule =
    u"'/**\n' * Tools.\n' * @modulename mdlTools\n' * @auther 山田\n' * @version 1.0\n' * @since 2020\n' */\n"
    u"Option Explicit\n\n"
    u"'/**\n' * Adds.\n' * second line\n' * @return - the sum\n' * @param A: the first\n"
    u"' * @param Optional note - a note\n' *   continued\n' * @param gone - stale\n' * @see Sub2\n' */\n"
    u"Public Function Add(ByVal a As Long, _\n    Optional note As String = \"\") As Long\nEnd Function\n\n"
    u"Private Sub Hidden()\nEnd Sub\n\n"
    u"'/**\n' * Documented, private.\n' */\nPrivate Sub Kept()\nEnd Sub\n\n"
    u"Property Get P() As Long\nEnd Property\n\nProperty Let P(ByVal v As Long)\nEnd Property\n";

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
  EXPECT_EQ(names, (std::vector<std::u16string>{u"add", u"kept", u"p-get", u"p-let"}));

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

TEST(ModulePage, KnowsTheKindFromTheFile) {
  const struct {
    std::string head;
    std::string extension;
    ModuleKind kind;
  } cases[] = {
      {"Attribute VB_Name = \"m\"\r\n", ".bas", ModuleKind::Standard},
      {"VERSION 1.0 CLASS\r\nBEGIN\r\n", ".txt", ModuleKind::Class},
      {"VERSION 1.0 CLASS\r\nAttribute VB_Base = \"0{00020820-0000-0000-C000-000000000046}\"\r\n", ".cls",
       ModuleKind::Document},
      {"", ".doccls", ModuleKind::Document},
      {"VERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} frmMain\r\n", ".FRM", ModuleKind::Form},
  };
  for (const auto& c : cases) EXPECT_EQ(ModuleKindOf(c.head, c.extension), c.kind) << c.head;
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
      u"' * @auther m\n' */\nPublic Function Add(ByVal x As Long, _\n  Optional z = 1) As Long\nEnd "
      u"Function\n",
      u"mdlA");
  const auto lines = FilterForDoxygen(editor.vbe.Module(), ModuleKind::Standard, 12,
                                      [](LineNumber line) { return line + 1; });
  const std::vector<std::u16string> expected{
      u"class mdlA { ",
      u"",
      u"/**",
      u" * @brief Adds; a * / b.",
      u" * @param x the x",
      u" * @par \\@param y - no such",
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
