#include "settings/folder_browser_win32.h"

#include <vector>

#include "platform/base_window_win32.h"
#include "platform/controls_win32.h"
#include "platform/directory_lister_win32.h"
#include "platform/geometry_win32.h"
#include "platform/program_win32.h"
#include "settings/folder_browser_model.h"
#include "settings/program_windows.h"
#include "settings/settings_dialog_layout.h"

namespace settings {
namespace {

constexpr wchar_t kClassName[] = L"GlimmerdeckFolderBrowser";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kRowHeightTwips = 240;
constexpr int kIndentTwips = 150;
constexpr COLORREF kFolderColour = RGB(232, 192, 72);
constexpr COLORREF kFolderEdge = RGB(150, 110, 20);

// While it lives, a drive without a medium fails quietly instead of asking the user to
// insert one.
class QuietDriveErrors {
 public:
  QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietDriveErrors() { SetErrorMode(previous_); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT previous_;
};

std::wstring RootOf(wchar_t letter) { return std::wstring(1, letter) + L":\\"; }

// A drive that cannot be read (no medium, not mounted) reports no volume.
class Win32DriveProbe : public DriveProbe {
 public:
  std::optional<std::wstring> CurrentDirectoryOn(wchar_t letter) override {
    // Wine reports a volume even for a drive whose target is missing; the root's own
    // attributes fail there, as they do for an empty removable drive on Windows.
    QuietDriveErrors quiet;
    const std::wstring root = RootOf(letter);
    bool ready = GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES &&
                 GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (!ready) return std::nullopt;
    // "X:" alone names the drive's current directory, as the system remembers it.
    std::wstring drive = std::wstring(1, letter) + L":";
    std::vector<wchar_t> full(32768, L'\0');
    DWORD length = GetFullPathNameW(drive.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return RootOf(letter);
    std::wstring path(full.data(), length);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return RootOf(letter);
    return path;
  }
};

std::vector<DriveInfo> SystemDrives() {
  std::vector<DriveInfo> drives;
  wchar_t names[512] = {};
  DWORD length = GetLogicalDriveStringsW(511, names);
  if (length == 0 || length > 511) return drives;
  QuietDriveErrors quiet;
  for (const wchar_t* name = names; *name; name += wcslen(name) + 1) {
    DriveInfo drive;
    drive.letter = name[0];
    wchar_t label[MAX_PATH + 1] = {};
    if (GetVolumeInformationW(name, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) drive.label = label;
    drives.push_back(drive);
  }
  return drives;
}

bool SameDrive(wchar_t a, wchar_t b) { return towupper(a) == towupper(b); }

class FolderBrowser : public platform::BaseWindow<FolderBrowser> {
 public:
  std::optional<std::wstring> Run(HWND owner);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  bool Create(HWND owner);
  void LayOut(UINT dpi);
  void FillDrives();
  void SelectDrive(wchar_t letter);
  void ShowDirectory();
  void OnDriveChange();
  void OnOpenRow();
  void OnConfirm();
  void Close();
  void DrawRow(const DRAWITEMSTRUCT& item);

  platform::Win32DirectoryLister lister_;
  Win32DriveProbe probe_;
  FolderBrowserModel model_{lister_, probe_};
  std::vector<DriveInfo> drives_;
  std::optional<std::wstring> chosen_;
  HWND owner_ = nullptr;
  UINT dpi_ = 96;
  platform::UniqueGdi<HFONT> font_;
};

std::optional<std::wstring> FolderBrowser::Run(HWND owner) {
  if (!Create(owner)) return std::nullopt;
  std::vector<wchar_t> current(32768, L'\0');
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
  model_.Start(length && length < current.size() ? std::wstring(current.data(), length) : L"C:\\");
  FillDrives();
  SelectDrive(model_.Drive());
  ShowDirectory();
  platform::CentreOnPrimaryScreen(Window());
  if (owner_) EnableWindow(owner_, FALSE);
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  SetFocus(GetDlgItem(Window(), kBrowserCommand1));
  platform::RunModalLoop(Window());
  return chosen_;
}

bool FolderBrowser::Create(HWND owner) {
  owner_ = owner;
  chosen_.reset();
  Register(kClassName, GetSysColorBrush(COLOR_BTNFACE), nullptr);
  CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, kClassName, kFolderBrowserCaption, kStyle,
                  CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!Window()) return false;
  dpi_ = GetDpiForWindow(Window());
  platform::CreateControls(Window(), FolderBrowserControls());
  LayOut(dpi_);
  return true;
}

void FolderBrowser::LayOut(UINT dpi) {
  dpi_ = dpi ? dpi : 96;
  font_ = platform::MakeUiFont(dpi_);
  platform::LayOutControls(Window(), FolderBrowserControls(), dpi_, {font_.get()}, kBrowserClientWidth,
                           kBrowserClientHeight);
  SendDlgItemMessageW(Window(), kDir1, LB_SETITEMHEIGHT, 0, platform::TwipsToPixels(kRowHeightTwips, dpi_));
}

void FolderBrowser::FillDrives() {
  drives_ = SystemDrives();
  HWND list = GetDlgItem(Window(), kDrive1);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const auto& drive : drives_)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveDisplayText(drive).c_str()));
}

void FolderBrowser::SelectDrive(wchar_t letter) {
  for (size_t i = 0; i < drives_.size(); ++i)
    if (SameDrive(drives_[i].letter, letter)) SendDlgItemMessageW(Window(), kDrive1, CB_SETCURSEL, i, 0);
}

void FolderBrowser::ShowDirectory() {
  HWND dirs = GetDlgItem(Window(), kDir1);
  SendMessageW(dirs, WM_SETREDRAW, FALSE, 0);
  SendMessageW(dirs, LB_RESETCONTENT, 0, 0);
  for (const auto& row : model_.Rows())
    SendMessageW(dirs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.name.c_str()));
  SendMessageW(dirs, LB_SETCURSEL, model_.OpenRowIndex(), 0);
  SendMessageW(dirs, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(dirs, nullptr, TRUE);

  HWND files = GetDlgItem(Window(), kFile1);
  SendMessageW(files, WM_SETREDRAW, FALSE, 0);
  SendMessageW(files, LB_RESETCONTENT, 0, 0);
  for (const auto& name : model_.Files()) SendMessageW(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageW(files, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(files, nullptr, TRUE);
}

// A drive that is not ready puts the drive list back on the directory list's drive,
// which then opens that drive's current directory; no message is shown.
void FolderBrowser::OnDriveChange() {
  LRESULT selected = SendDlgItemMessageW(Window(), kDrive1, CB_GETCURSEL, 0, 0);
  if (selected < 0 || static_cast<size_t>(selected) >= drives_.size()) return;
  if (!model_.PickDrive(drives_[selected].letter)) {
    SelectDrive(model_.Drive());
    model_.PickDrive(model_.Drive());
  }
  ShowDirectory();
}

// Only an opened row (double-click or Enter) changes the directory; a click highlights.
void FolderBrowser::OnOpenRow() {
  LRESULT row = SendDlgItemMessageW(Window(), kDir1, LB_GETCURSEL, 0, 0);
  if (row < 0) return;
  model_.OpenRow(static_cast<size_t>(row));
  ShowDirectory();
}

// No list built for an earlier folder may survive the change of folder.
void FolderBrowser::OnConfirm() {
  TheProgramWindows().EmptyPictureList();
  chosen_ = model_.Path();
  Close();
}

void FolderBrowser::Close() {
  if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  if (Window()) DestroyWindow(Window());
}

// Each row: indented by its depth, a folder drawn open (filled) for the open directory
// and its ancestors, closed (outlined) for the sub-directories.
void FolderBrowser::DrawRow(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const auto& rows = model_.Rows();
  if (item.itemID >= rows.size()) return;
  const DirectoryRow& row = rows[item.itemID];
  HDC dc = item.hDC;
  bool selected = item.itemState & ODS_SELECTED;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  int unit = platform::TwipsToPixels(kIndentTwips, dpi_);
  int left = item.rcItem.left + 2 + row.level * unit;
  int height = item.rcItem.bottom - item.rcItem.top;
  RECT folder{left, item.rcItem.top + height / 4, left + unit + unit / 3, item.rcItem.bottom - height / 5};
  platform::UniqueGdi<HBRUSH> fill(CreateSolidBrush(row.open ? kFolderColour : GetSysColor(COLOR_WINDOW)));
  platform::UniqueGdi<HBRUSH> edge(CreateSolidBrush(kFolderEdge));
  FillRect(dc, &folder, fill.get());
  FrameRect(dc, &folder, edge.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  HGDIOBJ oldFont = SelectObject(dc, font_.get());
  RECT text = item.rcItem;
  text.left = folder.right + unit / 2;
  DrawTextW(dc, row.name.c_str(), static_cast<int>(row.name.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}

LRESULT FolderBrowser::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kBrowserCommand1: OnConfirm(); return 0;
        case kBrowserCommand2:
        case IDCANCEL: Close(); return 0;
        case IDOK:  // Enter: opens the highlighted row when the directory list has the focus
          if (GetFocus() == GetDlgItem(Window(), kDir1)) OnOpenRow();
          return 0;
        case kDrive1:
          if (HIWORD(wParam) == CBN_SELCHANGE) OnDriveChange();
          return 0;
        case kDir1:
          if (HIWORD(wParam) == LBN_DBLCLK) OnOpenRow();
          return 0;
      }
      return 0;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = static_cast<UINT>(platform::TwipsToPixels(kRowHeightTwips, dpi_));
      return TRUE;
    }
    case WM_DRAWITEM:
      DrawRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DPICHANGED:
      LayOut(HIWORD(wParam));
      MoveToSuggested(lParam);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_NCDESTROY:
      return ForgetWindow(message, wParam, lParam);
  }
  return DefWindowProcW(Window(), message, wParam, lParam);
}

}  // namespace

std::optional<std::wstring> ChooseFolder(HWND owner) {
  FolderBrowser browser;
  return browser.Run(owner);
}

}  // namespace settings
