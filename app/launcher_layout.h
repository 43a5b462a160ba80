#pragma once
// The launcher's controls and where they stand, in twips.
#include <vector>

#include "platform/control_spec.h"

namespace app {

enum LauncherFont { kUiFont, kProductNameFont, kLabelFont, kLinkFont };

inline constexpr int kLauncherClientWidth = 4830;
inline constexpr int kLauncherClientHeight = 3015;

enum LauncherId {
  kFrame1 = 101,
  kLabel1,
  kLabel2,
  kLabel3,
  kLabel5,
  kLabel4,
  kImage1,
  kCommand3,  // 設定
  kCommand1,  // 実行
  kCommand2,  // 終了
};

inline constexpr wchar_t kLauncherCaption[] = L"Glimmerdeck Information";
inline constexpr wchar_t kMakerAddress[] = L"https://www.brightfen.example/glimmerdeck/";

// In creation order, which is also the buttons' tab order.
const std::vector<platform::ControlSpec>& LauncherControls();

}  // namespace app
