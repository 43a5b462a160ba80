// The slideshow of the real o_glmk.scr on a 1024 x 768 screen: drawing, order, ending.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr DWORD kStartTimeout = 15000;
const COLORREF kRed = RGB(220, 30, 30), kGreen = RGB(30, 200, 60), kBlue = RGB(40, 60, 230);

using Keys = std::map<std::string, std::string>;

// A settings file as the dialog writes it, with some keys changed.
std::string Settings(const std::wstring& folder, const Keys& changed) {
  const char* order[] = {"Folder", "Speed", "MouseM", "CheckM", "Cyuuou", "OderFileName", "BgmPlay",
                         "BgmPlayName", "Kakudai", "Refresh", "Biliner", "SubFolder", "Shaffle", "Multi"};
  Keys values = {{"Folder", e2e::Narrow(folder)}, {"Speed", "10000"}, {"MouseM", "15"}, {"CheckM", "1"}};
  for (const auto& [k, v] : changed) values[k] = v;
  std::string text = "[Orvella_Glimmerdeck]\r\n";
  for (const char* key : order) {
    auto found = values.find(key);
    text += std::string(key) + "=" + (found == values.end() ? (std::string(key) == "BgmPlayName" ? "" : "0") : found->second) + "\r\n";
  }
  return text;
}

class ShowTest : public testing::Test {
 protected:
  void SetUp() override {
    e2e::StartFresh();
  }
  void TearDown() override {
    e2e::RemoveSettings();
    e2e::SetUsePassword(false);
    SetEnvironmentVariableW(L"GLIMMER_TEST_PASSWORD", nullptr);
  }
  // Starts the saver and waits until its first picture can have been drawn.
  std::unique_ptr<SaverProcess> Start(const std::wstring& folder, const Keys& keys, DWORD settleMs = 1500) {
    e2e::WriteSettingsText(Settings(folder, keys));
    auto saver = std::make_unique<SaverProcess>(L"/S");
    EXPECT_NE(saver->WaitForWindow(kSaver, kStartTimeout), nullptr);
    e2e::Sleep(settleMs);
    return saver;
  }
};

COLORREF Quadrants(int x, int y, int w, int h) {
  if (y < h / 2) return x < w / 2 ? RGB(220, 30, 30) : RGB(30, 200, 60);
  return x < w / 2 ? RGB(40, 60, 230) : RGB(240, 240, 240);
}

}  // namespace

TEST_F(ShowTest, LargePictureIsShrunkToTheScreen) {
  std::wstring folder = e2e::FreshFolder(L"shrink");
  e2e::WriteBmp(folder + L"\\big.bmp", 2048, 1536, Quadrants);
  auto saver = Start(folder, {{"Cyuuou", "1"}, {"CheckM", "1"}});
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(10, 10), kRed));
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(1013, 10), kGreen));
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(10, 757), kBlue));
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(1013, 757), RGB(240, 240, 240)));
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(0, 0), kRed));
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(1023, 767), RGB(240, 240, 240)));
}

TEST_F(ShowTest, CentredPictureSitsInTheMiddleOnBlack) {
  std::wstring folder = e2e::FreshFolder(L"centred");
  e2e::WriteSolidBmp(folder + L"\\small.bmp", 400, 300, kGreen);
  auto saver = Start(folder, {{"Cyuuou", "1"}});
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(312, 234), kGreen));
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(711, 533), kGreen));
  EXPECT_EQ(e2e::ScreenPixel(311, 234), RGB(0, 0, 0));
  EXPECT_EQ(e2e::ScreenPixel(712, 533), RGB(0, 0, 0));
  EXPECT_EQ(e2e::ScreenPixel(312, 233), RGB(0, 0, 0));
  EXPECT_EQ(e2e::ScreenPixel(711, 534), RGB(0, 0, 0));
}

TEST_F(ShowTest, FileNameOrderShowsOneTwoThreeOne) {
  std::wstring folder = e2e::FreshFolder(L"order");
  e2e::WriteSolidBmp(folder + L"\\1.bmp", 400, 300, kRed);
  e2e::WriteSolidBmp(folder + L"\\2.bmp", 400, 300, kGreen);
  e2e::WriteSolidBmp(folder + L"\\3.bmp", 400, 300, kBlue);
  e2e::WriteSettingsText(Settings(folder, {{"Cyuuou", "1"}, {"OderFileName", "1"}, {"Speed", "1000"}}));
  SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  std::vector<COLORREF> seen;
  DWORD start = GetTickCount();
  while (seen.size() < 4 && GetTickCount() - start < 15000) {
    COLORREF c = e2e::ScreenPixel(512, 384);
    for (COLORREF want : {kRed, kGreen, kBlue})
      if (e2e::Near(c, want) && (seen.empty() || seen.back() != want)) seen.push_back(want);
    e2e::Sleep(50);
  }
  EXPECT_EQ(seen, (std::vector<COLORREF>{kRed, kGreen, kBlue, kRed}));
}

TEST_F(ShowTest, RefreshKeepsEarlierPicturesAndOtherwiseClears) {
  for (const char* refresh : {"1", "0"}) {
    SCOPED_TRACE(refresh);
    std::wstring folder = e2e::FreshFolder(L"refresh");
    e2e::WriteSolidBmp(folder + L"\\a.bmp", 200, 150, kRed);
    auto saver = Start(folder, {{"Refresh", refresh}, {"Speed", "150"}}, 4000);
    int red = 0;
    std::vector<uint32_t> screen = e2e::CaptureScreen(1024, 768);
    for (int y = 5; y < 768; y += 10)
      for (int x = 5; x < 1024; x += 10) {
        uint32_t p = screen[static_cast<size_t>(y) * 1024 + x];
        red += e2e::Near(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF), kRed) ? 1 : 0;
      }
    // One picture covers about 300 of the 7,800 sampled points; many stay with Refresh 1.
    if (std::string(refresh) == "1")
      EXPECT_GT(red, 900);
    else
      EXPECT_LT(red, 400);
  }
}

TEST_F(ShowTest, KeyAndClickEndTheSaver) {
  std::wstring folder = e2e::FreshFolder(L"keys");
  e2e::WriteSolidBmp(folder + L"\\a.bmp", 400, 300, kRed);
  {
    auto saver = Start(folder, {});
    e2e::PressKey('A');
    EXPECT_TRUE(saver->WaitForExit(3000));
  }
  {
    auto saver = Start(folder, {});
    e2e::Click(500, 400);
    EXPECT_TRUE(saver->WaitForExit(3000));
  }
}

TEST_F(ShowTest, MouseMovementEndsOnTheMovementAfterTheSensitivity) {
  std::wstring folder = e2e::FreshFolder(L"mouse");
  e2e::WriteSolidBmp(folder + L"\\a.bmp", 400, 300, kRed);
  auto saver = Start(folder, {{"MouseM", "5"}, {"Speed", "20000"}});
  int x = 500;
  // Jitter of two pixels, however long, never counts.
  for (int i = 0; i < 20; ++i) {
    e2e::MoveCursor(x + (i % 2) * 2, 400 + (i % 2) * 2);
    e2e::Sleep(40);
  }
  EXPECT_TRUE(saver->Running());
  // Each move is seen by both the mouse-move event and the cursor poll, so a step can count
  // twice; the saver must survive fewer counted moves than the sensitivity.
  e2e::MoveCursor(x += 10, 400);
  e2e::Sleep(60);
  e2e::MoveCursor(x += 10, 400);
  e2e::Sleep(60);
  EXPECT_TRUE(saver->Running());
  for (int i = 0; i < 10 && saver->Running(); ++i) {
    e2e::MoveCursor(x += 10, 400);
    e2e::Sleep(60);
  }
  EXPECT_TRUE(saver->WaitForExit(2000));
}

TEST_F(ShowTest, UnreadableFilesAreSkippedAndTheGoodOneShown) {
  std::wstring folder = e2e::FreshFolder(L"corrupt");
  e2e::WriteBytes(folder + L"\\empty.bmp", "");
  e2e::WriteBytes(folder + L"\\junk.jpg", std::string(5000, 'x'));
  e2e::WriteBytes(folder + L"\\truncated.gif", "GIF89a\x10\x00");
  std::string huge = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4) + std::string("\xff\xff\x00\x00", 4) +
                     std::string("\xff\xff\x00\x00", 4) + std::string("\x01\x00\x18\x00", 4) + std::string(40, '\0');
  e2e::WriteBytes(folder + L"\\huge.bmp", huge);
  e2e::WriteSolidBmp(folder + L"\\zz_good.bmp", 400, 300, kBlue);
  auto saver = Start(folder, {{"Cyuuou", "1"}, {"Speed", "200"}}, 3000);
  EXPECT_TRUE(saver->Running());
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(512, 384), kBlue));
}

TEST_F(ShowTest, PasswordDecidesWhetherTheSaverEnds) {
  std::wstring folder = e2e::FreshFolder(L"password");
  e2e::WriteSolidBmp(folder + L"\\a.bmp", 400, 300, kRed);
  e2e::SetUsePassword(true);
  e2e::SystemPasswordCpl cpl;
  ASSERT_TRUE(cpl.Placed());
  const std::wstring calls = e2e::FreshTempFile(L"glimmer_password_calls.txt");
  SetEnvironmentVariableW(L"GLIMMER_TEST_PASSWORD_CALLS", calls.c_str());
  struct Case { const wchar_t* answer; bool ends; size_t asked; };
  for (const Case& c : {Case{L"wrong", false, 1}, Case{L"right", true, 1}, Case{L"absent", true, 0}}) {
    SCOPED_TRACE(e2e::Narrow(c.answer));
    DeleteFileW(calls.c_str());
    SetEnvironmentVariableW(L"GLIMMER_TEST_PASSWORD", c.answer);
    auto saver = Start(folder, {});
    e2e::PressKey('A');
    EXPECT_EQ(saver->WaitForExit(3000), c.ends);
    EXPECT_EQ(e2e::ReadFileBytes(calls).size(), c.asked);
    if (!c.ends) {
      CURSORINFO info{};
      info.cbSize = sizeof(info);
      GetCursorInfo(&info);
      EXPECT_FALSE(info.flags & CURSOR_SHOWING);
      e2e::PressKey('B');  // the next key asks again
      EXPECT_TRUE(e2e::WaitForFileSize(calls, 2, 3000));
      e2e::Sleep(500);
      EXPECT_EQ(e2e::ReadFileBytes(calls).size(), 2u);
      EXPECT_TRUE(saver->Running());
    }
  }
  SetEnvironmentVariableW(L"GLIMMER_TEST_PASSWORD_CALLS", nullptr);
}

// A password.cpl in the program's folder or in the working folder (a downloads folder,
// say) never runs inside the saver: only the system folder's copy is loaded.
TEST_F(ShowTest, OnlyTheSystemFoldersPasswordCplIsLoaded) {
  std::wstring folder = e2e::FreshFolder(L"planted");
  e2e::WriteSolidBmp(folder + L"\\a.bmp", 400, 300, kRed);
  std::wstring working = e2e::FreshFolder(L"downloads");
  e2e::SetUsePassword(true);
  const std::wstring scr = e2e::ScrPath();
  const std::wstring standIn = e2e::StandInPath(L"password.cpl");
  e2e::SystemPasswordCpl system;
  e2e::PlacedFile besideProgram(standIn, scr.substr(0, scr.find_last_of(L'\\') + 1) + L"password.cpl");
  e2e::PlacedFile inWorkingFolder(standIn, working + L"\\password.cpl");
  ASSERT_TRUE(system.Placed() && besideProgram.Placed() && inWorkingFolder.Placed());
  const std::wstring loads = e2e::FreshTempFile(L"glimmer_cpl_loads.txt");

  e2e::WriteSettingsText(Settings(folder, {}));
  SaverProcess saver(L"/S", working, {{L"GLIMMER_TEST_CPL_LOADS", loads}, {L"GLIMMER_TEST_PASSWORD", L"right"}});
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  e2e::Sleep(1000);
  e2e::PressKey('A');
  EXPECT_TRUE(saver.WaitForExit(5000));
  std::wstring loaded = e2e::ReadWideFile(loads);
  CharLowerW(loaded.data());
  std::wstring want = system.Path() + L"\n";
  CharLowerW(want.data());
  EXPECT_EQ(loaded, want);
}

// Links back into the picture folder are no way into an endless scan: with sub-folders on,
// each picture comes once per pass, in name order.
TEST_F(ShowTest, LinksBackToThePictureFolderShowEachPictureOncePerPass) {
  const std::wstring folder = L"C:\\glimmer_links\\show";  // loop1 and loop2 lead back to it
  if (GetFileAttributesW((folder + L"\\loop1").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "needs the link-tree fixture (ctest runs it)";
  const COLORREF kYellow = RGB(230, 220, 40);
  e2e::WriteSolidBmp(folder + L"\\1.bmp", 400, 300, kRed);
  e2e::WriteSolidBmp(folder + L"\\2.bmp", 400, 300, kGreen);
  e2e::WriteSolidBmp(folder + L"\\sub\\3.bmp", 400, 300, kBlue);
  e2e::WriteSolidBmp(folder + L"\\zz.bmp", 400, 300, kYellow);
  e2e::WriteSettingsText(
      Settings(folder, {{"Cyuuou", "1"}, {"OderFileName", "1"}, {"SubFolder", "1"}, {"Speed", "700"}}));
  SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  std::vector<COLORREF> seen;
  DWORD start = GetTickCount();
  while (seen.size() < 8 && GetTickCount() - start < 20000) {
    COLORREF c = e2e::ScreenPixel(512, 384);
    for (COLORREF want : {kRed, kGreen, kBlue, kYellow})
      if (e2e::Near(c, want) && (seen.empty() || seen.back() != want)) seen.push_back(want);
    e2e::Sleep(40);
  }
  EXPECT_EQ(seen, (std::vector<COLORREF>{kRed, kGreen, kBlue, kYellow, kRed, kGreen, kBlue, kYellow}));
  EXPECT_TRUE(saver.Running());
}

// 16 levels of links that merge (each level's a and b lead to the next level's folder): the
// picture at the bottom is on screen at once, where a walk of every link would take minutes.
TEST_F(ShowTest, LinksThatMergeDoNotHoldUpTheStart) {
  const std::wstring top = L"C:\\glimmer_links\\merge\\l0";
  if (GetFileAttributesW((top + L"\\a").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "needs the link-tree fixture (ctest runs it)";
  e2e::WriteSolidBmp(L"C:\\glimmer_links\\merge\\l16\\deep.bmp", 400, 300, kGreen);
  e2e::WriteSettingsText(Settings(top, {{"Cyuuou", "1"}, {"SubFolder", "1"}, {"Speed", "100"}}));
  SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  EXPECT_GE(e2e::MsUntilColourAt(512, 384, kGreen, 2000), 0) << "no picture within 2 s";
  e2e::PressKey('A');
  EXPECT_TRUE(saver.WaitForExit(5000));
}

// The pictures' folder goes away during the show (a card pulled, a share lost) and comes
// back: the saver keeps running and input, and shows pictures again soon after.
TEST_F(ShowTest, AVanishedFolderIsShownAgainSoonAfterItReturns) {
  const std::wstring folder = e2e::FreshFolder(L"vanishing");
  const std::wstring away = e2e::FreshFolder(L"vanished");
  const std::wstring incoming = e2e::FreshFolder(L"returning");
  ASSERT_TRUE(RemoveDirectoryW(away.c_str()));
  const COLORREF kYellow = RGB(230, 220, 40);
  for (const wchar_t* name : {L"\\a.bmp", L"\\b.bmp"}) {
    e2e::WriteSolidBmp(folder + name, 400, 300, kRed);
    e2e::WriteSolidBmp(incoming + name, 400, 300, kYellow);  // what comes back shows itself
  }
  auto saver = Start(folder, {{"Cyuuou", "1"}, {"Speed", "300"}}, 0);
  ASSERT_GE(e2e::MsUntilColourAt(512, 384, kRed, 5000), 0);
  ASSERT_TRUE(MoveFileW(folder.c_str(), away.c_str()));
  e2e::Sleep(4000);  // long past the first failures' free run
  EXPECT_TRUE(saver->Running());
  ASSERT_TRUE(MoveFileW(incoming.c_str(), folder.c_str()));
  const int back = e2e::MsUntilColourAt(512, 384, kYellow, 5000);
  EXPECT_GE(back, 0) << "no picture after the folder came back";
  EXPECT_LE(back, 2000);
  e2e::PressKey('A');
  EXPECT_TRUE(saver->WaitForExit(3000));
}

// A hundred damaged files and one good picture, chosen at random: the failures make no
// long pauses, so the good picture comes soon.
TEST_F(ShowTest, OneGoodPictureAmongAHundredDamagedComesSoon) {
  const std::wstring folder = e2e::FreshFolder(L"damaged");
  for (int i = 0; i < 100; ++i) {
    const std::wstring name = folder + L"\\damaged" + std::to_wstring(i);
    switch (i % 3) {
      case 0: e2e::WriteBytes(name + L".jpg", "\xFF\xD8\xFF\xE0" + std::string(3000, 'x')); break;
      case 1: e2e::WriteBytes(name + L".gif", "GIF89a\x10\x00"); break;
      default: e2e::WriteBytes(name + L".bmp", std::string(2000, 'B')); break;
    }
  }
  e2e::WriteSolidBmp(folder + L"\\good.bmp", 400, 300, kBlue);
  e2e::WriteSettingsText(Settings(folder, {{"Cyuuou", "1"}, {"Speed", "1000"}}));
  SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  const int shown = e2e::MsUntilColourAt(512, 384, kBlue, 10000);
  EXPECT_GE(shown, 0) << "the good picture never came";
  EXPECT_LE(shown, 2000);
}
