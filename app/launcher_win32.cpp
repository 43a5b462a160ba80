#include "app/launcher_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/launcher_layout.h"
#include "app/program_win32.h"
#include "app/texts.h"
#include "platform/geometry_win32.h"
#include "res/resource_ids.h"
#include "saver/saver_window_win32.h"
#include "settings/settings_files_win32.h"

namespace app {
namespace {

constexpr wchar_t kClassName[] = L"GlimmerdeckLauncher";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr COLORREF kLinkColour = 0x00C00000;  // dark blue, stored blue-green-red

HFONT MakeFont(int points, UINT dpi, const wchar_t* face, int weight, bool underline) {
  return CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, FALSE, underline, FALSE,
                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

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

HFONT Launcher::FontFor(int fontKind) const {
  switch (static_cast<LauncherFont>(fontKind)) {
    case LauncherFont::ProductName: return productFont_.get();
    case LauncherFont::Label: return labelFont_.get();
    case LauncherFont::Link: return linkFont_.get();
    default: return uiFont_.get();
  }
}

void Launcher::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const auto& c : LauncherControls()) {
    std::wstring kind = c.className;
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (kind == L"FRAME") {
      cls = L"BUTTON";
      style |= BS_GROUPBOX;
    } else if (kind == L"BUTTON") {
      cls = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
    } else if (kind == L"IMAGE") {
      style |= SS_ICON | SS_CENTERIMAGE;
    } else if (kind == L"LINK") {
      style |= SS_NOTIFY | SS_LEFT;
    }
    HWND control = CreateWindowExW(0, cls, c.caption, style, 0, 0, 0, 0, Window(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (kind == L"IMAGE") SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  }
}

void Launcher::LayOut(UINT dpi) {
  dpi_ = dpi ? dpi : 96;
  uiFont_.reset(MakeFont(9, dpi_, L"MS UI Gothic", FW_NORMAL, false));
  productFont_.reset(MakeFont(16, dpi_, L"ＭＳ Ｐゴシック", FW_BOLD, false));
  labelFont_.reset(MakeFont(10, dpi_, L"ＭＳ Ｐゴシック", FW_NORMAL, false));
  linkFont_.reset(MakeFont(9, dpi_, L"ＭＳ Ｐゴシック", FW_NORMAL, true));
  for (const auto& c : LauncherControls()) {
    HWND control = GetDlgItem(Window(), c.id);
    MoveWindow(control, platform::TwipsToPixels(c.left, dpi_), platform::TwipsToPixels(c.top, dpi_),
               platform::TwipsToPixels(c.width, dpi_), platform::TwipsToPixels(c.height, dpi_), FALSE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(static_cast<int>(c.font))), FALSE);
  }
  RECT frame{0, 0, platform::TwipsToPixels(kLauncherClientWidth, dpi_),
             platform::TwipsToPixels(kLauncherClientHeight, dpi_)};
  AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExStyle, dpi_);
  SetWindowPos(Window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Window(), nullptr, TRUE);
}

void Launcher::CentreOnPrimaryScreen() {
  RECT r{};
  GetWindowRect(Window(), &r);
  double screenWidth = GetSystemMetrics(SM_CXSCREEN);
  double screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int left = static_cast<int>(screenWidth / 2 - (r.right - r.left) / 2.0);
  int top = static_cast<int>(screenHeight / 2 - (r.bottom - r.top) / 2.0);
  SetWindowPos(Window(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Launcher::ShowModeless() {
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  SetFocus(GetDlgItem(Window(), kCommand3));
}

void Launcher::Unload() {
  saver::SaverWindow* saver = TheProgram().saver;
  if (!saver || !saver->IsVisible()) EndProgram();
  DestroyWindow(Window());
  TheProgram().launcher = nullptr;
}

void Launcher::OnRun() {
  if (settings::FolderIsSaved()) {
    TheProgram().saver->Show();
    Unload();
    return;
  }
  ShowNoFolderMessage(kNoFolderTitle);
  settings::ShowSettingsDialog(Window(), true);
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
        case kCommand2: EndProgram();
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
    case WM_DPICHANGED: {
      LayOut(HIWORD(wParam));
      auto* suggested = reinterpret_cast<RECT*>(lParam);
      SetWindowPos(Window(), nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return 0;
    }
    case WM_CLOSE:
      Unload();
      return 0;
  }
  return DefWindowProcW(Window(), message, wParam, lParam);
}

}  // namespace app
