#include "lsp/recorded_edits.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/text.h"

namespace tamvo::lsp {
namespace {

// Line ends shown, for a failure's message.
std::string Shown(std::u16string_view text) {
  std::string shown;
  for (const char16_t c : text) {
    shown += c == u'\r' ? std::string("\\r") : c == u'\n' ? std::string("\\n\n") : ToUtf8({&c, 1});
  }
  return shown;
}

// Modules with a hidden header or none, Attribute lines among their lines,
// CR LF, LF and CR line ends mixed, with and without a final line end, and
// lines inserted and deleted anywhere: the recorded edits applied to the
// text give what Text() gives, and Undo gives the module back.
TEST(RecordedEdits, AppliedToTheTextGiveWhatTextGives) {
  std::mt19937 random(1);
  const auto pick = [&](auto& choices) { return choices[random() % std::size(choices)]; };
  const std::u16string ends[] = {u"\r\n", u"\n", u"\r"};
  const std::u16string lines[] = {u"Sub A()", u"End Sub", u"", u"' note", u"x = 1", u"Attribute A.VB_X = 1"};
  for (int round = 0; round < 4000; ++round) {
    std::u16string text;
    if (random() % 2) {
      for (const char16_t* header : {u"VERSION 1.0 CLASS", u"BEGIN", u"  MultiUse = -1", u"END"}) {
        text += header + pick(ends);
      }
    }
    for (auto count = random() % 8; count > 0; --count) text += pick(lines) + (count > 1 ? pick(ends) : u"");
    if (random() % 2) text += pick(ends);
    ExportedModule file = ExportedModule::FromText(text, u"m");
    const std::u16string before = file.Module()->Text();

    RecordingModule recording(*file.Module());
    for (auto count = random() % 5; count > 0; --count) {
      const LineNumber lineCount = recording.CountOfLines();
      if (lineCount > 0 && random() % 2) {
        const LineNumber start = 1 + static_cast<LineNumber>(random() % lineCount);
        recording.DeleteLines(start, 1 + static_cast<LineNumber>(random() % (lineCount - start + 1)));
      } else {
        std::u16string code;
        for (auto added = random() % 4; added > 0; --added)
          code += pick(lines) + (added > 1 ? pick(ends) : u"");
        if (random() % 3 == 0) code += pick(ends);
        // Past the end, as the editor does, it adds at the end.
        recording.InsertLines(1 + static_cast<LineNumber>(random() % (lineCount + 2)), code);
      }
    }
    const std::vector<TextEdit> edits =
        RecordedEdits(recording.Record(), file.LineMap(), LinesWithEnds(text));
    EXPECT_EQ(Shown(ApplyEdits(text, edits)), Shown(file.Text())) << "of\n" << Shown(text);
    for (const TextEdit& edit : edits) {
      // Whole lines, but for an edit that ends a text without a final line end.
      EXPECT_TRUE(edit.start.character == 0 || edit.start.line == edit.end.line) << Shown(text);
    }
    recording.Undo();
    EXPECT_EQ(Shown(file.Module()->Text()), Shown(before));
    if (testing::Test::HasFailure()) return;
  }
}

}  // namespace
}  // namespace tamvo::lsp
