#include "app/launcher_layout.h"

#include <gtest/gtest.h>

using platform::Inside;
using platform::Overlap;

TEST(AppLauncherLayout, ControlsFitTheClientAreaWithoutOverlapping) {
  const auto& controls = app::LauncherControls();
  const platform::ControlSpec client{0, platform::ControlKind::Frame, L"", 0, 0, app::kLauncherClientWidth,
                                     app::kLauncherClientHeight, 0};
  const platform::ControlSpec& frame = controls.front();
  ASSERT_EQ(frame.id, app::kFrame1);
  for (const auto& c : controls) {
    EXPECT_TRUE(Inside(c, client)) << c.id;
    bool isButton = c.kind == platform::ControlKind::Button;
    if (&c == &frame) continue;
    EXPECT_EQ(Inside(c, frame), !isButton) << c.id;
    for (const auto& other : controls) {
      if (&other != &c && &other != &frame) {
        EXPECT_FALSE(Overlap(c, other)) << c.id << " " << other.id;
      }
    }
  }
}

TEST(AppLauncherLayout, ButtonsInTabOrderWithTheirCaptions) {
  std::vector<std::wstring> buttons;
  for (const auto& c : app::LauncherControls())
    if (c.kind == platform::ControlKind::Button) buttons.push_back(c.caption);
  EXPECT_EQ(buttons, (std::vector<std::wstring>{L"設定", L"実行", L"終了"}));
}
