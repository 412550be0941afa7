#include "host/module_file.h"

#include <gtest/gtest.h>

#include "engine/failure.h"
#include "engine/text.h"
#include "host/code_page.h"

namespace tamvo {
namespace {

// cp932 bytes of "日本語".
const std::string kNihongoCp932 = "\x93\xfa\x96\x7b\x8c\xea";

struct FileCase {
  const char* what;
  std::string bytes;
  FileEncoding encoding;
  std::u16string moduleText;  // the lines the commands see, joined by CR LF
  std::u16string name;
};

const FileCase kFiles[] = {
    {"standard module, cp932, CR LF",
     "Attribute VB_Name = \"mdl" + kNihongoCp932 + "\"\r\nOption Explicit\r\n' " + kNihongoCp932 +
         "\r\nSub A()\r\nEnd Sub\r\n",
     FileEncoding::Legacy, u"Option Explicit\r\n' 日本語\r\nSub A()\r\nEnd Sub", u"mdl日本語"},
    {"class module with its header block, LF, no final line end",
     "VERSION 1.0 CLASS\nBEGIN\n  MultiUse = -1  'True\nEND\nAttribute VB_Name = \"clsItem\"\n"
     "Attribute VB_GlobalNameSpace = False\nAttribute VB_Exposed = False\nOption Explicit\n"
     "Public Property Get Item() As Long\nAttribute Item.VB_UserMemId = 0\nEnd Property",
     FileEncoding::Legacy, u"Option Explicit\r\nPublic Property Get Item() As Long\r\nEnd Property",
     u"clsItem"},
    {"form with a nested designer block, UTF-8 with byte order mark",
     "\xEF\xBB\xBFVERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} frmMain \r\n"
     "   Caption         =   \"End\"\r\n   Begin VB.CommandButton cmd \r\n      BeginProperty Font \r\n"
     "      EndProperty\r\n   End\r\nEnd\r\nAttribute VB_Name = \"frmMain\"\r\n"
     "Private Sub cmd_Click()\r\nEnd Sub\r\n",
     FileEncoding::Utf8Bom, u"Private Sub cmd_Click()\r\nEnd Sub", u"frmMain"},
    {"VB6 form naming its control libraries between VERSION and Begin",
     "VERSION 5.00\r\nObject = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"\r\n"
     "Object=\"{F9043C88-F6F2-101A-A3C9-08002B2F49FB}#1.2#0\"; \"COMDLG32.OCX\"\r\n"
     "Begin VB.Form frmList \r\n   Begin MSComctlLib.ListView lv \r\n   End\r\nEnd\r\n"
     "Attribute VB_Name = \"frmList\"\r\nPrivate Sub Form_Load()\r\nEnd Sub\r\n",
     FileEncoding::Legacy, u"Private Sub Form_Load()\r\nEnd Sub", u"frmList"},
    {"UTF-8 without byte order mark, mixed and lone CR line ends",
     "Option Explicit\r\n' \xE6\x97\xA5\xE6\x9C\xAC\nSub A()\rEnd Sub\n", FileEncoding::Utf8,
     u"Option Explicit\r\n' 日本\r\nSub A()\r\nEnd Sub", u"stem"},
    {"document module from Access: Attribute lines first, no name",
     "Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = True\r\nOption Compare "
     "Database\r\n",
     FileEncoding::Legacy, u"Option Compare Database", u"stem"},
    {"a WithEvents variable with its help id",
     "Private WithEvents app As Application\r\n"
     "Attribute app.VB_VarHelpID = -1\r\n",
     FileEncoding::Legacy, u"Private WithEvents app As Application", u"stem"},
    {"half-width katakana in cp932, also valid UTF-8 below U+0800", "' \xC3\xBD\r\n", FileEncoding::Legacy,
     u"' ﾃｽ", u"stem"},
    {"UTF-8 below U+0800 that cp932 can't read (Cyrillic)", "' \xD0\x94\r\n", FileEncoding::Utf8, u"' Д",
     u"stem"},
    {"an empty file", "", FileEncoding::Legacy, u"", u"stem"},
    {"only blank lines", "\r\n\r\n", FileEncoding::Legacy, u"\r\n", u"stem"},
};

class ModuleFileTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(ModuleFileTest, ShowsTheModuleLinesAndGivesTheBytesBack) {
  const auto& c = GetParam();
  const ModuleFile file = ModuleFile::Parse(c.bytes, u"stem");
  EXPECT_EQ(file.Encoding(), c.encoding);
  EXPECT_EQ(ToUtf8(file.Module()->Text()), ToUtf8(c.moduleText));
  EXPECT_EQ(file.Module()->ComponentName(), c.name);
  EXPECT_EQ(file.Serialize(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, ModuleFileTest, ::testing::ValuesIn(kFiles),
                         [](const auto& info) { return "File" + std::to_string(info.index); });

TEST(ModuleFile, HiddenLinesStayUnderTheirLineThroughEdits) {
  ModuleFile file = ModuleFile::Parse(
      "Attribute VB_Name = \"c\"\r\n' old\r\nAttribute Item.VB_Description = \"x\"\r\n"
      "Public Property Get Item() As Long\r\nAttribute Item.VB_UserMemId = 0\r\nEnd Property\r\n",
      u"c");
  auto& module = *file.Module();
  // The comment goes; the attribute line below it stays, above the next line kept.
  module.DeleteLines(1, 1);
  module.InsertLines(1, u"'/**\r\n' */");
  EXPECT_EQ(file.Serialize(),
            "Attribute VB_Name = \"c\"\r\n'/**\r\n' */\r\nAttribute Item.VB_Description = \"x\"\r\n"
            "Public Property Get Item() As Long\r\nAttribute Item.VB_UserMemId = 0\r\nEnd Property\r\n");
}

TEST(ModuleFile, NewLinesTakeTheFileLineEndAndEncoding) {
  ModuleFile file = ModuleFile::Parse("Sub A()\nEnd Sub", u"m");
  file.Module()->InsertLines(3, u"' 日本語");
  file.Module()->InsertLines(1, u"' x");
  EXPECT_EQ(file.Serialize(), "' x\nSub A()\nEnd Sub\n' " + kNihongoCp932);
}

// Lines that are not plain ASCII are held decoded; around inserted lines
// they must still be written back as their own bytes.
TEST(ModuleFile, LinesNotAsciiKeepTheirBytesAroundInsertedLines) {
  for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
    const std::string line = bom.empty() ? "' " + kNihongoCp932 : "' \xC3\xA9 \xE6\x97\xA5";
    ModuleFile file = ModuleFile::Parse(bom + line + "\r\nSub A()\r\n" + line + "\r\nEnd Sub\r\n", u"m");
    auto& module = *file.Module();
    module.InsertLines(4, u"' x");
    module.InsertLines(2, u"' y");
    module.InsertLines(1, u"' z");
    EXPECT_EQ(file.Serialize(),
              bom + "' z\r\n" + line + "\r\n' y\r\nSub A()\r\n" + line + "\r\n' x\r\nEnd Sub\r\n");
    EXPECT_EQ(module.LineText(5), bom.empty() ? u"' 日本語" : u"' é 日");
  }
}

// A description set on a file goes out in the file's encoding, and the
// hidden lines around it keep their bytes (a line end of their own too).
TEST(ModuleFile, DescriptionsGoOutInTheFilesEncoding) {
  ModuleFile file = ModuleFile::Parse(
      "Attribute VB_Name = \"m\"\r\nSub A()\nAttribute A.VB_UserMemId = 0\r\nEnd Sub\r\n", u"m");
  file.Exported().SetDescription(1, u"A", u"日本語");
  EXPECT_EQ(file.Serialize(), "Attribute VB_Name = \"m\"\r\nSub A()\nAttribute A.VB_Description = \"" +
                                  kNihongoCp932 + "\"\r\nAttribute A.VB_UserMemId = 0\r\nEnd Sub\r\n");
  file.Exported().SetDescription(1, u"A", u"\U0001F600");
  EXPECT_THROW(file.Serialize(), Failure);
}

TEST(ModuleFile, TextTheEncodingCantHoldIsAFailure) {
  ModuleFile file = ModuleFile::Parse("Sub A()\r\nEnd Sub\r\n", u"m");
  file.Module()->InsertLines(1, u"' \U0001F600");
  EXPECT_THROW(file.Serialize(), Failure);
}

TEST(ModuleFile, UnreadableInputIsAFailure) {
  EXPECT_THROW(ModuleFile::Parse(std::string("Sub A()\0\x01", 9), u"m"), Failure);
  try {
    ModuleFile::Parse("Sub A()\r\n' \x81\x20\r\n", u"m");
    FAIL() << "invalid cp932 was read";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Description().rfind(u"line 2: ", 0), 0u) << ToUtf8(failure.Description());
  }
  EXPECT_THROW(ModuleFile::Parse("x", u"m", "NO-SUCH-CODE-PAGE"), Failure);
}

TEST(ModuleFile, ALoneCrMeetingAnEmptyLfLineKeepsBothLines) {
  ModuleFile file = ModuleFile::Parse("Option Explicit\r' old\r\n\nSub A()\nEnd Sub\n", u"m");
  file.Module()->DeleteLines(2, 1);
  const std::string saved = file.Serialize();
  EXPECT_EQ(saved, "Option Explicit\r\n\nSub A()\nEnd Sub\n");
  EXPECT_EQ(ToUtf8(ModuleFile::Parse(saved, u"m").Module()->Text()),
            "Option Explicit\r\n\r\nSub A()\r\nEnd Sub");
}

TEST(ModuleFile, ALoneSurrogateInNewTextIsAFailureThatNamesIt) {
  ModuleFile file = ModuleFile::Parse("' \xE6\x97\xA5\r\nSub A()\r\nEnd Sub\r\n", u"m");
  file.Module()->InsertLines(1, std::u16string(u"' x") + char16_t(0xD800));
  try {
    file.Serialize();
    FAIL() << "a lone surrogate was written";
  } catch (const Failure& failure) {
    EXPECT_NE(failure.Description().find(u"holds a lone UTF-16 surrogate (U+D800), which UTF-8 can't hold"),
              std::u16string::npos)
        << ToUtf8(failure.Description());
  }
}

TEST(ModuleFile, FileLinesMapToModuleLines) {
  const ModuleFile file = ModuleFile::Parse(
      "Attribute VB_Name = \"m\"\r\nSub A()\r\nAttribute A.VB_Description = \"d\"\r\n  x = 1\r\nEnd Sub\r\n",
      u"m");
  const LineNumber expected[] = {0, 1, 1, 2, 3};
  for (LineNumber line = 1; line <= 5; ++line) {
    EXPECT_EQ(file.LineMap().ModuleLineOfFileLine(line), expected[line - 1]);
  }
  EXPECT_THROW(file.LineMap().ModuleLineOfFileLine(6), Failure);
  EXPECT_THROW(file.LineMap().ModuleLineOfFileLine(0), Failure);
}

}  // namespace
}  // namespace tamvo
