#include <gtest/gtest.h>

#include "engine/failure.h"
#include "engine/text.h"
#include "tests/commands/fakes.h"

namespace tamvo {
namespace {

using test::Editor;

std::u16string StoredAuthor(Editor& editor) {
  return editor.settings.GetSetting(u"tamv", u"settings", u"auther", u"<none>");
}

TEST(InsertModuleHeader, WritesTheHeaderAboveEverythingAndRemembersTheAuthor) {
  Editor editor(u"Option Explicit\nSub A()\nEnd Sub\n", u"mdlTools");
  editor.ui.answer = u"山田 太郎";
  editor.commands.InsertModuleHeader();
  EXPECT_EQ(ToUtf8(editor.Text()),
            ToUtf8(u"'/**\n' * .\n' * \n' * @modulename mdlTools\n' * @auther     山田 太郎\n"
                   u"' * @version    1.0.0\n' */\nOption Explicit\nSub A()\nEnd Sub\n"));
  EXPECT_EQ(editor.Caret().startLine, 2);
  EXPECT_EQ(editor.Caret().startColumn, 5);
  EXPECT_EQ(editor.ui.prompts, std::vector<std::u16string>{u"作成者名"});
  EXPECT_EQ(editor.ui.presets, std::vector<std::u16string>{u""});
  EXPECT_EQ(StoredAuthor(editor), u"山田 太郎");
  EXPECT_TRUE(editor.ui.messages.empty());

  // Run again: the old header goes, the stored author is the preset.
  editor.ui.answer.reset();
  editor.commands.InsertModuleHeader();
  EXPECT_EQ(editor.ui.presets.back(), u"山田 太郎");
  EXPECT_EQ(ToUtf8(editor.Text()),
            ToUtf8(u"'/**\n' * .\n' * \n' * @modulename mdlTools\n' * @auther     \n"
                   u"' * @version    1.0.0\n' */\nOption Explicit\nSub A()\nEnd Sub\n"));
  EXPECT_EQ(StoredAuthor(editor), u"");
}

TEST(InsertModuleHeader, LineBreaksInTheAuthorBecomeSpaces) {
  Editor editor(u"Sub A()\nEnd Sub\n");
  editor.ui.answer = u"a\r\nSub Evil()\rEnd Sub\nb";
  editor.commands.InsertModuleHeader();
  EXPECT_EQ(editor.vbe.Module().LineText(5), u"' * @auther     a Sub Evil() End Sub b");
  EXPECT_EQ(editor.vbe.Module().CountOfLines(), 9);
  EXPECT_EQ(StoredAuthor(editor), u"a\r\nSub Evil()\rEnd Sub\nb");
}

TEST(DeleteModuleHeader, RemovesTheCommentLinesAtTheTop) {
  const struct {
    std::u16string text;
    std::u16string left;
  } cases[] = {
      {u"' any comment\n'another\nOption Explicit\n' kept\n", u"Option Explicit\n' kept\n"},
      {u"' a\n\n' b\nSub A()\nEnd Sub\n", u"\n' b\nSub A()\nEnd Sub\n"},
      {u"' a\n  ' indented\n", u"  ' indented\n"},
      {u"\n' a\n", u"\n' a\n"},
      {u"' only\n' comments\n", u""},
      // The second line belongs to the comment: left alone it would be code.
      {u"' a _\n  continued\nOption Explicit\n", u"Option Explicit\n"},
      {u"", u""},
      {u"' a\n'@Folder(\"x\")\n' b\nOption Explicit\n", u"'@Folder(\"x\")\n' b\nOption Explicit\n"},
      // Without declarations the first procedure's own comment stands at the
      // top too: it is no part of the header.
      {u"'/**\n' * Sums.\n' * @param a\n' */\nSub F(a)\nEnd Sub\n",
       u"'/**\n' * Sums.\n' * @param a\n' */\nSub F(a)\nEnd Sub\n"},
      {u"' licence\n'/**\n' * Sums.\n' */\nSub F()\nEnd Sub\n", u"'/**\n' * Sums.\n' */\nSub F()\nEnd Sub\n"},
      {u"'/**\n' * @modulename Module1\n' */\n' about F\nSub F()\nEnd Sub\n",
       u"' about F\nSub F()\nEnd Sub\n"},
  };
  for (const auto& c : cases) {
    Editor editor(c.text);
    editor.PutCaret(1);
    editor.commands.DeleteModuleHeader();
    EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(c.left)) << ToUtf8(c.text);
    EXPECT_EQ(editor.Caret().startLine, 1);
    EXPECT_TRUE(editor.ui.messages.empty())
        << ToUtf8(editor.ui.messages.empty() ? u"" : editor.ui.messages[0].text);
  }
}

TEST(UpdateModuleHeader, OneHeaderAtTheTopWhateverStandsThere) {
  const struct {
    std::u16string name;
    std::u16string text;
    std::u16string after;
  } cases[] = {
      {u"Module1", u"'/**\n' * Sums.\n' */\nSub F(a)\nEnd Sub\n",
       u"'/**\n' * .\n' * \n' * @modulename Module1\n' * @auther     me\n' * @version    1.0.0\n' */\n"
       u"\n'/**\n' * Sums.\n' */\nSub F(a)\nEnd Sub\n"},
      // A licence at the top is no header: it stays whole, below the new one.
      {u"Module1", u"' Copyright (c) 2020 someone\n' Permission is hereby granted\nOption Explicit\n",
       u"'/**\n' * .\n' * \n' * @modulename Module1\n' * @auther     me\n' * @version    1.0.0\n' */\n"
       u"\n' Copyright (c) 2020 someone\n' Permission is hereby granted\nOption Explicit\n"},
      {u"Module1", u"'@Folder(\"x\")\n'/**\n'  @ModuleName Old\n'*/\nOption Explicit\n",
       u"'@Folder(\"x\")\n'/**\n'  @ModuleName Module1\n'*/\nOption Explicit\n"},
      {u"My Module", u"Option Explicit\n",
       u"'/**\n' * .\n' * \n' * @modulename My Module\n' * @auther     me\n' * @version    1.0.0\n' */\n"
       u"Option Explicit\n"},
  };
  for (const auto& c : cases) {
    Editor editor(c.text, c.name);
    editor.ui.answer = u"me";
    for (int run = 0; run < 3; ++run) editor.commands.UpdateModuleHeader();
    EXPECT_EQ(ToUtf8(editor.Text()), ToUtf8(c.after));
    EXPECT_TRUE(editor.ui.messages.empty());
  }
}

// A module whose component can't be named: the new header can't be composed.
class NamelessModule : public MemoryModule {
 public:
  using MemoryModule::MemoryModule;
  std::u16string ComponentName() override { throw Failure(u"Automation error"); }
};

TEST(InsertModuleHeader, AFailureToComposeKeepsTheOldHeader) {
  const std::u16string text = u"' old header\nOption Explicit\n";
  auto module = std::make_shared<NamelessModule>(u"x", SplitLines(text));
  MemoryVbe vbe(module);
  EventTable events;
  test::FakeUi ui;
  test::FakeSettings settings;
  Commands commands(vbe, events, ui, settings);
  ui.answer = u"me";
  commands.InsertModuleHeader();
  EXPECT_EQ(module->Text(), u"' old header\r\nOption Explicit");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, u"Automation error");
}

}  // namespace
}  // namespace tamvo
