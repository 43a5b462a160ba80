#include "platform/controls_win32.h"

#include <commctrl.h>

#include "platform/geometry_win32.h"

namespace platform {
namespace {

struct ControlClass {
  const wchar_t* name;
  DWORD style;
};

ControlClass ClassFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame: return {L"BUTTON", BS_GROUPBOX};
    // A label keeps to its one line: a wrapped second line would be cut or cover the next control.
    case ControlKind::Label: return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX};
    case ControlKind::Link: return {L"STATIC", SS_NOTIFY | SS_LEFT | SS_NOPREFIX};
    case ControlKind::Image: return {L"STATIC", SS_ICON | SS_CENTERIMAGE};
    case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON};
    // The dialog owns each box's state: a stored 2 shows greyed, and clicks go through its rules.
    case ControlKind::CheckBox: return {L"BUTTON", WS_TABSTOP | BS_3STATE};
    case ControlKind::Edit: return {L"EDIT", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL};
    case ControlKind::HScroll: return {L"SCROLLBAR", WS_TABSTOP | SBS_HORZ};
    case ControlKind::DropDown: return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST};
    case ControlKind::List:
      return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT};
    case ControlKind::DrawnList:
      return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                              LBS_OWNERDRAWFIXED | LBS_HASSTRINGS};
  }
  return {L"STATIC", 0};
}

bool HasClientEdge(ControlKind kind) {
  return kind == ControlKind::Edit || kind == ControlKind::List || kind == ControlKind::DrawnList;
}

}  // namespace

UniqueGdi<HFONT> MakeFont(int points, UINT dpi, const wchar_t* face, int weight, bool underline) {
  return UniqueGdi<HFONT>(CreateFontW(-MulDiv(points, static_cast<int>(dpi), 72), 0, 0, 0, weight, FALSE,
                                      underline, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

UniqueGdi<HFONT> MakeUiFont(UINT dpi) { return MakeFont(9, dpi, L"MS UI Gothic"); }

void CreateControls(HWND parent, const std::vector<ControlSpec>& controls) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const auto& c : controls) {
    ControlClass cls = ClassFor(c.kind);
    DWORD exStyle = HasClientEdge(c.kind) ? WS_EX_CLIENTEDGE : 0;
    DWORD style = WS_CHILD | WS_VISIBLE | cls.style;
    if (HasClientEdge(c.kind)) style &= ~WS_BORDER;
    CreateWindowExW(exStyle, cls.name, c.caption, style, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
  }
}

void LayOutControls(HWND parent, const std::vector<ControlSpec>& controls, UINT dpi,
                    const std::vector<HFONT>& fonts, int clientWidth, int clientHeight) {
  for (const auto& c : controls) {
    HWND control = GetDlgItem(parent, c.id);
    int height = TwipsToPixels(c.height, dpi);
    // A drop-down's height is its list's when open; the closed box sizes itself to the font.
    if (c.kind == ControlKind::DropDown) height = TwipsToPixels(c.height, dpi) * 8;
    MoveWindow(control, TwipsToPixels(c.left, dpi), TwipsToPixels(c.top, dpi), TwipsToPixels(c.width, dpi),
               height, FALSE);
    HFONT font = c.font >= 0 && static_cast<size_t>(c.font) < fonts.size() ? fonts[c.font] : nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(parent, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(parent, GWL_EXSTYLE));
  RECT frame{0, 0, TwipsToPixels(clientWidth, dpi), TwipsToPixels(clientHeight, dpi)};
  AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi);
  SetWindowPos(parent, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(parent, nullptr, TRUE);
}

void CentreOnPrimaryScreen(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  double screenWidth = GetSystemMetrics(SM_CXSCREEN);
  double screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int left = static_cast<int>(screenWidth / 2 - (r.right - r.left) / 2.0);
  int top = static_cast<int>(screenHeight / 2 - (r.bottom - r.top) / 2.0);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int16_t CheckValue(HWND checkBox) {
  return SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

}  // namespace platform
