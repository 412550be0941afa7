#include "engine/event_table.h"

#include <utility>

#include "engine/text.h"

namespace tamvo {

namespace {

// The rows as the tool has always shipped them, descriptions that several
// events share included.
constexpr std::pair<const char16_t*, const char16_t*> kEventRows[] = {
    {u"Activate", u"アクティブ時"},
    {u"AfterDelConfirm", u"削除後確認"},
    {u"AfterFinalRender", u"削除前確認"},
    {u"AfterInsert", u"挿入前処理"},
    {u"AfterLayout", u"挿入後処理"},
    {u"AfterRender", u"描画終了後"},
    {u"AfterUpdate", u"更新後処理"},
    {u"ApplyFilter", u"フィルタ設定時"},
    {u"BeforeDelConfirm", u"削除前確認"},
    {u"BeforeInsert", u"挿入前処理"},
    {u"BeforeQuery", u"クエリ実行前"},
    {u"BeforeRender", u"描画終了後"},
    {u"BeforeScreenTip", u"ヒント表示前"},
    {u"BeforeUpdate", u"更新前処理"},
    {u"Change", u"変更時"},
    {u"Click", u"クリック時"},
    {u"Close", u"閉じる時"},
    {u"CommandBeforeExecute", u"コマンド実行前時"},
    {u"CommandChecked", u"コマンドチェック時"},
    {u"CommandEnabled", u"コマンド有効時"},
    {u"CommandExecute", u"コマンド実行時"},
    {u"Current", u"レコード移動時"},
    {u"DataChange", u"データ変更時"},
    {u"DataSetChange", u"データセット変更時"},
    {u"DblClick", u"ダブルクリック時"},
    {u"Deactivate", u"非アクティブ時"},
    {u"Delete", u"レコード削除時"},
    {u"Dirty", u"ダーティ時"},
    {u"Enter", u"フォーカス取得時"},
    {u"Error", u"エラー時"},
    {u"Exit", u"フォーカス喪失時"},
    {u"Filter", u"フィルタ設定時"},
    {u"GotFocus", u"フォーカス取得後"},
    {u"KeyDown", u"キークリック時"},
    {u"KeyPress", u"キー入力時"},
    {u"KeyUp", u"キー解放時"},
    {u"Load", u"読み込み時"},
    {u"LostFocus", u"フォーカス喪失後"},
    {u"MouseDown", u"マウスボタンクリック時"},
    {u"MouseMove", u"マウスボタン移動時"},
    {u"MouseUp", u"マウスボタン解放時"},
    {u"MouseWheel", u"マウスホイール使用時"},
    {u"NotInList", u"リスト外入力時"},
    {u"OnConnect", u"接続時"},
    {u"OnDisconnect", u"切断時"},
    {u"Open", u"開く時"},
    {u"PivotTableChange", u"ピボットテーブルの変更時"},
    {u"Query", u"クエリ実行時"},
    {u"Resize", u"サイズ変更時"},
    {u"SelectionChange", u"選択対象変更時"},
    {u"Timer", u"タイマ時"},
    {u"Undo", u"取り消し時"},
    {u"Unload", u"読み込み解除時"},
    {u"ViewChange", u"ビュー変更時"},
};
static_assert(std::size(kEventRows) == 54);

}  // namespace

std::u16string GetEventName(std::u16string_view procName) {
  const auto p = procName.find(u'_');
  return p == std::u16string_view::npos ? std::u16string() : std::u16string(procName.substr(p + 1));
}

std::u16string GetObjectName(std::u16string_view procName) {
  const auto p = procName.find(u'_');
  return p == std::u16string_view::npos ? std::u16string() : std::u16string(procName.substr(0, p));
}

void EventTable::InitEventTable() {
  std::unordered_map<std::u16string, std::u16string> table;
  for (const auto& [event, description] : kEventRows) table.emplace(event, description);
  eventSummaryTable_ = std::move(table);
  eventTableReady_ = true;
}

void EventTable::ReleaseEventTable() noexcept {
  eventSummaryTable_.reset();
  eventTableReady_ = false;
}

std::u16string EventTable::GetProcSummary(std::u16string_view procName) const noexcept {
  try {
    // A name without "_" names no event, and its object and description are
    // both empty: most procedures are spared the lookup.
    if (!eventTableReady_ || !eventSummaryTable_ || procName.find(u'_') == std::u16string_view::npos)
      return {};
    const std::u16string event = GetEventName(procName);
    const auto row = eventSummaryTable_->find(event);
    const std::u16string description = row == eventSummaryTable_->end() ? u"" : row->second;
    return TrimSpaces(GetObjectName(procName) + u" " + description);
  } catch (...) {
    return {};
  }
}

}  // namespace tamvo
