// Where the settings dialog's save lands: the Windows folder's file when it can be
// written, else the user's VirtualStore copy, which the saver then reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_dialog_layout.h"
#include "tests/e2e/e2e_support.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr wchar_t kLauncher[] = L"Glimmerdeck Information";
constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kCloseTimeout = 5000;
const COLORREF kGreen = RGB(30, 200, 60);

// Left by tools/windows-ini-lock once the Windows folder's file really refuses writes.
constexpr wchar_t kLockedMarker[] = L"C:\\glimmer_ini_lock\\locked";
// The text tools/windows-ini-lock puts in the locked file.
constexpr char kLockedFileText[] = "[Orvella_Glimmerdeck]\r\nFolder=C:\\OLD\r\nSpeed=3000\r\n";

// Opens the dialog from the launcher, types the folder, ticks "centre" and saves.
void SaveFolderThroughTheDialog(const SaverProcess& saver, const std::wstring& folder) {
  e2e::SettingsDialog dialog(e2e::OpenSettingsFromLauncher(saver, kStartTimeout));
  ASSERT_NE(dialog.Window(), nullptr);
  dialog.SetFolderText(folder);
  dialog.Toggle(settings::kChkCyuuou);
  ASSERT_TRUE(dialog.PressAndWaitUntilClosed(settings::kCommand1));
}

std::wstring FolderWithAGreenPicture(const std::wstring& name) {
  std::wstring folder = e2e::FreshFolder(name);
  e2e::WriteSolidBmp(folder + L"\\green.bmp", 400, 300, kGreen);
  return folder;
}

}  // namespace

// Runs only under the locked_windows_ini fixture (ctest e2e_locked_settings).
TEST(LockedSettings, SaveGoesToTheVirtualStoreAndTheSaverShowsFromIt) {
  if (!e2e::FileExists(kLockedMarker)) GTEST_SKIP() << "the Windows folder's settings file is not locked";
  ASSERT_EQ(e2e::ReadSettingsBytes(), kLockedFileText);
  ASSERT_FALSE(e2e::FileExists(e2e::VirtualStoreSettingsPath()));
  e2e::SetUsePassword(false);
  e2e::MoveCursor(500, 400);
  const std::wstring folder = FolderWithAGreenPicture(L"locked_show");
  {
    SaverProcess launcher(L"/C");
    SaveFolderThroughTheDialog(launcher, folder);
    EXPECT_TRUE(launcher.Running());
    EXPECT_NE(launcher.FindVisibleWindow(kLauncher), nullptr);
    // The dialog loaded the locked file (Speed), so the copy carries its values on.
    EXPECT_EQ(e2e::ReadFileBytes(e2e::VirtualStoreSettingsPath()),
              e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), {{"Speed", "3000"}, {"Cyuuou", "1"}}));
    EXPECT_EQ(e2e::ReadSettingsBytes(), kLockedFileText);
  }
  SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  EXPECT_TRUE(e2e::WaitForCentreColour(kGreen, 5000));
  e2e::PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(kCloseTimeout));
  e2e::RemoveVirtualStoreSettings();
}

TEST(SettingsStore, SaveWritesTheWindowsFolderFileWhenItCanBeWritten) {
  if (e2e::FileExists(kLockedMarker)) GTEST_SKIP() << "the Windows folder's settings file is locked";
  e2e::RemoveSettings();
  e2e::RemoveVirtualStoreSettings();
  const std::wstring folder = FolderWithAGreenPicture(L"writable_store");
  SaverProcess launcher(L"/C");
  SaveFolderThroughTheDialog(launcher, folder);
  EXPECT_EQ(e2e::ReadSettingsBytes(),
            e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), {{"Cyuuou", "1"}}));
  EXPECT_FALSE(e2e::FileExists(e2e::VirtualStoreSettingsPath()));
  e2e::RemoveSettings();
}
