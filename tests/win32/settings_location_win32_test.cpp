// Saving where the Windows folder's settings file cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "settings/settings_files_win32.h"

namespace {

const wchar_t kLockedFolder[] = L"C:\\glimmer_locked";

std::string Bytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring TempFolder(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

void RemoveTree(const std::wstring& file) {
  DeleteFileW(file.c_str());
  std::wstring folder = file;
  for (int i = 0; i < 3; ++i) {
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    RemoveDirectoryW(folder.c_str());
  }
}

const char kSavedText[] =
    "[Orvella_Glimmerdeck]\r\nFolder=C:\\NEW\r\nSpeed=300\r\nMouseM=15\r\nCheckM=1\r\n"
    "Cyuuou=0\r\nOderFileName=0\r\nBgmPlay=0\r\nBgmPlayName=\r\nKakudai=0\r\nRefresh=0\r\n"
    "Biliner=0\r\nSubFolder=0\r\nShaffle=0\r\nMulti=0\r\n";

settings::SaverSettings SavedRecord() {
  settings::SaverSettings record;
  record.Folder = L"C:\\NEW";
  record.Speed = 300;
  return record;
}

}  // namespace

TEST(SettingsFileLocation, DeniedWindowsFolderSavesIntoTheVirtualStore) {
  std::wstring locked = std::wstring(kLockedFolder) + L"\\O_GLMK.INI";
  if (GetFileAttributesW((std::wstring(kLockedFolder) + L"\\locked").c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "the file system here refuses the immutable attribute";
  const std::string before = Bytes(locked);
  settings::SettingsLocations places{locked, TempFolder(L"glimmer_vs\\VirtualStore\\Windows\\O_GLMK.INI")};
  RemoveTree(places.virtualStoreFile);
  settings::Win32SettingsDisk disk;
  EXPECT_EQ(settings::SaveSettingsRecord(places, disk, SavedRecord()), places.virtualStoreFile);
  EXPECT_EQ(Bytes(places.virtualStoreFile), kSavedText);
  EXPECT_EQ(Bytes(locked), before);
  EXPECT_EQ(settings::SettingsPathToUse(places, disk), places.virtualStoreFile);
  RemoveTree(places.virtualStoreFile);
}

TEST(SettingsFileLocation, WritableWindowsFolderIsWrittenAsBefore) {
  settings::SettingsLocations places{TempFolder(L"glimmer_win_O_GLMK.INI"),
                                     TempFolder(L"glimmer_vs2\\VirtualStore\\Windows\\O_GLMK.INI")};
  DeleteFileW(places.windowsFile.c_str());
  RemoveTree(places.virtualStoreFile);
  settings::Win32SettingsDisk disk;
  EXPECT_EQ(settings::SaveSettingsRecord(places, disk, SavedRecord()), places.windowsFile);
  EXPECT_EQ(Bytes(places.windowsFile), kSavedText);
  EXPECT_EQ(GetFileAttributesW(places.virtualStoreFile.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(places.windowsFile.c_str());
}

TEST(SettingsFileLocation, VirtualStorePathIsUnderLocalAppData) {
  settings::SettingsLocations places = settings::SystemSettingsLocations();
  EXPECT_NE(places.virtualStoreFile.find(L"\\VirtualStore\\Windows\\O_GLMK.INI"), std::wstring::npos);
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(places.windowsFile, std::wstring(windows) + L"\\O_GLMK.INI");
}
