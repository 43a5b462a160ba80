// The settings dialog of the real o_glmk.scr: what it shows, its rules, and what it saves.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile_win32.h"
#include "settings/settings.h"
#include "settings/settings_dialog_layout.h"
#include "tests/e2e/e2e_support.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr wchar_t kLauncher[] = L"Glimmerdeck Information";
constexpr wchar_t kDialog[] = L"フォルダ・速度設定";
constexpr wchar_t kNoFolderTitle[] = L"設定異常ダイアログ";
constexpr wchar_t kFirstRunTitle[] = L"初期起動ダイアログ";
constexpr wchar_t kNoFolderPrompt[] = L"ＣＧのあるフォルダを指定して下さい。";
constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kCloseTimeout = 5000;

struct CheckBox {
  const char* key;
  int id;
};

// Every check box with the key it is saved under.
const CheckBox kCheckBoxes[] = {
    {"CheckM", settings::kCheck1},          {"Kakudai", settings::kChkKakudai},
    {"Cyuuou", settings::kChkCyuuou},       {"Multi", settings::kChkMulti},
    {"Biliner", settings::kChkBiliner},     {"OderFileName", settings::kChkOderFileName},
    {"Shaffle", settings::kChkShaffle},     {"Refresh", settings::kChkRefresh},
    {"BgmPlay", settings::kChkBgmPlay},     {"SubFolder", settings::kChkSubFolder},
};

// The keys of the boxes that are checked, in the table's order.
std::vector<std::string> CheckedKeys(const e2e::SettingsDialog& dialog) {
  std::vector<std::string> keys;
  for (const CheckBox& box : kCheckBoxes)
    if (dialog.Checked(box.id)) keys.push_back(box.key);
  return keys;
}

class SettingsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    e2e::RemoveSettings();
    e2e::RemoveVirtualStoreSettings();
    e2e::SetUsePassword(false);
    e2e::MoveCursor(500, 400);
  }
  void TearDown() override {
    e2e::RemoveSettings();
    e2e::RemoveVirtualStoreSettings();
  }

  // Starts the launcher and opens the dialog from it.
  e2e::SettingsDialog OpenFromLauncher(SaverProcess& saver) {
    HWND window = e2e::OpenSettingsFromLauncher(saver, kStartTimeout);
    EXPECT_NE(window, nullptr) << "no settings dialog";
    return e2e::SettingsDialog(window);
  }
};

// The Folder value exactly as the file holds it; nothing when there is no Folder line.
std::optional<std::string> FolderLine(const std::string& bytes) {
  const std::string marker = "\r\nFolder=";
  size_t start = bytes.find(marker);
  if (start == std::string::npos) return std::nullopt;
  start += marker.size();
  return bytes.substr(start, bytes.find("\r\n", start) - start);
}

std::wstring FolderWithAPicture(const std::wstring& name, COLORREF colour) {
  std::wstring folder = e2e::FreshFolder(name);
  e2e::WriteSolidBmp(folder + L"\\picture.bmp", 400, 300, colour);
  return folder;
}

}  // namespace

TEST_F(SettingsDialogTest, FirstOpeningShowsTheDesignedValues) {
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  // The controls the captions name are the ones the ids name.
  EXPECT_EQ(e2e::ChildWithText(dialog.Window(), L"Button", L"参照", 0), dialog.Item(settings::kCommand3));
  EXPECT_EQ(e2e::ChildWithText(dialog.Window(), L"Button", L"参照", 1), dialog.Item(settings::kCommand5));
  std::vector<HWND> edits = e2e::ChildrenOfClass(dialog.Window(), L"Edit");
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(edits[0], dialog.Item(settings::kText1));
  EXPECT_EQ(edits[1], dialog.Item(settings::kText2));

  EXPECT_EQ(dialog.FolderText(), L" ");
  EXPECT_EQ(e2e::ScrollPosition(dialog.Item(settings::kHScroll1)), 10000);
  EXPECT_EQ(e2e::ScrollPosition(dialog.Item(settings::kHScroll2)), 15);
  EXPECT_EQ(CheckedKeys(dialog), std::vector<std::string>{"CheckM"});
  EXPECT_FALSE(dialog.Enabled(settings::kText2));
  EXPECT_FALSE(dialog.Enabled(settings::kCommand5));
  EXPECT_TRUE(dialog.Enabled(settings::kCommand3));
  EXPECT_TRUE(dialog.Enabled(settings::kText1));
  // Modal to the launcher.
  HWND launcher = saver.FindVisibleWindow(kLauncher);
  ASSERT_NE(launcher, nullptr);
  EXPECT_FALSE(IsWindowEnabled(launcher));
}

TEST_F(SettingsDialogTest, ScrollBarsKeepToTheirRanges) {
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  struct Case {
    int bar;
    int set;
    int want;
  };
  const Case cases[] = {
      {settings::kHScroll1, 0, 1},     {settings::kHScroll1, 1, 1},   {settings::kHScroll1, 20000, 20000},
      {settings::kHScroll1, 20001, 20000}, {settings::kHScroll2, 4, 5}, {settings::kHScroll2, 5, 5},
      {settings::kHScroll2, 25, 25},   {settings::kHScroll2, 26, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "bar " << c.bar << " set " << c.set);
    e2e::SetScrollPosition(dialog.Item(c.bar), c.set);
    EXPECT_EQ(e2e::ScrollPosition(dialog.Item(c.bar)), c.want);
  }
}

TEST_F(SettingsDialogTest, SaveWritesEveryKeyInOrderAndTheNextOpeningShowsThem) {
  SaverProcess saver(L"/C");
  {
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(L"C:\\pics");
    e2e::SetScrollPosition(dialog.Item(settings::kHScroll1), 1);
    e2e::SetScrollPosition(dialog.Item(settings::kHScroll2), 25);
    for (int id : {settings::kCheck1, settings::kChkKakudai, settings::kChkMulti, settings::kChkSubFolder,
                   settings::kChkRefresh})
      dialog.Toggle(id);
    ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  }
  EXPECT_EQ(e2e::ReadSettingsBytes(),
            e2e::WithValues(e2e::SettingsWithFolder("C:\\pics"), {{"Speed", "1"},
                                                                 {"MouseM", "25"},
                                                                 {"CheckM", "0"},
                                                                 {"Kakudai", "1"},
                                                                 {"Refresh", "1"},
                                                                 {"SubFolder", "1"},
                                                                 {"Multi", "1"}}));
  EXPECT_FALSE(e2e::FileExists(e2e::VirtualStoreSettingsPath()));
  HWND launcher = saver.FindVisibleWindow(kLauncher);
  ASSERT_NE(launcher, nullptr);
  EXPECT_TRUE(IsWindowEnabled(launcher));
  EXPECT_TRUE(saver.Running());

  e2e::SettingsDialog again = OpenFromLauncher(saver);
  ASSERT_NE(again.Window(), nullptr);
  EXPECT_EQ(again.FolderText(), L"C:\\pics");
  EXPECT_EQ(e2e::ScrollPosition(again.Item(settings::kHScroll1)), 1);
  EXPECT_EQ(e2e::ScrollPosition(again.Item(settings::kHScroll2)), 25);
  EXPECT_EQ(CheckedKeys(again), (std::vector<std::string>{"Kakudai", "Multi", "Refresh", "SubFolder"}));
}

// "記録" stores the folder box as typed. The profile functions may drop the blanks around
// a value, so the file may hold less than was typed, but never more, and the Windows
// folder's file, which can be written, is the one that takes the save.
TEST_F(SettingsDialogTest, SaveKeepsTheFolderAsTypedInTheWindowsFolderFile) {
  struct Case {
    const wchar_t* typed;
    const char* withoutBlanks;
  };
  for (const Case& c : {Case{L" ", ""}, Case{L"  C:\\pics  ", "C:\\pics"}}) {
    SCOPED_TRACE(e2e::Narrow(c.typed));
    e2e::RemoveSettings();
    e2e::RemoveVirtualStoreSettings();
    SaverProcess saver(L"/C");
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(c.typed);
    ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
    const std::string bytes = e2e::ReadSettingsBytes();
    std::optional<std::string> folder = FolderLine(bytes);
    ASSERT_TRUE(folder.has_value()) << bytes;
    // The typed text less some of its blanks around it.
    EXPECT_NE(e2e::Narrow(c.typed).find(*folder), std::string::npos) << *folder;
    const size_t first = folder->find_first_not_of(' ');
    EXPECT_EQ(first == std::string::npos ? "" : folder->substr(first, folder->find_last_not_of(' ') - first + 1),
              c.withoutBlanks);
    EXPECT_EQ(e2e::WithValues(bytes, {{"Folder", c.withoutBlanks}}), e2e::SettingsWithFolder(c.withoutBlanks));
    EXPECT_FALSE(e2e::FileExists(e2e::VirtualStoreSettingsPath()))
        << "a VirtualStore copy was made though the Windows folder can be written";
    EXPECT_TRUE(saver.Running());
  }
}

TEST_F(SettingsDialogTest, EmptyFolderBoxRemovesTheFolderKey) {
  e2e::WriteSettingsText(e2e::SettingsWithFolder("C:\\old"));
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  EXPECT_EQ(dialog.FolderText(), L"C:\\old");
  dialog.SetFolderText(L"");
  ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  EXPECT_EQ(e2e::ReadSettingsBytes(), e2e::WithoutKey(e2e::SettingsWithFolder("C:\\old"), "Folder"));
}

TEST_F(SettingsDialogTest, BilinearLocksTheFittingBoxesAndReleasesThemKeepingTheirValues) {
  SaverProcess saver(L"/C");
  {
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(L"C:\\pics");
    dialog.Toggle(settings::kChkRefresh);
    ASSERT_EQ(CheckedKeys(dialog), (std::vector<std::string>{"CheckM", "Refresh"}));
    dialog.Toggle(settings::kChkBiliner);
    EXPECT_EQ(CheckedKeys(dialog), (std::vector<std::string>{"CheckM", "Kakudai", "Cyuuou", "Biliner"}));
    for (int id : {settings::kChkKakudai, settings::kCheck1, settings::kChkCyuuou, settings::kChkRefresh})
      EXPECT_FALSE(dialog.Enabled(id)) << id;
    for (int id : {settings::kChkMulti, settings::kChkBiliner, settings::kChkOderFileName, settings::kChkShaffle})
      EXPECT_TRUE(dialog.Enabled(id)) << id;
    ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  }
  EXPECT_EQ(e2e::ReadSettingsBytes(),
            e2e::WithValues(e2e::SettingsWithFolder("C:\\pics"), {{"Kakudai", "1"}, {"Cyuuou", "1"}, {"Biliner", "1"}}));

  // The next opening locks them as the file is loaded, and a click releases them.
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  for (int id : {settings::kChkKakudai, settings::kCheck1, settings::kChkCyuuou, settings::kChkRefresh})
    EXPECT_FALSE(dialog.Enabled(id)) << id;
  dialog.Toggle(settings::kChkBiliner);
  for (int id : {settings::kChkKakudai, settings::kCheck1, settings::kChkCyuuou, settings::kChkRefresh})
    EXPECT_TRUE(dialog.Enabled(id)) << id;
  EXPECT_EQ(CheckedKeys(dialog), (std::vector<std::string>{"CheckM", "Kakudai", "Cyuuou"}));
  ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  EXPECT_EQ(e2e::ReadSettingsBytes(),
            e2e::WithValues(e2e::SettingsWithFolder("C:\\pics"), {{"Kakudai", "1"}, {"Cyuuou", "1"}}));
}

TEST_F(SettingsDialogTest, FileNameOrderAndShuffleExcludeEachOther) {
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  struct Step {
    int click;
    bool order, shuffle;
  };
  const Step steps[] = {{settings::kChkOderFileName, true, false},
                        {settings::kChkShaffle, false, true},
                        {settings::kChkOderFileName, true, false},
                        {settings::kChkOderFileName, false, false},
                        {settings::kChkShaffle, false, true}};
  int n = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "step " << n++);
    dialog.Toggle(step.click);
    EXPECT_EQ(dialog.Checked(settings::kChkOderFileName), step.order);
    EXPECT_EQ(dialog.Checked(settings::kChkShaffle), step.shuffle);
  }
  dialog.SetFolderText(L"C:\\pics");
  ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  EXPECT_EQ(e2e::ReadSettingsBytes(), e2e::WithValues(e2e::SettingsWithFolder("C:\\pics"), {{"Shaffle", "1"}}));
}

TEST_F(SettingsDialogTest, MusicBoxEnablesTheMusicFileAndItsNameIsTrimmed) {
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  for (bool on : {true, false, true}) {
    dialog.Toggle(settings::kChkBgmPlay);
    EXPECT_EQ(dialog.Enabled(settings::kText2), on);
    EXPECT_EQ(dialog.Enabled(settings::kCommand5), on);
  }
  dialog.SetFolderText(L"C:\\pics");
  e2e::SetControlText(dialog.Item(settings::kText2), L"  C:\\music\\tune.mid  ");
  ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  EXPECT_EQ(e2e::ReadSettingsBytes(), e2e::WithValues(e2e::SettingsWithFolder("C:\\pics"),
                                                      {{"BgmPlay", "1"}, {"BgmPlayName", "C:\\music\\tune.mid"}}));
}

TEST_F(SettingsDialogTest, BadCheckValueStopsTheLoadingSilently) {
  e2e::WriteSettingsText(e2e::WithValues(e2e::SettingsWithFolder("C:\\pics"), {{"Speed", "3000"},
                                                                               {"MouseM", "7"},
                                                                               {"CheckM", "abc"},
                                                                               {"Kakudai", "1"},
                                                                               {"BgmPlay", "0"},
                                                                               {"Shaffle", "1"}}));
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  EXPECT_EQ(dialog.FolderText(), L"");
  EXPECT_EQ(e2e::ScrollPosition(dialog.Item(settings::kHScroll1)), 10000);
  EXPECT_EQ(e2e::ScrollPosition(dialog.Item(settings::kHScroll2)), 15);
  EXPECT_EQ(CheckedKeys(dialog), std::vector<std::string>{"CheckM"});
  EXPECT_TRUE(dialog.Enabled(settings::kText2));
  EXPECT_TRUE(dialog.Enabled(settings::kCommand5));
  EXPECT_EQ(saver.FindVisibleWindow(L"Error"), nullptr);
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxWriteNothing) {
  struct Case {
    const char* name;
    bool withFile;
    bool closeBox;
  };
  // A file a save would rewrite: keys missing, the rest out of order.
  const std::string file = "[Orvella_Glimmerdeck]\r\nSpeed=3000\r\nFolder=C:\\pics\r\n";
  for (const Case& c : {Case{"cancel", true, false}, Case{"close box", true, true}, Case{"cancel, no file", false, false},
                        Case{"close box, no file", false, true}}) {
    SCOPED_TRACE(c.name);
    e2e::RemoveSettings();
    if (c.withFile) e2e::WriteSettingsText(file);
    SaverProcess saver(L"/C");
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(L"C:\\other");
    dialog.Toggle(settings::kChkKakudai);
    e2e::SetScrollPosition(dialog.Item(settings::kHScroll1), 500);
    if (c.closeBox) {
      PostMessageW(dialog.Window(), WM_CLOSE, 0, 0);
      EXPECT_TRUE(e2e::WaitUntilGone(dialog.Window(), kCloseTimeout));
    } else {
      EXPECT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand2));
    }
    EXPECT_NE(saver.FindVisibleWindow(kLauncher), nullptr);
    EXPECT_TRUE(saver.Running());
    if (c.withFile)
      EXPECT_EQ(e2e::ReadSettingsBytes(), file);
    else
      EXPECT_FALSE(e2e::FileExists(e2e::SettingsPath()));
    EXPECT_FALSE(e2e::FileExists(e2e::VirtualStoreSettingsPath()));
  }
}

TEST_F(SettingsDialogTest, SaveAndRunWithoutAFolderAsksForOneAndStaysOpen) {
  for (const wchar_t* typed : {L"", L"   "}) {
    SCOPED_TRACE(e2e::Narrow(typed));
    e2e::RemoveSettings();
    SaverProcess saver(L"/C");
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(typed);
    dialog.Press(settings::kCommand4);
    HWND box = saver.WaitForWindow(kFirstRunTitle, kCloseTimeout);
    ASSERT_NE(box, nullptr);
    wchar_t prompt[256] = {};
    GetDlgItemTextW(box, 0xFFFF, prompt, 256);
    EXPECT_STREQ(prompt, kNoFolderPrompt);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(e2e::WaitUntilGone(box, kCloseTimeout));
    e2e::Sleep(300);
    EXPECT_TRUE(IsWindowVisible(dialog.Window()));
    EXPECT_EQ(saver.FindVisibleWindow(kSaver), nullptr);
    EXPECT_TRUE(saver.Running());
  }
}

TEST_F(SettingsDialogTest, SaveAndRunTrimsTheFolderAndStartsTheShow) {
  const COLORREF red = RGB(220, 30, 30);
  std::wstring folder = FolderWithAPicture(L"save_and_run", red);
  SaverProcess saver(L"/C");
  e2e::SettingsDialog dialog = OpenFromLauncher(saver);
  ASSERT_NE(dialog.Window(), nullptr);
  const HWND launcher = saver.FindVisibleWindow(kLauncher);
  ASSERT_NE(launcher, nullptr);
  dialog.SetFolderText(L"  " + folder + L"  ");
  dialog.Toggle(settings::kChkCyuuou);
  dialog.Press(settings::kCommand4);
  HWND window = saver.WaitForWindow(kSaver, kStartTimeout);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(e2e::WaitUntilGone(dialog.Window(), kCloseTimeout));
  // The launcher goes once the saver window is shown, a moment after it appears.
  EXPECT_TRUE(e2e::WaitUntilGone(launcher, kCloseTimeout));
  EXPECT_EQ(e2e::ReadSettingsBytes(), e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), {{"Cyuuou", "1"}}));
  EXPECT_TRUE(e2e::WaitForCentreColour(red, 5000));
  e2e::PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(kCloseTimeout));
}

TEST_F(SettingsDialogTest, RunWithoutSettingsShowsTheNoticeThenTheLauncherAndTheDialog) {
  SaverProcess saver(L"/S");
  HWND box = saver.WaitForWindow(kNoFolderTitle, kStartTimeout);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND window = saver.WaitForWindow(kDialog, kCloseTimeout);
  ASSERT_NE(window, nullptr);
  HWND launcher = saver.WaitForWindow(kLauncher, kCloseTimeout);
  ASSERT_NE(launcher, nullptr);
  // Modeless: the launcher still takes input.
  EXPECT_TRUE(IsWindowEnabled(launcher));
  e2e::SettingsDialog dialog(window);
  EXPECT_EQ(dialog.FolderText(), L" ");
  ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand2));
  EXPECT_NE(saver.FindVisibleWindow(kLauncher), nullptr);
  EXPECT_TRUE(saver.Running());
}

// With the saver's window hidden and no launcher, the dialog is the last window: closing
// it by any route ends the program.
TEST_F(SettingsDialogTest, ClosingTheLastWindowEndsTheProgram) {
  struct Case {
    const char* name;
    int button;  // 0: the close box
  };
  for (const Case& c : {Case{"cancel", settings::kCommand2}, Case{"close box", 0}, Case{"save", settings::kCommand1}}) {
    SCOPED_TRACE(c.name);
    std::string file = e2e::SettingsWithFolder(e2e::Narrow(e2e::FreshFolder(L"no_pictures")));
    e2e::WriteSettingsText(file);
    SaverProcess saver(L"/S");
    HWND box = saver.WaitForWindow(kNoFolderTitle, kStartTimeout);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND window = saver.WaitForWindow(kDialog, kCloseTimeout);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(saver.FindVisibleWindow(kSaver), nullptr);
    EXPECT_EQ(saver.FindVisibleWindow(kLauncher), nullptr);
    if (c.button)
      e2e::ClickButton(GetDlgItem(window, c.button));
    else
      PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(saver.WaitForExit(kCloseTimeout));
    EXPECT_EQ(e2e::ReadSettingsBytes(), file);
  }
}

// A folder longer than the profile functions' usual 255-character buffer: the file keeps
// it whole, the reader reads it whole, and the next opening shows it whole.
TEST_F(SettingsDialogTest, LongFolderIsKeptWholeAndReadBackAsTheReaderReadsIt) {
  const std::wstring longFolder = L"C:\\" + std::wstring(297, L'a');
  SaverProcess saver(L"/C");
  {
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(longFolder);
    ASSERT_EQ(dialog.FolderText(), longFolder);
    ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  }
  EXPECT_TRUE(saver.Running());
  EXPECT_EQ(e2e::ReadSettingsBytes(), e2e::SettingsWithFolder(e2e::Narrow(longFolder)));
  platform::IniProfile profile(e2e::SettingsPath());
  const std::wstring read = settings::ReadFolderValue(profile, L"none");
  EXPECT_EQ(read, longFolder);  // read whole: a cut path would name another folder
  e2e::SettingsDialog again = OpenFromLauncher(saver);
  ASSERT_NE(again.Window(), nullptr);
  EXPECT_EQ(again.FolderText(), read);
}

TEST_F(SettingsDialogTest, JapaneseFolderRoundTrips) {
  const std::wstring folder = L"C:\\glimmer_e2e\\写真";
  SaverProcess saver(L"/C");
  {
    e2e::SettingsDialog dialog = OpenFromLauncher(saver);
    ASSERT_NE(dialog.Window(), nullptr);
    dialog.SetFolderText(folder);
    ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
  }
  const std::string bytes = e2e::ReadSettingsBytes();
  if (GetACP() == 932)
    EXPECT_EQ(bytes, e2e::SettingsWithFolder("C:\\glimmer_e2e\\\x8E\xCA\x90\x5E"));
  else
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  e2e::SettingsDialog again = OpenFromLauncher(saver);
  ASSERT_NE(again.Window(), nullptr);
  EXPECT_EQ(again.FolderText(), folder);
}
