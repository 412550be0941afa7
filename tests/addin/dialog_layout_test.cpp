#include "addin/dialog_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/text.h"

namespace tamvo {
namespace {

std::vector<ControlLayout> Of(ControlLayout::Kind kind, int frame = -2) {
  std::vector<ControlLayout> controls;
  for (const auto& c : kDialogLayout) {
    if (c.kind == kind && (frame == -2 || c.frame == frame)) controls.push_back(c);
  }
  return controls;
}

TEST(DialogLayout, FramesAndButtonsLineUp) {
  const auto frames = Of(ControlLayout::Frame);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].width, frames[1].width);
  EXPECT_EQ(frames[0].height, frames[1].height);
  EXPECT_EQ(frames[0].top, frames[1].top);
  EXPECT_EQ(kDialogClientWidthTwips - (frames[1].left + frames[1].width), frames[0].left) << "side margins";
  EXPECT_LT(frames[0].left + frames[0].width, frames[1].left);
  EXPECT_LE(frames[0].top + frames[0].height, kDialogClientHeightTwips);

  for (int frame = 0; frame < 2; ++frame) {
    const auto buttons = Of(ControlLayout::Button, frame);
    const auto& box = frames[static_cast<std::size_t>(frame)];
    ASSERT_EQ(buttons.size(), 3u);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      EXPECT_EQ(buttons[i].left, buttons[0].left);
      EXPECT_EQ(buttons[i].width, buttons[0].width);
      EXPECT_EQ(buttons[i].height, buttons[0].height);
      if (i > 0) {
        EXPECT_EQ(buttons[i].top - buttons[i - 1].top, buttons[1].top - buttons[0].top);
      }
      EXPECT_LE(buttons[i].left + buttons[i].width, box.width);
      EXPECT_LE(buttons[i].top + buttons[i].height, box.height);
    }
  }
}

// The button table and the command table are written apart: each button
// must run what its frame and caption promise.
TEST(DialogLayout, EachButtonRunsWhatItsFrameAndCaptionSay) {
  const struct {
    std::u16string_view frame;
    std::u16string_view caption;
    Command command;
  } meanings[] = {
      {u"挿入", u"現在のプロシージャ", Command::InsertCurrentProcComment},
      {u"挿入", u"全てのプロシージャ", Command::InsertAllProcComments},
      {u"挿入", u"現在のモジュール", Command::InsertModuleHeader},
      {u"削除", u"現在のプロシージャ", Command::DeleteCurrentProcComment},
      {u"削除", u"全てのプロシージャ", Command::DeleteAllProcComments},
      {u"削除", u"現在のモジュール", Command::DeleteModuleHeader},
  };
  const auto frames = Of(ControlLayout::Frame);
  for (const auto& button : Of(ControlLayout::Button)) {
    const auto frameCaption = frames.at(static_cast<std::size_t>(button.frame)).caption;
    int matches = 0;
    for (const auto& meaning : meanings) {
      if (frameCaption.find(meaning.frame) == std::u16string_view::npos ||
          button.caption.find(meaning.caption) == std::u16string_view::npos)
        continue;
      ++matches;
      EXPECT_EQ(CommandOfButton(button.index), meaning.command) << ToUtf8(button.caption);
    }
    EXPECT_EQ(matches, 1) << ToUtf8(button.caption);
  }
  EXPECT_EQ(CommandOfButton(6), std::nullopt);
  EXPECT_EQ(CommandOfButton(-1), std::nullopt);
}

TEST(DialogLayout, TabOrderAndAccessKeys) {
  auto buttons = Of(ControlLayout::Button);
  std::sort(buttons.begin(), buttons.end(), [](auto& a, auto& b) { return a.tabIndex < b.tabIndex; });
  std::string keys;
  for (const auto& b : buttons) keys += ToUtf8(b.caption.substr(0, 2));
  EXPECT_EQ(keys, "&1&2&3&9&8&7");
}

}  // namespace
}  // namespace tamvo
