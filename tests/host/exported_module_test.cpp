#include "host/exported_module.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/failure.h"

namespace tamvo {
namespace {

TEST(ExportedModule, KnowsTheKindFromTheHeaderOrTheExtension) {
  const struct {
    std::u16string_view text;
    std::u16string_view extension;
    ModuleKind kind;
  } cases[] = {
      {u"Attribute VB_Name = \"m\"\r\nSub A()\r\n", u".bas", ModuleKind::Standard},
      {u"VERSION 1.0 CLASS\r\nBEGIN\r\nEND\r\n", u".txt", ModuleKind::Class},
      {u"VERSION 1.0 CLASS\r\nAttribute VB_Base = \"0{00020820-0000-0000-C000-000000000046}\"\r\n", u".cls",
       ModuleKind::Document},
      {u"", u".doccls", ModuleKind::Document},
      {u"VERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} frmMain\r\nEnd\r\n", u".FRM",
       ModuleKind::Form},
      // Below the header the words are code, not a kind.
      {u"Sub A()\r\n' VERSION 1.0 CLASS\r\nEnd Sub\r\n", u".bas", ModuleKind::Standard},
  };
  for (const auto& c : cases) {
    const ExportedModule module = ExportedModule::FromText(c.text, u"stem");
    EXPECT_EQ(std::max(module.Kind(), ModuleKindOfExtension(c.extension)), c.kind);
  }
}

// The text as read comes back whole, and so do the hidden lines through
// edits of the lines around them.
TEST(ExportedModule, GivesItsTextBackWithTheHiddenLinesWhereTheyStood) {
  const struct {
    const char* what;
    std::u16string_view text;
    LineNumber deleteLine;  // 0: no edit
    std::u16string_view insert;
    std::u16string_view expected;
  } cases[] = {
      {"mixed line ends, no last one", u"Attribute VB_Name = \"M\"\nSub A()\r\nEnd Sub\rx", 0, u"",
       u"Attribute VB_Name = \"M\"\nSub A()\r\nEnd Sub\rx"},
      {"a hidden line below a deleted line moves down",
       u"VERSION 1.0 CLASS\r\nSub A()\r\nAttribute A.VB_Description = \"d\"\r\nEnd Sub\r\n", 1, u"",
       u"VERSION 1.0 CLASS\r\nAttribute A.VB_Description = \"d\"\r\nEnd Sub\r\n"},
      {"a new line takes the text's first line end", u"Sub A()\nEnd Sub\n", 0, u"' new",
       u"' new\nSub A()\nEnd Sub\n"},
      {"a lone CR meeting an empty line keeps that line", u"a\rb\n\nc", 2, u"", u"a\r\n\nc"},
  };
  for (const auto& c : cases) {
    const ExportedModule module = ExportedModule::FromText(c.text, u"stem");
    if (c.deleteLine) module.Module()->DeleteLines(c.deleteLine, 1);
    if (!c.insert.empty()) module.Module()->InsertLines(1, c.insert);
    EXPECT_EQ(module.Text(), c.expected) << c.what;
  }
}

TEST(ExportedModule, MapsFileLinesAndModuleLinesBothWays) {
  const ExportedModule module = ExportedModule::FromText(
      u"VERSION 1.0 CLASS\nBEGIN\nEND\nAttribute VB_Name = \"C\"\nSub A()\nAttribute A.VB_UserMemId = 0\n"
      u"Attribute A.VB_Description = \"d\"\nEnd Sub\nSub B()\nEnd Sub\n",
      u"stem");
  EXPECT_EQ(module.Name(), u"C");
  const ModuleLineMap& map = module.LineMap();
  ASSERT_EQ(map.FileLineCount(), 10);
  const std::vector<LineNumber> moduleLines = {0, 0, 0, 0, 1, 1, 1, 2, 3, 4};
  for (LineNumber line = 1; line <= 10; ++line)
    EXPECT_EQ(map.ModuleLineOfFileLine(line), moduleLines[line - 1]);
  EXPECT_THROW(map.ModuleLineOfFileLine(11), Failure);
  EXPECT_EQ(map.FileLinesOfModuleLines(), (std::vector<LineNumber>{0, 5, 8, 9, 10}));
  for (LineNumber line = 1; line <= 4; ++line) {
    EXPECT_EQ(map.FileLineOfModuleLine(line), map.FileLinesOfModuleLines()[static_cast<std::size_t>(line)]);
  }
}

TEST(ExportedModule, RefusesABeginBlockWithoutItsEnd) {
  EXPECT_THROW(ExportedModule::FromText(u"VERSION 5.00\r\nBegin VB.Form F\r\nSub A()\r\n", u"F"), Failure);
}

}  // namespace
}  // namespace tamvo
