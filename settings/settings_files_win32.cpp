#include "settings/settings_files_win32.h"

namespace settings {

std::wstring SettingsFilePath() { return platform::WindowsFolderSettingsPath(); }

platform::IniProfile OpenSettings() { return platform::IniProfile(SettingsFilePath()); }

// The settings dialog is not built yet: the launcher's button and the notices call here.
void ShowSettingsDialog(HWND, bool) {}

const SaverSettings* LoadedDialogState() { return nullptr; }

}  // namespace settings
