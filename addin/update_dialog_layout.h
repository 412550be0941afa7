#pragma once
// The update dialog's layout, in twips: a frame of three update buttons,
// and a frame with the active module's findings and a button that checks
// again. Positions as in the command dialog: a frame's from the dialog's
// client area, a control's from its frame's top left corner.

#include <array>
#include <optional>
#include <string_view>

#include "commands/commands.h"

namespace tamvo {

inline constexpr std::u16string_view kUpdateDialogCaption = u"コメント更新";
inline constexpr int kUpdateDialogClientWidthTwips = 10215;
inline constexpr int kUpdateDialogClientHeightTwips = 3675;

struct UpdateControlLayout {
  enum Kind { Frame, Button, List };
  Kind kind;
  int id;     // the control's id in the dialog
  int frame;  // the frame's id a control stands in; -1 for frames
  std::u16string_view caption;
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kUpdateFrameId = 900;
inline constexpr int kCheckFrameId = 901;
inline constexpr int kFirstUpdateButtonId = 1000;  // and the next two
inline constexpr int kFindingsListId = 1010;
inline constexpr int kCheckAgainButtonId = 1011;

// In tab order: the update buttons, the list, the check button; each frame
// before what stands in it.
inline constexpr std::array<UpdateControlLayout, 7> kUpdateDialogLayout{{
    {UpdateControlLayout::Frame, kUpdateFrameId, -1, u"コメントを更新", 120, 120, 3495, 3435},
    {UpdateControlLayout::Button, kFirstUpdateButtonId, kUpdateFrameId, u"&4. 現在のプロシージャ", 240, 360,
     2895, 375},
    {UpdateControlLayout::Button, kFirstUpdateButtonId + 1, kUpdateFrameId, u"&5. 全てのプロシージャ", 240,
     840, 2895, 375},
    {UpdateControlLayout::Button, kFirstUpdateButtonId + 2, kUpdateFrameId, u"&6. 現在のモジュール\u3000",
     240, 1320, 2895, 375},
    {UpdateControlLayout::Frame, kCheckFrameId, -1, u"ドキュメントの確認", 3720, 120, 6375, 3435},
    {UpdateControlLayout::List, kFindingsListId, kCheckFrameId, u"", 120, 300, 6135, 2520},
    {UpdateControlLayout::Button, kCheckAgainButtonId, kCheckFrameId, u"&0. 再確認", 120, 2940, 1800, 375},
}};

// What an update button runs; nothing for an id that is no update button's.
inline constexpr std::optional<Command> CommandOfUpdateButton(int id) {
  constexpr std::array<Command, 3> kCommands{Command::UpdateCurrentProcComment,
                                             Command::UpdateAllProcComments, Command::UpdateModuleHeader};
  const int index = id - kFirstUpdateButtonId;
  if (index < 0 || index >= static_cast<int>(kCommands.size())) return std::nullopt;
  return kCommands[static_cast<std::size_t>(index)];
}

}  // namespace tamvo
