#pragma once
// The program's user-visible texts, each written once.

namespace res {

inline constexpr wchar_t kAppTitle[] = L"SCRNSAVE:Glimmerdeck";
inline constexpr wchar_t kSaverCaption[] = L"Glimmerdeck";
inline constexpr wchar_t kNoFolderPrompt[] = L"ＣＧのあるフォルダを指定して下さい。";
inline constexpr wchar_t kNoFolderTitle[] = L"設定異常ダイアログ";
inline constexpr wchar_t kNoFolderTitleInDialog[] = L"初期起動ダイアログ";
inline constexpr wchar_t kMonitorErrorPrefix[] = L"APIｴﾗｰｺｰﾄﾞ = ";
inline constexpr wchar_t kPasswordKeyName[] = L"SCRSAVE";

}  // namespace res
