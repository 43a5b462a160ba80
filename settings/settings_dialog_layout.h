#pragma once
// The settings dialog's and the folder browser's controls and where they stand, in
// twips within each window's client area (frame offsets already added).
#include <vector>

#include "platform/control_spec.h"

namespace settings {

inline constexpr wchar_t kSettingsDialogCaption[] = L"フォルダ・速度設定";
inline constexpr int kSettingsClientWidth = 9885;
inline constexpr int kSettingsClientHeight = 4590;

enum SettingsDialogId {
  kFrame1 = 201,
  kFrame2,
  kFrame3,
  kFrame4,
  kFrame5,
  kFrame6,
  kLabel1,
  kLabel2,
  kLabel3,
  kLabel4,
  kLabel5,
  kLabel6,
  kLabel7,
  kLabel8,
  kLabel9,
  kLabel10,
  kLabel13,
  kChkSubFolder,
  kText1,
  kCommand3,  // browse for the folder
  kHScroll1,
  kHScroll2,
  kCheck1,
  kChkKakudai,
  kChkCyuuou,
  kChkMulti,
  kChkBiliner,
  kChkOderFileName,
  kChkShaffle,
  kChkRefresh,
  kChkBgmPlay,
  kText2,
  kCommand5,  // browse for the music file
  kCommand1,  // 記録
  kCommand4,  // 記録実行
  kCommand2,  // キャンセル
};

// Frames and labels first, then the controls that take the focus in keyboard order.
const std::vector<platform::ControlSpec>& SettingsDialogControls();

inline constexpr wchar_t kFolderBrowserCaption[] = L"フォルダ参照";
inline constexpr int kBrowserClientWidth = 4620;
inline constexpr int kBrowserClientHeight = 4125;

enum FolderBrowserId {
  kBrowserCommand1 = 301,  // 登録
  kBrowserCommand2,        // キャンセル
  kDrive1,
  kDir1,
  kFile1,
};

// In keyboard order.
const std::vector<platform::ControlSpec>& FolderBrowserControls();

}  // namespace settings
