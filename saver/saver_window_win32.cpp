#include "saver/saver_window_win32.h"

#include <string>
#include <vector>

#include "app/program_win32.h"
#include "app/texts.h"
#include "platform/geometry_win32.h"
#include "saver/monitors.h"
#include "saver/saver_start.h"
#include "settings/settings_files_win32.h"

namespace saver {
namespace {

constexpr wchar_t kClassName[] = L"GlimmerdeckSaverWindow";

// Every monitor's rectangle; a monitor whose information cannot be read is reported
// and still counted.
BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC, LPRECT rect, LPARAM data) {
  auto* monitors = reinterpret_cast<std::vector<platform::Rect>*>(data);
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) {
    std::wstring text = app::kMonitorErrorPrefix + std::to_wstring(GetLastError());
    MessageBoxW(nullptr, text.c_str(), app::kSaverCaption, MB_OK | MB_ICONSTOP);
  }
  monitors->push_back(platform::FromRECT(*rect));
  return TRUE;
}

}  // namespace

bool SaverWindow::Create(HWND owner) {
  Register(kClassName, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
  // A tool window owned by the hidden application window: no task-bar button.
  CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, app::kSaverCaption, WS_POPUP, 0, 0, 0, 0, owner,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (!Window()) return false;
  SetTimer1Interval(timer1Interval_);
  return true;
}

void SaverWindow::SetTimer1Interval(UINT ms) {
  timer1Interval_ = ms;
  if (ms == 0)
    KillTimer(Window(), kTimer1);
  else
    SetTimer(Window(), kTimer1, ms, nullptr);
}

// The window is stretched over the desk before it first appears, so that Wine's X11
// driver sees a full-screen window and lets it take the keyboard focus.
void SaverWindow::Show() {
  StretchOverDesk();
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  PostMessageW(Window(), kSetupMessage, 0, 0);
}

void SaverWindow::StretchOverDesk() {
  std::vector<platform::Rect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, MonitorEnumProc, reinterpret_cast<LPARAM>(&monitors));
  const platform::Rect desk = VirtualDesk(monitors);
  const platform::Size size = DisplaySize(desk);
  displayWidth_ = size.width;
  displayHeight_ = size.height;
  SetWindowPos(Window(), nullptr, desk.left, desk.top, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void SaverWindow::OnSetup() {
  if (!IsVisible()) return;
  auto profile = settings::OpenSettings();
  SaverStartValues start = TakeSaverSettings(profile, settings::LoadedDialogState());
  StretchOverDesk();
  ShowWindow(Window(), SW_SHOW);
  SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetForegroundWindow(Window());
  SetFocus(Window());
  showStarted_ = 0;
  if (app::TheProgram().previousInstance) app::EndProgram();
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
  record_ = start.record;
  folder_ = start.Folder;
  speed_ = start.Speed;
  mouseM_ = start.MouseM;
  try {
    list1_.clear();
    mouseCount_ = 0;
    HideCursor();
    showStarted_ = 1;
  } catch (...) {
  }
  if (showStarted_ == 0) ReportNoFolder();
}

void SaverWindow::ReportNoFolder() {
  RestoreCursor();
  ShowCursor(TRUE);
  app::ShowNoFolderMessage(app::kNoFolderTitle);
  settings::ShowSettingsDialog(app::TheProgram().appWindow, false);
}

void SaverWindow::EndSaver() {
  RestoreCursor();
  app::EndProgram();
}

LRESULT SaverWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kSetupMessage:
      OnSetup();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (showStarted_ == 1) EndSaver();
      return 0;
    case WM_TIMER:
      return 0;
    case WM_CLOSE:
      return 0;  // the saver ends only through its input watch
    default:
      return DefWindowProcW(Window(), message, wParam, lParam);
  }
}

}  // namespace saver
