#include "settings/settings_dialog_layout.h"

namespace settings {
namespace {

using K = platform::ControlKind;

struct Offset {
  int left, top;
};

// The frames' client-area positions: controls inside a frame are placed from its corner.
constexpr Offset kInFrame1{120, 120};
constexpr Offset kInFrame2{4920, 120};
constexpr Offset kInFrame3{120, 1320};
constexpr Offset kInFrame4{kInFrame2.left + 120, kInFrame2.top + 240};
constexpr Offset kInFrame5{kInFrame2.left + 120, kInFrame2.top + 1920};
constexpr Offset kInFrame6{kInFrame2.left + 120, kInFrame2.top + 3120};
constexpr Offset kInWindow{0, 0};

// Labels and check boxes have one line of the dialog's font.
constexpr int kLine = 240;

platform::ControlSpec At(Offset frame, int id, K kind, const wchar_t* caption, int left, int top, int width,
                         int height) {
  return {id, kind, caption, frame.left + left, frame.top + top, width, height, 0};
}

}  // namespace

const std::vector<platform::ControlSpec>& SettingsDialogControls() {
  static const std::vector<platform::ControlSpec> controls = {
      At(kInWindow, kFrame1, K::Frame, L"画像フォルダ設定", 120, 120, 4695, 1095),
      At(kInFrame1, kLabel1, K::Label, L"ココへ画像ファイルのあるフォルダを指定して下さい。", 120, 240, 4455, kLine),
      At(kInFrame1, kLabel2, K::Label, L"（例：　C:\\CGDATA  )", 120, 480, 1800, kLine),
      At(kInWindow, kFrame3, K::Frame, L"表示動作カスタム", 120, 1320, 4695, 2655),
      At(kInFrame3, kLabel3, K::Label, L"以下のバーで表示速度を設定できます。", 120, 240, 4455, kLine),
      At(kInFrame3, kLabel5, K::Label, L"早い", 240, 600, 600, kLine),
      At(kInFrame3, kLabel4, K::Label, L"標準", 2160, 600, 600, kLine),
      At(kInFrame3, kLabel6, K::Label, L"遅い", 4080, 600, 495, kLine),
      At(kInFrame3, kLabel13, K::Label, L"バイリニア補間は設定を速くしても一定以上速くなりません", 120, 1200, 4455,
         kLine),
      At(kInFrame3, kLabel7, K::Label, L"以下のバーでマウス感度を設定できます。", 120, 1560, 4455, kLine),
      At(kInFrame3, kLabel8, K::Label, L"敏感", 240, 1920, 600, kLine),
      At(kInFrame3, kLabel10, K::Label, L"標準", 2160, 1920, 600, kLine),
      At(kInFrame3, kLabel9, K::Label, L"鈍感", 4080, 1920, 495, kLine),
      At(kInWindow, kFrame2, K::Frame, L"オプション", 4920, 120, 4815, 4335),
      At(kInFrame2, kFrame4, K::Frame, L"画像について", 120, 240, 4575, 1575),
      At(kInFrame2, kFrame5, K::Frame, L"表示について", 120, 1920, 4575, 1095),
      At(kInFrame2, kFrame6, K::Frame, L"BGMについて", 120, 3120, 4575, 1095),

      At(kInFrame1, kChkSubFolder, K::CheckBox, L"サブフォルダも検索する", 1920, 480, 2655, kLine),
      At(kInFrame1, kText1, K::Edit, L"", 120, 720, 3615, 270),
      At(kInFrame1, kCommand3, K::Button, L"参照", 3840, 720, 735, 255),
      At(kInFrame3, kHScroll1, K::HScroll, L"", 120, 840, 4455, 255),
      At(kInFrame3, kHScroll2, K::HScroll, L"", 120, 2160, 4455, 255),
      At(kInFrame4, kCheck1, K::CheckBox, L"画面に収まらないときは縮小", 120, 240, 4335, kLine),
      At(kInFrame4, kChkKakudai, K::CheckBox, L"小さい画像は拡大表示", 120, 480, 4335, kLine),
      At(kInFrame4, kChkCyuuou, K::CheckBox, L"画像は中央に表示 （通常はランダムに配置します）", 120, 720, 4335, kLine),
      At(kInFrame4, kChkMulti, K::CheckBox, L"プライマリディスプレイのみ画像を表示 （左側専用）", 120, 960, 4335, kLine),
      At(kInFrame4, kChkBiliner, K::CheckBox, L"バイリニア補間　（低速・高画質版拡大・縮小表示）", 120, 1200, 4335,
         kLine),
      At(kInFrame5, kChkOderFileName, K::CheckBox, L"ファイル名順に表示 （通常はランダムに表示します）", 120, 240,
         4335, kLine),
      At(kInFrame5, kChkShaffle, K::CheckBox, L"画像をシャッフルして表示", 120, 480, 4335, kLine),
      At(kInFrame5, kChkRefresh, K::CheckBox, L"直前の画像を消去しない", 120, 720, 4335, kLine),
      At(kInFrame6, kChkBgmPlay, K::CheckBox, L"BGMを流す （拡張子 MID WAV MP3 に対応）", 240, 360, 4215, kLine),
      At(kInFrame6, kText2, K::Edit, L"", 120, 720, 3495, 270),
      At(kInFrame6, kCommand5, K::Button, L"参照", 3720, 720, 735, 255),
      At(kInWindow, kCommand1, K::Button, L"記録", 240, 4080, 1095, 375),
      At(kInWindow, kCommand4, K::Button, L"記録実行", 1920, 4080, 1095, 375),
      At(kInWindow, kCommand2, K::Button, L"キャンセル", 3600, 4080, 1095, 375),
  };
  return controls;
}

const std::vector<platform::ControlSpec>& FolderBrowserControls() {
  static const std::vector<platform::ControlSpec> controls = {
      At(kInWindow, kBrowserCommand1, K::Button, L"登録", 840, 3600, 1095, 375),
      At(kInWindow, kBrowserCommand2, K::Button, L"キャンセル", 2760, 3600, 975, 375),
      // A closed drop-down is as tall as its font makes it; 315 twips holds the dialog's.
      At(kInWindow, kDrive1, K::DropDown, L"", 120, 120, 2295, 315),
      At(kInWindow, kDir1, K::DrawnList, L"", 120, 600, 2295, 2820),
      At(kInWindow, kFile1, K::List, L"", 2520, 120, 1935, 3330),
  };
  return controls;
}

}  // namespace settings
