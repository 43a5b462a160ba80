// Start-up modes, the launcher and the saver window of the real o_glmk.scr.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>

#include <vector>

#include "tests/e2e/e2e_support.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kLauncher[] = L"Glimmerdeck Information";
constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr wchar_t kNoFolderTitle[] = L"設定異常ダイアログ";
constexpr DWORD kStartTimeout = 15000;

class StartupTest : public testing::Test {
 protected:
  void SetUp() override { e2e::RemoveSettings(); }
  void TearDown() override { e2e::RemoveSettings(); }
};

// A folder the show has something to show from.
std::string FolderWithAPicture() {
  std::wstring folder = e2e::FreshFolder(L"startup");
  e2e::WriteSolidBmp(folder + L"\\one.bmp", 64, 48, RGB(200, 200, 200));
  return e2e::Narrow(folder);
}

std::vector<std::wstring> ButtonCaptions(HWND window) {
  std::vector<std::wstring> captions;
  for (HWND button : e2e::ChildrenOfClass(window, L"Button")) {
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
    captions.push_back(e2e::WindowText(button));
  }
  return captions;
}

}  // namespace

TEST_F(StartupTest, PreviewAndUnknownSwitchesEndAtOnceWithoutAWindow) {
  {
    // The watch does note the windows of a start that shows some.
    e2e::WindowShowWatch watch;
    ASSERT_TRUE(watch.Watching());
    SaverProcess launcher(L"/C", L"", watch.Environment());
    HWND window = launcher.WaitForWindow(kLauncher, kStartTimeout);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(launcher.WaitForExit(5000));
    EXPECT_GT(watch.Shown(), 0u);
  }
  for (const wchar_t* arguments : {L"/P 1234", L"/", L"/x"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
    e2e::WindowShowWatch watch;
    ASSERT_TRUE(watch.Watching());
    SaverProcess saver(arguments, L"", watch.Environment());
    ASSERT_TRUE(saver.Started());
    EXPECT_TRUE(saver.WaitForExit(kStartTimeout));
    EXPECT_EQ(watch.Shown(), 0u);
  }
}

TEST_F(StartupTest, ChangePasswordEnds) {
  SaverProcess saver(L"/A");
  ASSERT_TRUE(saver.Started());
  EXPECT_TRUE(saver.WaitForExit(kStartTimeout));
}

// Every NT-family Windows has an mpr.dll without the password change: "/A" then takes the
// no-folder route. Run by ctest on its own, with the mpr-stand-in fixture's mpr.dll in the
// system folder; only the saver is told to load it instead of Wine's own. Wine takes
// WINEDLLOVERRIDES from its own start, not from the environment a program hands to a
// program it starts, so the saver's file name gets the override in Wine's settings.
TEST_F(StartupTest, ChangePasswordWithoutPasswordChangeShowsTheNotice) {
  const std::string installed = e2e::ReadFileBytes(e2e::SystemFolder() + L"\\mpr.dll");
  if (installed.empty() || installed != e2e::ReadFileBytes(e2e::StandInPath(L"mpr.dll")))
    GTEST_SKIP() << "needs the mpr-stand-in fixture (ctest runs it)";
  e2e::NativeLibraryForTheSaver nativeMpr(L"mpr");
  ASSERT_TRUE(nativeMpr.Set());
  SaverProcess saver(L"/A");
  HWND box = saver.WaitForWindow(kNoFolderTitle, kStartTimeout);
  ASSERT_NE(box, nullptr);
  wchar_t prompt[256] = {};
  GetDlgItemTextW(box, 0xFFFF, prompt, 256);
  EXPECT_STREQ(prompt, L"ＣＧのあるフォルダを指定して下さい。");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_NE(saver.WaitForWindow(kLauncher, 5000), nullptr);
  EXPECT_NE(saver.WaitForWindow(L"フォルダ・速度設定", 5000), nullptr);
  EXPECT_EQ(saver.FindVisibleWindow(kSaver), nullptr);
  EXPECT_TRUE(saver.Running());
}

TEST_F(StartupTest, ConfigureAndNoSwitchShowTheLauncher) {
  for (const wchar_t* arguments : {L"/C", L"", L"/c:1234", L"-c"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
    SaverProcess saver(arguments);
    HWND launcher = saver.WaitForWindow(kLauncher, kStartTimeout);
    ASSERT_NE(launcher, nullptr);
    EXPECT_EQ(ButtonCaptions(launcher), (std::vector<std::wstring>{L"設定", L"実行", L"終了"}));
    EXPECT_EQ(saver.FindVisibleWindow(kSaver), nullptr);
    EXPECT_TRUE(saver.Running());
  }
}

TEST_F(StartupTest, LauncherExitButtonAndCloseBoxEndTheProgram) {
  {
    SaverProcess saver(L"/C");
    HWND launcher = saver.WaitForWindow(kLauncher, kStartTimeout);
    ASSERT_NE(launcher, nullptr);
    e2e::ClickButton(e2e::ChildrenOfClass(launcher, L"Button").back());  // 終了
    EXPECT_TRUE(saver.WaitForExit(5000));
  }
  {
    SaverProcess saver(L"/C");
    HWND launcher = saver.WaitForWindow(kLauncher, kStartTimeout);
    ASSERT_NE(launcher, nullptr);
    PostMessageW(launcher, WM_CLOSE, 0, 0);
    EXPECT_TRUE(saver.WaitForExit(5000));
  }
}

TEST_F(StartupTest, RunWithoutFolderShowsTheNoticeThenTheLauncher) {
  SaverProcess saver(L"/S");
  HWND box = saver.WaitForWindow(kNoFolderTitle, kStartTimeout);
  ASSERT_NE(box, nullptr);
  wchar_t prompt[256] = {};
  GetDlgItemTextW(box, 0xFFFF, prompt, 256);
  EXPECT_STREQ(prompt, L"ＣＧのあるフォルダを指定して下さい。");
  EXPECT_EQ(saver.FindVisibleWindow(kLauncher), nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_NE(saver.WaitForWindow(kLauncher, 5000), nullptr);
  EXPECT_EQ(saver.FindVisibleWindow(kSaver), nullptr);
}

TEST_F(StartupTest, QuietRunWithoutFolderShowsOnlyTheLauncher) {
  SaverProcess saver(L"-S");
  EXPECT_NE(saver.WaitForWindow(kLauncher, kStartTimeout), nullptr);
  EXPECT_EQ(saver.FindVisibleWindow(kNoFolderTitle), nullptr);
}

TEST_F(StartupTest, LauncherRunWithoutFolderShowsTheNotice) {
  SaverProcess saver(L"/C");
  HWND launcher = saver.WaitForWindow(kLauncher, kStartTimeout);
  ASSERT_NE(launcher, nullptr);
  e2e::ClickButton(e2e::ChildrenOfClass(launcher, L"Button")[2]);  // 実行, after the frame and 設定
  HWND box = saver.WaitForWindow(kNoFolderTitle, 5000);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  e2e::Sleep(500);
  EXPECT_NE(saver.FindVisibleWindow(kLauncher), nullptr);
}

TEST_F(StartupTest, RunWithFolderCoversTheScreenInBlackOnTop) {
  e2e::WriteSettingsText(e2e::SettingsWithFolder(FolderWithAPicture()));
  SaverProcess first(L"/S");
  HWND window = first.WaitForWindow(kSaver, kStartTimeout);
  ASSERT_NE(window, nullptr);
  e2e::Sleep(1000);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
  // Black wherever the small picture is not.
  int black = 0;
  for (POINT p : {POINT{0, 0}, POINT{1023, 0}, POINT{0, 767}, POINT{1023, 767}, POINT{512, 384}})
    black += e2e::ScreenPixel(p.x, p.y) == RGB(0, 0, 0) ? 1 : 0;
  EXPECT_GE(black, 4);
  EXPECT_EQ(first.FindVisibleWindow(kLauncher), nullptr);
  EXPECT_EQ(GetForegroundWindow(), window);
  e2e::PressKey(VK_SPACE);
  EXPECT_TRUE(first.WaitForExit(5000));
}

TEST_F(StartupTest, RunOnAnEmptyFolderHidesTheWindowAndShowsTheNotice) {
  e2e::WriteSettingsText(e2e::SettingsWithFolder(e2e::Narrow(e2e::FreshFolder(L"empty"))));
  SaverProcess saver(L"/S");
  HWND box = saver.WaitForWindow(kNoFolderTitle, kStartTimeout);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(saver.FindVisibleWindow(kSaver), nullptr);
  EXPECT_TRUE(saver.Running());
}

TEST_F(StartupTest, SecondRunEndsByItselfAndLeavesTheFirstRunning) {
  e2e::WriteSettingsText(e2e::SettingsWithFolder(FolderWithAPicture()));
  SaverProcess first(L"/S");
  ASSERT_NE(first.WaitForWindow(kSaver, kStartTimeout), nullptr);
  e2e::Sleep(500);
  SaverProcess second(L"/S");
  EXPECT_TRUE(second.WaitForExit(kStartTimeout));
  EXPECT_TRUE(first.Running());
  EXPECT_NE(first.FindVisibleWindow(kSaver), nullptr);
}

// Where Windows kept this file's writes for older builds: it holds the newer settings.
TEST_F(StartupTest, RunReadsTheVirtualStoreCopyWhenThereIsOne) {
  PWSTR local = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)));
  std::wstring folder = std::wstring(local) + L"\\VirtualStore\\Windows";
  CoTaskMemFree(local);
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  std::wstring store = folder + L"\\O_GLMK.INI";
  {
    std::ofstream out(store.c_str(), std::ios::binary);
    out << e2e::SettingsWithFolder(FolderWithAPicture());
  }
  SaverProcess saver(L"/S");
  EXPECT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  EXPECT_EQ(saver.FindVisibleWindow(kNoFolderTitle), nullptr);
  DeleteFileW(store.c_str());
}

TEST_F(StartupTest, VersionBlockNamesTheProgram) {
  std::wstring path = e2e::ScrPath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  struct Want { const wchar_t* name; const wchar_t* value; };
  const Want wants[] = {{L"Comments", L"Glimmerdeck Version 3.30"},
                        {L"ProductName", L"Glimmerdeck"},
                        {L"CompanyName", L"Brightfen"},
                        {L"FileVersion", L"3.30"},
                        {L"ProductVersion", L"3.30"},
                        {L"InternalName", L"o_glmk"},
                        {L"FileDescription", L"指定のフォルダの画像を表示するスクリーンセーバー"}};
  for (const auto& want : wants) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + want.name;
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << want.name;
    EXPECT_STREQ(value, want.value);
  }
  HMODULE scr = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(scr, nullptr);
  wchar_t name[64] = {};
  LoadStringW(scr, 1, name, 64);
  EXPECT_STREQ(name, L"Glimmerdeck");
  FreeLibrary(scr);
}
