#pragma once
// The launcher: product, version, maker, and the Settings, Run and Exit buttons.
#include <windows.h>

#include "platform/base_window_win32.h"
#include "platform/win32_handles.h"

namespace app {

class Launcher : public platform::BaseWindow<Launcher> {
 public:
  bool Create(HWND owner);
  void CentreOnPrimaryScreen();
  void ShowModeless();
  // The closing of the launcher, from any route: the program lives on only while the
  // saver window is visible. It never cancels the closing.
  void Unload();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void LayOut(UINT dpi);
  void OnRun();
  void OnSettings();
  void OnLink();

  UINT dpi_ = 96;
  platform::UniqueGdi<HFONT> uiFont_, productFont_, labelFont_, linkFont_;
  HICON icon_ = nullptr;
};

}  // namespace app
