#include "app/launcher_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/dispatch.h"
#include "app/launcher_layout.h"
#include "app/program_win32.h"
#include "platform/controls_win32.h"
#include "platform/program_win32.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "saver/saver_window_win32.h"
#include "settings/settings_dialog_win32.h"
#include "settings/settings_files_win32.h"

namespace app {
namespace {

constexpr wchar_t kClassName[] = L"GlimmerdeckLauncher";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kLinkColour = 0x00C00000;  // dark blue, stored blue-green-red

}  // namespace

bool Launcher::Create(HWND owner) {
  icon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON,
                                        0, 0, LR_DEFAULTSIZE));
  Register(kClassName, GetSysColorBrush(COLOR_BTNFACE), icon_);
  CreateWindowExW(kExStyle, kClassName, kLauncherCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                  owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!Window()) return false;
  CreateControls();
  LayOut(GetDpiForWindow(Window()));
  return true;
}

void Launcher::CreateControls() {
  platform::CreateControls(Window(), LauncherControls());
  SendDlgItemMessageW(Window(), kImage1, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
}

void Launcher::LayOut(UINT dpi) {
  dpi_ = dpi ? dpi : 96;
  uiFont_ = platform::MakeUiFont(dpi_);
  productFont_ = platform::MakeFont(16, dpi_, L"ＭＳ Ｐゴシック", FW_BOLD);
  labelFont_ = platform::MakeFont(10, dpi_, L"ＭＳ Ｐゴシック");
  linkFont_ = platform::MakeFont(9, dpi_, L"ＭＳ Ｐゴシック", FW_NORMAL, true);
  // In the order of LauncherFont.
  std::vector<HFONT> fonts = {uiFont_.get(), productFont_.get(), labelFont_.get(), linkFont_.get()};
  platform::LayOutControls(Window(), LauncherControls(), dpi_, fonts, kLauncherClientWidth, kLauncherClientHeight);
}

void Launcher::CentreOnPrimaryScreen() { platform::CentreOnPrimaryScreen(Window()); }

void Launcher::ShowModeless() {
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  SetFocus(GetDlgItem(Window(), kCommand3));
}

void Launcher::Unload() {
  saver::SaverWindow* saver = TheProgram().saver;
  if (!saver || !saver->IsVisible()) platform::EndProgram();
  DestroyWindow(Window());
  TheProgram().launcher = nullptr;
}

void Launcher::OnRun() {
  class RunActions : public LauncherRunHost {
   public:
    explicit RunActions(Launcher& launcher) : launcher_(launcher) {}
    bool FolderIsSaved() override { return settings::FolderIsSaved(); }
    void RunSaverAndCloseLauncher() override {
      TheProgram().saver->Show();
      launcher_.Unload();
    }
    void ShowNoFolderMessage() override { platform::ShowNoFolderMessage(res::kNoFolderTitle); }
    void ShowSettingsDialogModal() override { settings::ShowSettingsDialog(launcher_.Window(), true); }

   private:
    Launcher& launcher_;
  };
  RunActions actions(*this);
  LauncherRun(actions);
}

void Launcher::OnSettings() { settings::ShowSettingsDialog(Window(), true); }

void Launcher::OnLink() {
  wchar_t address[512] = {};
  GetDlgItemTextW(Window(), kLabel4, address, 512);
  ShellExecuteW(GetDesktopWindow(), L"open", address, nullptr, L"", SW_SHOW);
}

LRESULT Launcher::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCommand1: OnRun(); return 0;
        case kCommand2: platform::EndProgram();
        case kCommand3: OnSettings(); return 0;
        case kLabel4:
          if (HIWORD(wParam) == STN_CLICKED) OnLink();
          return 0;
      }
      break;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(Window(), kLabel4)) SetTextColor(dc, kLinkColour);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == GetDlgItem(Window(), kLabel4)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_DPICHANGED:
      LayOut(HIWORD(wParam));
      MoveToSuggested(lParam);
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
  }
  return DefWindowProcW(Window(), message, wParam, lParam);
}

}  // namespace app
