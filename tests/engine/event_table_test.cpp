#include "engine/event_table.h"

#include <gtest/gtest.h>

#include "engine/text.h"

namespace tamvo {
namespace {

TEST(EventTable, SummariesOfTheBuiltTable) {
  EventTable table;
  table.InitEventTable();
  const struct {
    std::u16string name;
    std::u16string summary;
  } cases[] = {
      {u"Form_Load", u"Form 読み込み時"},
      {u"cmdExec_Click", u"cmdExec クリック時"},
      {u"Worksheet_SelectionChange", u"Worksheet 選択対象変更時"},
      {u"Text1_LostFocus", u"Text1 フォーカス喪失後"},
      {u"Form_load", u"Form"},
      {u"Calc_Sum", u"Calc"},
      {u"a_b_Click", u"a"},
      {u"_Click", u"クリック時"},
      {u"Form_", u"Form"},
      {u"Main", u""},
      {u"", u""},
      // Rows that share a description keep it.
      {u"Report_AfterFinalRender", u"Report 削除前確認"},
      {u"Report_BeforeRender", u"Report 描画終了後"},
      {u"Chart_PivotTableChange", u"Chart ピボットテーブルの変更時"},
      {u"x_ViewChange", u"x ビュー変更時"},
      {u"x_Activate", u"x アクティブ時"},
  };
  for (const auto& c : cases) EXPECT_EQ(table.GetProcSummary(c.name), c.summary) << ToUtf8(c.name);
}

TEST(EventTable, LifeCycle) {
  EventTable table;
  EXPECT_FALSE(table.EventTableReady());
  EXPECT_EQ(table.GetProcSummary(u"Form_Load"), u"");
  table.InitEventTable();
  EXPECT_TRUE(table.EventTableReady());
  table.InitEventTable();
  EXPECT_EQ(table.GetProcSummary(u"Form_Load"), u"Form 読み込み時");
  table.ReleaseEventTable();
  EXPECT_FALSE(table.EventTableReady());
  EXPECT_EQ(table.GetProcSummary(u"Form_Load"), u"");
  table.InitEventTable();
  EXPECT_EQ(table.GetProcSummary(u"Form_Load"), u"Form 読み込み時");
}

TEST(EventTable, NameSplitsAtTheFirstUnderscore) {
  EXPECT_EQ(GetObjectName(u"a_b_Click"), u"a");
  EXPECT_EQ(GetEventName(u"a_b_Click"), u"b_Click");
  EXPECT_EQ(GetObjectName(u"_x"), u"");
  EXPECT_EQ(GetEventName(u"x_"), u"");
  EXPECT_EQ(GetObjectName(u"Main"), u"");
  EXPECT_EQ(GetEventName(u"Main"), u"");
}

}  // namespace
}  // namespace tamvo
