#pragma once
// Where the program's settings file is, and how it is read and saved.
#include <windows.h>

#include <string>

#include "platform/profile_win32.h"
#include "settings/settings.h"
#include "settings/settings_location.h"

namespace settings {

SettingsLocations SystemSettingsLocations();

// Every reader and writer of the settings goes through this path.
std::wstring SettingsFilePath();
platform::IniProfile OpenSettings();
// Whether a picture folder has been saved: Folder read with the default "none".
bool FolderIsSaved();
// Writes every key; falls back to the VirtualStore copy where the Windows folder refuses.
std::wstring SaveSettings(const SaverSettings& record);

class Win32SettingsDisk : public SettingsDisk {
 public:
  bool FileExists(const std::wstring& path) override;
  bool CreateFolderFor(const std::wstring& filePath) override;
  bool WriteAll(const std::wstring& path, const SaverSettings& record) override;
};

}  // namespace settings
