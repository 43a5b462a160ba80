#include "app/launcher_layout.h"

namespace app {

const std::vector<platform::ControlSpec>& LauncherControls() {
  using K = platform::ControlKind;
  static const std::vector<platform::ControlSpec> controls = {
      {kFrame1, K::Frame, L"Information", 120, 60, 4590, 2280, kUiFont},
      {kImage1, K::Image, L"", 330, 420, 720, 720, kUiFont},
      {kLabel1, K::Label, L"Glimmerdeck", 1230, 360, 3300, 420, kProductNameFont},
      {kLabel2, K::Label, L"Version 3.30", 1230, 810, 3300, 270, kLabelFont},
      {kLabel3, K::Label, L"Produced by  Brightfen", 1230, 1170, 3300, 270, kUiFont},
      {kLabel5, K::Label, L"作者: 星野 灯  <info@brightfen.example>", 330, 1530, 4200, 270,
       kUiFont},
      {kLabel4, K::Link, kMakerAddress, 330, 1890, 4200, 270, kLinkFont},
      {kCommand3, K::Button, L"設定", 210, 2490, 1335, 390, kUiFont},
      {kCommand1, K::Button, L"実行", 1748, 2490, 1335, 390, kUiFont},
      {kCommand2, K::Button, L"終了", 3285, 2490, 1335, 390, kUiFont},
  };
  return controls;
}

}  // namespace app
