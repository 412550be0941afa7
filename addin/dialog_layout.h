#pragma once
// The command dialog's layout: two frames of three buttons each, in twips.
// A frame's position is measured from the dialog's client area, a button's
// from its frame's top left corner.

#include <array>
#include <optional>
#include <string_view>

#include "commands/commands.h"

namespace tamvo {

inline constexpr std::u16string_view kDialogCaption = u"コメント挿入";
inline constexpr int kDialogClientWidthTwips = 7455;
inline constexpr int kDialogClientHeightTwips = 2160;

struct ControlLayout {
  enum Kind { Frame, Button };
  Kind kind;
  int index;  // Frame1(index) or cmdExec(index)
  int frame;  // the frame a button stands in; -1 for frames
  std::u16string_view caption;
  int left;
  int top;
  int width;
  int height;
  int tabIndex;
};

// In tab order of the dialog's own table: a frame, then its buttons.
inline constexpr std::array<ControlLayout, 8> kDialogLayout{{
    {ControlLayout::Frame, 0, -1, u"コメントを挿入", 120, 120, 3495, 1935, 0},
    {ControlLayout::Button, 0, 0, u"&1. 現在のプロシージャ", 240, 360, 2895, 375, 1},
    {ControlLayout::Button, 1, 0, u"&2. 全てのプロシージャ", 240, 840, 2895, 375, 2},
    {ControlLayout::Button, 2, 0, u"&3. 現在のモジュール\u3000", 240, 1320, 2895, 375, 3},
    {ControlLayout::Frame, 1, -1, u"コメントを削除", 3840, 120, 3495, 1935, 4},
    {ControlLayout::Button, 3, 1, u"&7. 現在のプロシージャ", 240, 360, 2895, 375, 7},
    {ControlLayout::Button, 4, 1, u"&8. 全てのプロシージャ", 240, 840, 2895, 375, 6},
    {ControlLayout::Button, 5, 1, u"&9. 現在のモジュール\u3000", 240, 1320, 2895, 375, 5},
}};

// What cmdExec(index) runs; nothing for an index that is no button's.
inline constexpr std::optional<Command> CommandOfButton(int index) {
  constexpr std::array<Command, 6> kButtonCommands{
      Command::InsertCurrentProcComment, Command::InsertAllProcComments, Command::InsertModuleHeader,
      Command::DeleteCurrentProcComment, Command::DeleteAllProcComments, Command::DeleteModuleHeader,
  };
  if (index < 0 || index >= static_cast<int>(kButtonCommands.size())) return std::nullopt;
  return kButtonCommands[static_cast<std::size_t>(index)];
}

}  // namespace tamvo
