#pragma once
// The full-screen saver window: black, topmost, over every monitor.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/base_window_win32.h"
#include "platform/ports.h"
#include "saver/cursor.h"
#include "settings/settings.h"

namespace saver {

class SystemCursor : public platform::CursorDisplay {
 public:
  int Show(bool show) override { return ShowCursor(show ? TRUE : FALSE); }
};

class SaverWindow : public platform::BaseWindow<SaverWindow> {
 public:
  static constexpr UINT kTimer1 = 1;
  static constexpr UINT kTimer1Interval = 100;

  SaverWindow() : cursor_(systemCursor_) {}
  bool Create(HWND owner);
  // 0 stops the timer.
  void SetTimer1Interval(UINT ms);
  // Shows the window; the set-up runs once the caller's own steps are done.
  void Show();
  bool IsVisible() const { return IsWindowVisible(Window()) != FALSE; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The show engine reads these.
  int32_t DisplayWidth() const { return displayWidth_; }
  int32_t DisplayHeight() const { return displayHeight_; }
  const settings::SaverSettings& Record() const { return record_; }
  std::vector<std::wstring>& List1() { return list1_; }

  void ReportNoFolder();
  void HideCursor() { cursor_.HideCursor(); }
  void RestoreCursor() { cursor_.RestoreCursor(); }

 private:
  static constexpr UINT kSetupMessage = WM_APP + 1;

  void OnSetup();
  void StretchOverDesk();
  void EndSaver();

  SystemCursor systemCursor_;
  CursorKeeper cursor_;
  settings::SaverSettings record_;
  std::wstring folder_, speed_, mouseM_;
  int32_t displayWidth_ = 0;
  int32_t displayHeight_ = 0;
  int32_t showStarted_ = 0;
  int32_t mouseCount_ = 0;
  UINT timer1Interval_ = kTimer1Interval;
  std::vector<std::wstring> list1_;
};

}  // namespace saver
