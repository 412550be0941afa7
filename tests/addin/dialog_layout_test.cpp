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

TEST(DialogLayout, FramesAreEqualAndEvenlyPlaced) {
  const auto frames = Of(ControlLayout::Frame);
  ASSERT_EQ(frames.size(), 2u);
  const auto& left = frames[0];
  const auto& right = frames[1];
  EXPECT_EQ(left.width, right.width);
  EXPECT_EQ(left.height, right.height);
  EXPECT_EQ(left.left, 120);
  EXPECT_EQ(left.top, 120);
  EXPECT_EQ(right.top, 120);
  EXPECT_EQ(kDialogClientWidthTwips - (right.left + right.width), 120);
  EXPECT_EQ(kDialogClientHeightTwips - (left.top + left.height), 105);
  EXPECT_EQ(right.left - (left.left + left.width), 225);
}

TEST(DialogLayout, ButtonsLineUpInTheirFrames) {
  for (int frame = 0; frame < 2; ++frame) {
    const auto buttons = Of(ControlLayout::Button, frame);
    const auto& box = Of(ControlLayout::Frame)[static_cast<std::size_t>(frame)];
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].top, 360);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      EXPECT_EQ(buttons[i].left, buttons[0].left);
      EXPECT_EQ(buttons[i].width, buttons[0].width);
      EXPECT_EQ(buttons[i].height, buttons[0].height);
      if (i > 0) {
        EXPECT_EQ(buttons[i].top - buttons[i - 1].top, 480);
      }
    }
    EXPECT_EQ(box.width - (buttons[0].left + buttons[0].width), 360);
    EXPECT_EQ(box.height - (buttons[2].top + buttons[2].height), 240);
  }
}

TEST(DialogLayout, TabOrderAndAccessKeys) {
  auto buttons = Of(ControlLayout::Button);
  std::sort(buttons.begin(), buttons.end(), [](auto& a, auto& b) { return a.tabIndex < b.tabIndex; });
  std::string keys;
  for (const auto& b : buttons) keys += ToUtf8(b.caption.substr(0, 2));
  EXPECT_EQ(keys, "&1&2&3&9&8&7");
  EXPECT_EQ(Of(ControlLayout::Button)[2].caption.back(), u'\u3000');
  EXPECT_EQ(Of(ControlLayout::Button)[5].caption.back(), u'\u3000');
  EXPECT_EQ(Of(ControlLayout::Button)[1].caption, u"&2. 全てのプロシージャ");
}

}  // namespace
}  // namespace tamvo
