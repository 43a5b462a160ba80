#include "settings/settings_dialog_layout.h"

#include <gtest/gtest.h>

#include <vector>

using platform::ControlKind;
using platform::ControlSpec;

namespace {

ControlSpec Client(int width, int height) { return {0, ControlKind::Frame, L"", 0, 0, width, height, 0}; }

const ControlSpec& Find(const std::vector<ControlSpec>& controls, int id) {
  for (const auto& c : controls)
    if (c.id == id) return c;
  ADD_FAILURE() << "no control " << id;
  return controls.front();
}

std::vector<int> KeyboardOrder(const std::vector<ControlSpec>& controls) {
  std::vector<int> ids;
  for (const auto& c : controls)
    if (platform::TakesFocus(c.kind)) ids.push_back(c.id);
  return ids;
}

// The innermost frame that holds the control, or 0 for the window itself.
int HoldingFrame(const std::vector<ControlSpec>& controls, const ControlSpec& control) {
  int holder = 0;
  long smallest = 0;
  for (const auto& frame : controls) {
    if (frame.kind != ControlKind::Frame || &frame == &control || !platform::Inside(control, frame)) continue;
    long area = static_cast<long>(frame.width) * frame.height;
    if (holder == 0 || area < smallest) {
      holder = frame.id;
      smallest = area;
    }
  }
  return holder;
}

}  // namespace

TEST(SettingsDialogLayout, EveryControlSitsInItsFrameWithoutOverlapping) {
  using namespace settings;
  const auto& controls = SettingsDialogControls();
  struct Want { int id; int frame; };
  const Want holders[] = {
      {kLabel1, kFrame1},        {kLabel2, kFrame1},      {kChkSubFolder, kFrame1},   {kText1, kFrame1},
      {kCommand3, kFrame1},      {kLabel3, kFrame3},      {kLabel5, kFrame3},         {kLabel4, kFrame3},
      {kLabel6, kFrame3},        {kHScroll1, kFrame3},    {kLabel13, kFrame3},        {kLabel7, kFrame3},
      {kLabel8, kFrame3},        {kLabel10, kFrame3},     {kLabel9, kFrame3},         {kHScroll2, kFrame3},
      {kFrame4, kFrame2},        {kFrame5, kFrame2},      {kFrame6, kFrame2},         {kCheck1, kFrame4},
      {kChkKakudai, kFrame4},    {kChkCyuuou, kFrame4},   {kChkMulti, kFrame4},       {kChkBiliner, kFrame4},
      {kChkOderFileName, kFrame5}, {kChkShaffle, kFrame5}, {kChkRefresh, kFrame5},    {kChkBgmPlay, kFrame6},
      {kText2, kFrame6},         {kCommand5, kFrame6},    {kCommand1, 0},             {kCommand4, 0},
      {kCommand2, 0},            {kFrame1, 0},            {kFrame2, 0},               {kFrame3, 0},
  };
  EXPECT_EQ(std::size(holders), controls.size());
  for (const auto& want : holders)
    EXPECT_EQ(HoldingFrame(controls, Find(controls, want.id)), want.frame) << want.id;

  const ControlSpec client = Client(kSettingsClientWidth, kSettingsClientHeight);
  for (const auto& c : controls) {
    EXPECT_TRUE(platform::Inside(c, client)) << c.id;
    for (const auto& other : controls) {
      if (&other == &c || c.kind == ControlKind::Frame || other.kind == ControlKind::Frame) continue;
      EXPECT_FALSE(platform::Overlap(c, other)) << c.id << " " << other.id;
    }
  }
  // Frames side by side or inside one another, never crossing.
  for (const auto& a : controls) {
    for (const auto& b : controls) {
      if (&a != &b && a.kind == ControlKind::Frame && b.kind == ControlKind::Frame && platform::Overlap(a, b)) {
        EXPECT_TRUE(platform::Inside(a, b) || platform::Inside(b, a)) << a.id << " " << b.id;
      }
    }
  }
}

TEST(SettingsDialogLayout, KeyboardOrderStartsOnTheSubFolderBox) {
  using namespace settings;
  const std::vector<int> want = {kChkSubFolder, kText1,      kCommand3,        kHScroll1,   kHScroll2,
                                 kCheck1,       kChkKakudai, kChkCyuuou,       kChkMulti,   kChkBiliner,
                                 kChkOderFileName, kChkShaffle, kChkRefresh,   kChkBgmPlay, kText2,
                                 kCommand5,     kCommand1,   kCommand4,        kCommand2};
  EXPECT_EQ(KeyboardOrder(SettingsDialogControls()), want);
  EXPECT_EQ(std::wstring(Find(SettingsDialogControls(), kCommand1).caption), L"記録");
  EXPECT_EQ(std::wstring(Find(SettingsDialogControls(), kCommand4).caption), L"記録実行");
  EXPECT_EQ(std::wstring(Find(SettingsDialogControls(), kCommand2).caption), L"キャンセル");
}

TEST(SettingsDialogLayout, BrowserControlsInKeyboardOrderInsideTheWindow) {
  using namespace settings;
  const auto& controls = FolderBrowserControls();
  EXPECT_EQ(KeyboardOrder(controls), (std::vector<int>{kBrowserCommand1, kBrowserCommand2, kDrive1, kDir1, kFile1}));
  const ControlSpec client = Client(kBrowserClientWidth, kBrowserClientHeight);
  for (const auto& c : controls) {
    EXPECT_TRUE(platform::Inside(c, client)) << c.id;
    for (const auto& other : controls) {
      if (&other != &c) {
        EXPECT_FALSE(platform::Overlap(c, other)) << c.id << " " << other.id;
      }
    }
  }
}
