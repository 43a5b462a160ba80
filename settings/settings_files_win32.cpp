#include "settings/settings_files_win32.h"

#include <shlobj.h>

#include "platform/win32_handles.h"

namespace settings {
namespace {

std::wstring LocalAppDataFolder() {
  PWSTR folder = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) path = folder;
  CoTaskMemFree(folder);
  return path;
}

}  // namespace

SettingsLocations SystemSettingsLocations() {
  SettingsLocations places;
  places.windowsFile = platform::WindowsFolderFilePath(kFileName);
  std::wstring local = LocalAppDataFolder();
  if (!local.empty()) places.virtualStoreFile = local + L"\\VirtualStore\\Windows\\" + kFileName;
  return places;
}

std::wstring SettingsFilePath() {
  Win32SettingsDisk disk;
  return SettingsPathToUse(SystemSettingsLocations(), disk);
}

platform::IniProfile OpenSettings() { return platform::IniProfile(SettingsFilePath()); }

bool FolderIsSaved() {
  auto profile = OpenSettings();
  return ReadFolderValue(profile, kNoFolder) != kNoFolder;
}

std::wstring SaveSettings(const SaverSettings& record) {
  Win32SettingsDisk disk;
  return SaveSettingsRecord(SystemSettingsLocations(), disk, record);
}

bool Win32SettingsDisk::FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32SettingsDisk::CreateFolderFor(const std::wstring& filePath) {
  std::wstring folder = filePath.substr(0, filePath.find_last_of(L'\\'));
  int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

// Windows refuses a denied write with FALSE, but Wine reports success for writes that
// never reach the disk (even its CreateFileW succeeds on an unwritable file), so the file
// is read back from the disk itself, past the profile functions' cache.
bool Win32SettingsDisk::WriteAll(const std::wstring& path, const SaverSettings& record) {
  platform::IniProfile profile(path);
  WriteSettings(profile, record);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
  auto text = platform::ReadTextFile(path);
  return text && FileTextHoldsRecord(*text, record);
}

}  // namespace settings
