// Program entry: the instance mutex, the windows, and the start-up dispatch.
#include <windows.h>
#include <commctrl.h>

#include "app/dispatch.h"
#include "app/launcher_win32.h"
#include "app/program_win32.h"
#include "platform/program_win32.h"
#include "platform/win32_handles.h"
#include "res/texts.h"
#include "saver/saver_window_win32.h"
#include "settings/program_windows.h"
#include "settings/settings_dialog_win32.h"
#include "settings/settings_files_win32.h"

namespace app {
namespace {

using platform::DispatchOneMessage;
using platform::EndProgram;
using platform::ShowNoFolderMessage;

constexpr wchar_t kInstanceMutex[] = L"Orvella_Glimmerdeck_Running";
constexpr wchar_t kAppWindowClass[] = L"GlimmerdeckApplication";

HWND CreateApplicationWindow(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = kAppWindowClass;
  RegisterClassExW(&wc);
  return CreateWindowExW(0, kAppWindowClass, res::kAppTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                         nullptr);
}

// The start-up notice: the message, then the launcher and the settings dialog.
void NoFolderNotice() {
  Program& program = TheProgram();
  ShowNoFolderMessage(res::kNoFolderTitle);
  if (program.launcher) program.launcher->ShowModeless();
  settings::ShowSettingsDialog(program.appWindow, false);
}

using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

// Only the Windows 9x family's mpr.dll has the password change; elsewhere the
// missing entry takes the failure route. Only the system folder's copy is taken.
bool ChangeSaverPassword() {
  platform::UniqueLibrary mpr(LoadLibraryExW(L"mpr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!mpr) return false;
  auto change = reinterpret_cast<PwdChangePasswordProc>(
      reinterpret_cast<void*>(GetProcAddress(mpr.get(), "PwdChangePasswordA")));
  if (!change) return false;
  change("SCRSAVE", nullptr, 0, 0);
  return true;
}

void RunSaverAndCloseLauncher() {
  TheProgram().saver->Show();
  if (TheProgram().launcher) TheProgram().launcher->Unload();
}

// What the settings windows do to the saver window and the launcher.
class SettingsWindowsActions : public settings::ProgramWindows {
 public:
  void CloseSaverWindow() override { TheProgram().saver->Close(); }
  void RunSaverAndCloseLauncher() override { app::RunSaverAndCloseLauncher(); }
  void EmptyPictureList() override { TheProgram().saver->List1().clear(); }
  void EndProgramIfNoWindowIsLeft() override {
    Program& program = TheProgram();
    bool launcherShown = program.launcher && IsWindowVisible(program.launcher->Window());
    bool saverShown = program.saver && program.saver->IsVisible();
    if (!launcherShown && !saverShown) EndProgram();
  }
};

class StartActions : public StartHost {
 public:
  void CentreLauncher() override { TheProgram().launcher->CentreOnPrimaryScreen(); }
  bool FolderIsSaved() override { return settings::FolderIsSaved(); }
  void RunSaverAndCloseLauncher() override { app::RunSaverAndCloseLauncher(); }
  void ShowLauncher() override { TheProgram().launcher->ShowModeless(); }
  void StopTimer1() override { TheProgram().saver->SetTimer1Interval(0); }
  bool ChangeSaverPassword() override { return app::ChangeSaverPassword(); }
  void ShowNoFolderNotice() override { NoFolderNotice(); }
};

}  // namespace

Program& TheProgram() {
  static Program program;
  return program;
}

}  // namespace app

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace app;
  // Before anything loads a library: a DLL lying in the program's folder or in the working
  // folder (a downloads folder, say) must never run inside the saver.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Created in every mode: an open launcher is a running instance too.
  platform::UniqueHandle instanceMutex(CreateMutexW(nullptr, FALSE, kInstanceMutex));
  Program& program = TheProgram();
  program.instance = instance;
  program.previousInstance = GetLastError() == ERROR_ALREADY_EXISTS;

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  program.appWindow = CreateApplicationWindow(instance);
  static saver::SaverWindow saverWindow;
  static Launcher launcher;
  saverWindow.Create(program.appWindow, program.previousInstance);
  launcher.Create(program.appWindow);
  program.saver = &saverWindow;
  program.launcher = &launcher;
  static SettingsWindowsActions settingsActions;
  settings::UseProgramWindows(settingsActions);

  StartActions start;
  if (Dispatch(ChooseMode(ArgumentText(GetCommandLineW())), start) == AfterStart::EndProgram) EndProgram();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchOneMessage(msg);
  EndProgram();
}
