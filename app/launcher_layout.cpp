#include "app/launcher_layout.h"

namespace app {

const std::vector<ControlSpec>& LauncherControls() {
  static const std::vector<ControlSpec> controls = {
      {kFrame1, L"FRAME", L"Information", 120, 60, 4590, 2280, LauncherFont::Ui},
      {kImage1, L"IMAGE", L"", 330, 420, 720, 720, LauncherFont::Ui},
      {kLabel1, L"STATIC", L"Glimmerdeck", 1230, 360, 3300, 420, LauncherFont::ProductName},
      {kLabel2, L"STATIC", L"Version 3.30", 1230, 810, 3300, 270, LauncherFont::Label},
      {kLabel3, L"STATIC", L"Produced by  Brightfen", 1230, 1170, 3300, 270, LauncherFont::Ui},
      {kLabel5, L"STATIC", L"作者: 星野 灯  <info@brightfen.example>", 330, 1530, 4200, 270,
       LauncherFont::Ui},
      {kLabel4, L"LINK", kMakerAddress, 330, 1890, 4200, 270, LauncherFont::Link},
      {kCommand3, L"BUTTON", L"設定", 210, 2490, 1335, 390, LauncherFont::Ui},
      {kCommand1, L"BUTTON", L"実行", 1748, 2490, 1335, 390, LauncherFont::Ui},
      {kCommand2, L"BUTTON", L"終了", 3285, 2490, 1335, 390, LauncherFont::Ui},
  };
  return controls;
}

}  // namespace app
