#pragma once
// Which settings file the program reads and writes.
//
// The file belongs in the Windows folder, but a standard user cannot write there on any
// Windows since Vista; older builds had their writes redirected by the system to the
// user's VirtualStore copy, which then holds the newer settings.
#include <string>

#include "settings/settings.h"

namespace settings {

struct SettingsLocations {
  std::wstring windowsFile;       // <Windows folder>\O_GLMK.INI
  std::wstring virtualStoreFile;  // %LOCALAPPDATA%\VirtualStore\Windows\O_GLMK.INI
};

class SettingsDisk {
 public:
  virtual ~SettingsDisk() = default;
  virtual bool FileExists(const std::wstring& path) = 0;
  virtual bool CreateFolderFor(const std::wstring& filePath) = 0;
  // Writes every key, then confirms that the file really took them.
  virtual bool WriteAll(const std::wstring& path, const SaverSettings& record) = 0;
};

// True when the file's text holds every key of the record with the value it writes.
bool FileTextHoldsRecord(const std::wstring& fileText, const SaverSettings& record);

std::wstring SettingsPathToUse(const SettingsLocations& locations, SettingsDisk& disk);

// The path the record now lives in; empty when it could be written nowhere.
std::wstring SaveSettingsRecord(const SettingsLocations& locations, SettingsDisk& disk,
                                const SaverSettings& record);

}  // namespace settings
