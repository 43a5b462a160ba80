// The real o_glmk.scr on a screen that changes size while it runs: tools/monitor-rig
// --resizable makes a 1024 x 768 screen that a program's ChangeDisplaySettingsW (which sends
// every window WM_DISPLAYCHANGE) and xrandr from outside (which sends nothing) resize.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

const COLORREF kGreen = RGB(30, 200, 60);
using Values = std::vector<std::pair<std::string, std::string>>;

bool ScreenIs(SIZE size) {
  return GetSystemMetrics(SM_CXVIRTUALSCREEN) == size.cx && GetSystemMetrics(SM_CYVIRTUALSCREEN) == size.cy;
}

// A program's change of the mode, or xrandr's from outside: Wine starts the Unix program but
// gives no handle to wait for, so the screen's size tells when it has done its work.
bool Resize(SIZE size, bool byProgram = false) {
  if (byProgram) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode), mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = size.cx, mode.dmPelsHeight = size.cy;
    return ChangeDisplaySettingsW(&mode, 0) == DISP_CHANGE_SUCCESSFUL;
  }
  wchar_t xrandr[MAX_PATH] = {};
  GetEnvironmentVariableW(L"GLIMMER_XRANDR", xrandr, MAX_PATH);
  std::wstring line = std::wstring(xrandr) + L" -s " + std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hProcess), CloseHandle(info.hThread);
  for (DWORD start = GetTickCount(); !ScreenIs(size); e2e::Sleep(10))
    if (GetTickCount() - start > 5000) return false;
  return true;
}

class DisplayChangeTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!GetEnvironmentVariableW(L"GLIMMER_XRANDR", nullptr, 0))
      GTEST_SKIP() << "needs the screen of tools/monitor-rig --resizable (ctest starts it)";
    e2e::StartFresh();
  }
  void TearDown() override {
    saver_.reset();
    EXPECT_TRUE(ScreenIs({1024, 768}) || Resize({1024, 768}));
  }

  void Start(SIZE picture, const Values& values) {
    std::wstring folder = e2e::FreshFolder(L"display_change");
    e2e::WriteSolidBmp(folder + L"\\a.bmp", picture.cx, picture.cy, kGreen);
    e2e::WriteSettingsText(e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), values));
    saver_ = std::make_unique<e2e::SaverProcess>(L"/S");
    ASSERT_TRUE(window_ = saver_->WaitForWindow(L"Glimmerdeck", 15000));
    e2e::Sleep(1500);
  }

  bool WindowCovers(SIZE screen) const {
    RECT r{};
    return GetWindowRect(window_, &r) && r.left == 0 && r.top == 0 && r.right == screen.cx && r.bottom == screen.cy;
  }

  // Within 1.5 s of the change the window covers the screen, which shows the pictures on black.
  void ExpectFollowed(SIZE screen, const std::vector<RECT>& pictures) const {
    size_t differences = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 1500; e2e::Sleep(50)) {
      const std::vector<uint32_t> pixels = e2e::CaptureScreen(screen.cx, screen.cy);
      differences = 0;
      for (size_t i = 0; i < pixels.size(); ++i) {
        const POINT at{static_cast<LONG>(i % screen.cx), static_cast<LONG>(i / screen.cx)};
        const bool inside = std::any_of(pictures.begin(), pictures.end(), [&](auto& r) { return PtInRect(&r, at); });
        differences += !e2e::Near(RGB(pixels[i] >> 16, pixels[i] >> 8, pixels[i]), inside ? kGreen : 0);
      }
      if (WindowCovers(screen) && differences == 0) return;
    }
    ADD_FAILURE() << screen.cx << "x" << screen.cy << ": window covers " << WindowCovers(screen) << ", "
                  << differences << " pixels differ";
  }

  std::unique_ptr<e2e::SaverProcess> saver_;
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(DisplayChangeTest, TheWindowAndItsPictureFollowTheScreen) {
  struct Change { bool byProgram; SIZE size; };
  struct Case { const char* name; SIZE picture; Values values; std::vector<Change> changes; std::vector<RECT> shown; };
  const Case cases[] = {
      // Centred 301 x 203 on 1280 x 1024 at (640 - 150.5, 512 - 101.5), halves to even.
      {"a program's change", {301, 203}, {{"Cyuuou", "1"}}, {{true, {1280, 1024}}}, {{490, 410, 791, 613}}},
      {"Refresh keeps the earlier one at its place", {301, 203}, {{"Cyuuou", "1"}, {"Refresh", "1"}},
       {{false, {1280, 1024}}}, {{362, 282, 663, 485}, {490, 410, 791, 613}}},
      // 400 x 200 smoothed: 1024 x 512 before, 832 x 416 after.
      {"an outside resize", {400, 200}, {{"Biliner", "1"}}, {{false, {832, 624}}}, {{0, 104, 832, 520}}},
      // 1000 x 500 fits 1024 x 768 and 1280 x 1024 as it is, and is shrunk to 832 x 416.
      {"two changes 100 ms apart", {1000, 500}, {{"Cyuuou", "1"}, {"CheckM", "1"}},
       {{false, {1280, 1024}}, {false, {832, 624}}}, {{0, 104, 832, 520}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(Start(c.picture, c.values));
    for (const Change& change : c.changes) {
      if (&change != &c.changes.front()) e2e::Sleep(100);
      ASSERT_TRUE(Resize(change.size, change.byProgram));
    }
    ExpectFollowed(c.changes.back().size, c.shown);
    saver_.reset();
    ASSERT_TRUE(Resize({1024, 768}));
  }
}

// Under Wine 8 GetGuiResources is not implemented (it gives 0 every time) and PrivateUsage is
// 0, while PagefileUsage, the same figure on Windows, holds the committed bytes.
TEST_F(DisplayChangeTest, ManyChangesLeakNothingAndOnlyAKeyEndsTheSaver) {
  ASSERT_NO_FATAL_FAILURE(Start({301, 203}, {{"Speed", "1"}, {"MouseM", "5"}}));
  std::pair<DWORD, size_t> first, last;
  for (int change = 0; change <= 20; ++change) {
    const SIZE size = change % 2 ? SIZE{1024, 768} : SIZE{1280, 1024};
    ASSERT_TRUE(Resize(size));
    for (DWORD start = GetTickCount(); !WindowCovers(size) && GetTickCount() - start < 1500;) e2e::Sleep(20);
    ASSERT_TRUE(WindowCovers(size) && saver_->Running()) << "change " << change;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(saver_->Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    last = {GetGuiResources(saver_->Handle(), GR_GDIOBJECTS), std::max(memory.PrivateUsage, memory.PagefileUsage)};
    if (change == 0) first = last;
  }
  EXPECT_EQ(last.first, first.first) << "GDI objects";
  EXPECT_GT(first.second, 0u);
  EXPECT_LT(last.second, first.second + (1u << 20)) << "committed bytes " << first.second << ", then " << last.second;
  e2e::PressKey('A');
  EXPECT_TRUE(saver_->WaitForExit(3000));
}
