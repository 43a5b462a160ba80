#pragma once
// The folder browser "フォルダ参照": a drive list, a directory list and the picture files
// of the open directory, over FolderBrowserModel.
#include <windows.h>

#include <optional>
#include <string>

namespace settings {

// Shows the browser modal to owner, starting on the program's current directory. On
// "登録" it empties the saver window's picture list and returns the open directory;
// on cancel or the close box it returns nothing.
std::optional<std::wstring> ChooseFolder(HWND owner);

}  // namespace settings
