#include "app/launcher_layout.h"

#include <gtest/gtest.h>

namespace {

bool Inside(const app::ControlSpec& inner, const app::ControlSpec& outer) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

bool Overlap(const app::ControlSpec& a, const app::ControlSpec& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

}  // namespace

TEST(AppLauncherLayout, ControlsFitTheClientAreaWithoutOverlapping) {
  const auto& controls = app::LauncherControls();
  const app::ControlSpec client{0, L"", L"", 0, 0, app::kLauncherClientWidth, app::kLauncherClientHeight,
                                app::LauncherFont::Ui};
  const app::ControlSpec& frame = controls.front();
  ASSERT_EQ(frame.id, app::kFrame1);
  for (const auto& c : controls) {
    EXPECT_TRUE(Inside(c, client)) << c.id;
    bool isButton = std::wstring(c.className) == L"BUTTON";
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
    if (std::wstring(c.className) == L"BUTTON") buttons.push_back(c.caption);
  EXPECT_EQ(buttons, (std::vector<std::wstring>{L"設定", L"実行", L"終了"}));
}
