#include "commands/descriptions.h"

#include <gtest/gtest.h>

#include "commands/lint.h"
#include "commands/update.h"
#include "engine/event_table.h"
#include "engine/text.h"

namespace tamvo {
namespace {

std::u16string Crlf(std::u16string_view text) {
  std::u16string out;
  for (const char16_t c : text) {
    if (c == u'\n') out += u'\r';
    out += c;
  }
  return out;
}

// Descriptions written from the summaries, then the same run again: each
// case's file as it comes out, and nothing changes the second time.
TEST(Descriptions, WrittenFromSummariesAndSeedingThem) {
  const struct {
    const char* what;
    std::u16string_view text;
    std::u16string_view expected;
  } cases[] = {
      {"a new attribute right below the declaration's last line, quotes doubled, lines joined",
       u"Attribute VB_Name = \"M\"\n'/**\n' * Says \"hi\"\n' * to all.\n' */\nSub A(x, _\n y)\nEnd Sub\n",
       u"Attribute VB_Name = \"M\"\n'/**\n' * Says \"hi\"\n' * to all.\n' */\nSub A(x, _\n y)\n"
       u"Attribute A.VB_Description = \"Says \"\"hi\"\" to all.\"\nEnd Sub\n"},
      {"one that is there is updated, the other attributes stay",
       u"'/**\n' * New.\n' */\nSub A()\nAttribute A.VB_UserMemId = 0\nattribute a.vb_description = "
       u"\"Old\"\nEnd Sub\n",
       u"'/**\n' * New.\n' */\nSub A()\nAttribute A.VB_UserMemId = 0\nAttribute A.VB_Description = \"New.\"\n"
       u"End Sub\n"},
      {"an empty summary writes nothing, removes nothing, and is seeded by the description",
       u"'/**\n' * .\n' */\nSub A()\nAttribute A.VB_Description = \"Runs it.\"\nEnd Sub\n"
       u"'/**\n' * .\n' */\nSub B()\nEnd Sub\n",
       u"'/**\n' * Runs it.\n' */\nSub A()\nAttribute A.VB_Description = \"Runs it.\"\nEnd Sub\n"
       u"'/**\n' * .\n' */\nSub B()\nEnd Sub\n"},
      {"a property once, on its first accessor",
       u"'/**\n' * The count.\n' * Getter: N\n' */\nProperty Get N()\nEnd Property\n"
       u"'/**\n' * Sets it.\n' * Setter: N\n' */\nProperty Let N(v)\nEnd Property\n",
       u"'/**\n' * The count.\n' * Getter: N\n' */\nProperty Get N()\nAttribute N.VB_Description = \"The "
       u"count.\"\n"
       u"End Property\n'/**\n' * Sets it.\n' * Setter: N\n' */\nProperty Let N(v)\nEnd Property\n"},
      {"the header's summary goes among the header's attributes",
       u"VERSION 1.0 CLASS\nAttribute VB_Name = \"C\"\n'/**\n' * Counts things.\n' * @modulename C\n' */\n",
       u"VERSION 1.0 CLASS\nAttribute VB_Name = \"C\"\nAttribute VB_Description = \"Counts things.\"\n'/**\n"
       u"' * Counts things.\n' * @modulename C\n' */\n"},
      {"a document's module is left alone",
       u"VERSION 1.0 CLASS\nAttribute VB_Base = \"0{00020820-0000-0000-C000-000000000046}\"\n'/**\n' * "
       u"Sheet.\n"
       u"' */\nSub A()\nEnd Sub\n",
       u"VERSION 1.0 CLASS\nAttribute VB_Base = \"0{00020820-0000-0000-C000-000000000046}\"\n'/**\n' * "
       u"Sheet.\n"
       u"' */\nSub A()\nEnd Sub\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::u16string text = Crlf(c.text);
    for (int run = 0; run < 2; ++run) {
      ExportedModule exported = ExportedModule::FromText(text, u"M");
      SeedSummariesFromDescriptions(exported);
      WriteDescriptions(exported);
      EXPECT_TRUE(StaleDescriptions(exported).empty());
      text = exported.Text();
      EXPECT_EQ(ToUtf8(text), ToUtf8(Crlf(c.expected))) << "run " << run + 1;
    }
  }
}

TEST(Descriptions, StaleWhereTheAttributeSaysOtherwise) {
  ExportedModule exported = ExportedModule::FromText(
      Crlf(u"'/**\n' * Adds.\n' */\nSub A()\nAttribute A.VB_Description = \"Subtracts.\"\nEnd Sub\n"
           u"'/**\n' * Same.\n' */\nSub B()\nAttribute B.VB_Description = \"Same.\"\nEnd Sub\n"),
      u"M");
  const auto stale = StaleDescriptions(exported);
  ASSERT_EQ(stale.size(), 1u);
  EXPECT_EQ(stale[0].procedure, u"A");
  EXPECT_EQ(stale[0].line, 4);
  EXPECT_EQ(stale[0].description, u"Subtracts.");

  LintOptions options;
  options.descriptions = &exported;
  std::vector<std::u16string> found;
  for (const LintFinding& finding : LintModule(*exported.Module(), options)) {
    if (finding.rule == LintRule::DescriptionStale) found.push_back(finding.message);
  }
  EXPECT_EQ(found, std::vector<std::u16string>{u"the description of A is not its summary: \"Subtracts.\""});
  EXPECT_TRUE(LintModule(*exported.Module()).empty()) << "descriptions off: no such finding";
}

// A first block adopted from a comment beside a description that says
// something else: writing the summary must not lose the description's words.
TEST(Descriptions, AFirstBlockKeepsTheWordsOfTheDescriptionItReplaces) {
  const struct {
    const char* what;
    std::u16string_view text;
    std::u16string_view summary;  // the block's summary lines after update-all, joined
  } cases[] = {
      {"other words go after the comment's",
       u"' Adds it\nSub A()\nAttribute A.VB_Description = \"Puts a new one in.\"\nEnd Sub\n",
       u"Adds it Puts a new one in."},
      {"words the comment holds already are not written twice",
       u"' Adds it. Puts a new one in.\nSub A()\nAttribute A.VB_Description = \"Puts a new one in.\"\nEnd "
       u"Sub\n",
       u"Adds it. Puts a new one in."},
      {"no comment: the description seeds the summary",
       u"Sub A()\nAttribute A.VB_Description = \"Puts a new one in.\"\nEnd Sub\n", u"Puts a new one in."},
      {"a block's own summary wins over a stale description",
       u"'/**\n' * Adds it\n' */\nSub A()\nAttribute A.VB_Description = \"Puts a new one in.\"\nEnd Sub\n",
       u"Adds it"},
  };
  EventTable events;
  events.InitEventTable();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::u16string text = Crlf(c.text);
    for (int run = 0; run < 2; ++run) {
      ExportedModule exported = ExportedModule::FromText(text, u"M");
      DescriptionUpdate descriptions(exported);
      UpdateAllProcComments(*exported.Module(), events);
      descriptions.Apply();
      const std::u16string after = exported.Text();
      if (run == 1) {
        EXPECT_EQ(ToUtf8(after), ToUtf8(text)) << "a second run changes nothing";
      }
      text = after;
    }
    const std::u16string attribute = u"Attribute A.VB_Description = \"" + std::u16string(c.summary) + u"\"";
    EXPECT_NE(text.find(attribute), std::u16string::npos) << ToUtf8(text);
  }
}

}  // namespace
}  // namespace tamvo
