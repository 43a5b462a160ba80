#pragma once
// Where the program's settings file is, and the dialog that edits it.
#include <windows.h>

#include <string>

#include "platform/profile_win32.h"
#include "settings/settings.h"

namespace settings {

// Every reader and writer of the settings goes through this path.
std::wstring SettingsFilePath();
platform::IniProfile OpenSettings();

// Shows the settings dialog, modal over owner or modeless.
void ShowSettingsDialog(HWND owner, bool modal);
// The dialog's current record while it is loaded, else nothing.
const SaverSettings* LoadedDialogState();

}  // namespace settings
