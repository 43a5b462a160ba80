#include "settings/settings_dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "platform/controls_win32.h"
#include "platform/program_win32.h"
#include "res/texts.h"
#include "settings/folder_browser_win32.h"
#include "settings/program_windows.h"
#include "settings/settings_dialog_layout.h"
#include "settings/settings_files_win32.h"

namespace settings {
namespace {

constexpr wchar_t kClassName[] = L"GlimmerdeckSettings";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

struct CheckBoxKey {
  int id;
  int16_t SaverSettings::*value;
  bool DialogEnabled::*enabled;  // nullptr: always enabled
};

const CheckBoxKey kCheckBoxes[] = {
    {kChkSubFolder, &SaverSettings::SubFolder, nullptr},
    {kCheck1, &SaverSettings::CheckM, &DialogEnabled::check1},
    {kChkKakudai, &SaverSettings::Kakudai, &DialogEnabled::kakudai},
    {kChkCyuuou, &SaverSettings::Cyuuou, &DialogEnabled::cyuuou},
    {kChkMulti, &SaverSettings::Multi, nullptr},
    {kChkBiliner, &SaverSettings::Biliner, nullptr},
    {kChkOderFileName, &SaverSettings::OderFileName, nullptr},
    {kChkShaffle, &SaverSettings::Shaffle, nullptr},
    {kChkRefresh, &SaverSettings::Refresh, &DialogEnabled::refresh},
    {kChkBgmPlay, &SaverSettings::BgmPlay, nullptr},
};

struct ScrollBarKey {
  int id;
  const wchar_t* key;  // its range comes from the settings table
  int step;            // one step for the arrows and for a click beside the thumb
};

const ScrollBarKey kScrollBars[] = {{kHScroll1, L"Speed", 100}, {kHScroll2, L"MouseM", 1}};

const CheckBoxKey* CheckBoxFor(int id) {
  for (const auto& box : kCheckBoxes)
    if (box.id == id) return &box;
  return nullptr;
}

std::wstring ControlText(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

int CheckState(int16_t value) {
  if (value == 1) return BST_CHECKED;
  return value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
}

int NewScrollPosition(HWND bar, int code, int step) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(bar, SB_CTL, &info);
  int position = info.nPos;
  switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT: position -= step; break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT: position += step; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_LEFT: position = info.nMin; break;
    case SB_RIGHT: position = info.nMax; break;
  }
  return position < info.nMin ? info.nMin : position > info.nMax ? info.nMax : position;
}

SettingsDialog& TheDialog() {
  static SettingsDialog dialog;
  return dialog;
}

}  // namespace

void ShowSettingsDialog(HWND owner, bool modal) { TheDialog().Open(owner, modal); }

const SaverSettings* LoadedDialogState() {
  return TheDialog().IsLoaded() ? &TheDialog().CurrentControls() : nullptr;
}

const SaverSettings& SettingsDialog::CurrentControls() {
  TakeTextsAndBars();
  return model_.Controls();
}

void SettingsDialog::Open(HWND owner, bool modal) {
  if (IsLoaded()) {
    SetForegroundWindow(Window());
    return;
  }
  if (!Create(owner, modal)) return;
  auto profile = OpenSettings();
  model_ = SettingsDialogModel();
  model_.Load(profile);
  ShowEverything();
  platform::CentreOnPrimaryScreen(Window());
  if (modal_ && owner_) EnableWindow(owner_, FALSE);
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  SetFocus(GetDlgItem(Window(), kChkSubFolder));
  if (modal_) platform::RunModalLoop(Window());
}

// A modeless dialog may be the program's only window on screen, so it gets a task-bar
// button of its own.
bool SettingsDialog::Create(HWND owner, bool modal) {
  owner_ = owner;
  modal_ = modal;
  Register(kClassName, GetSysColorBrush(COLOR_BTNFACE), nullptr);
  DWORD exStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME | (modal ? 0 : WS_EX_APPWINDOW);
  CreateWindowExW(exStyle, kClassName, kSettingsDialogCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                  owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!Window()) return false;
  platform::CreateControls(Window(), SettingsDialogControls());
  for (const auto& bar : kScrollBars) {
    const KeyRule& rule = RuleFor(bar.key);
    SetScrollRange(GetDlgItem(Window(), bar.id), SB_CTL, rule.minimum, rule.maximum, FALSE);
  }
  LayOut(GetDpiForWindow(Window()));
  return true;
}

void SettingsDialog::LayOut(UINT dpi) {
  dpi_ = dpi ? dpi : 96;
  font_ = platform::MakeUiFont(dpi_);
  platform::LayOutControls(Window(), SettingsDialogControls(), dpi_, {font_.get()}, kSettingsClientWidth,
                           kSettingsClientHeight);
}

void SettingsDialog::ShowEverything() {
  const SaverSettings& c = model_.Controls();
  SetDlgItemTextW(Window(), kText1, c.Folder.c_str());
  SetDlgItemTextW(Window(), kText2, c.BgmPlayName.c_str());
  SetScrollPos(GetDlgItem(Window(), kHScroll1), SB_CTL, c.Speed, TRUE);
  SetScrollPos(GetDlgItem(Window(), kHScroll2), SB_CTL, c.MouseM, TRUE);
  ShowCheckBoxes();
}

void SettingsDialog::ShowCheckBoxes() {
  const SaverSettings& c = model_.Controls();
  const DialogEnabled& enabled = model_.Enabled();
  for (const auto& box : kCheckBoxes) {
    HWND control = GetDlgItem(Window(), box.id);
    SendMessageW(control, BM_SETCHECK, CheckState(c.*box.value), 0);
    EnableWindow(control, !box.enabled || enabled.*box.enabled);
  }
  EnableWindow(GetDlgItem(Window(), kText2), enabled.text2);
  EnableWindow(GetDlgItem(Window(), kCommand5), enabled.command5);
}

// The texts and bars are read when they are needed, so a change made by any route
// (typing, a message, the browser) counts.
void SettingsDialog::TakeTextsAndBars() {
  model_.SetFolderText(ControlText(GetDlgItem(Window(), kText1)));
  model_.SetMusicText(ControlText(GetDlgItem(Window(), kText2)));
  model_.SetSpeed(static_cast<int16_t>(GetScrollPos(GetDlgItem(Window(), kHScroll1), SB_CTL)));
  model_.SetMouseM(static_cast<int16_t>(GetScrollPos(GetDlgItem(Window(), kHScroll2), SB_CTL)));
}

void SettingsDialog::OnCheckBox(int id) {
  const CheckBoxKey* box = CheckBoxFor(id);
  if (!box) return;
  // A click checks an unchecked or greyed box and unchecks a checked one.
  int16_t value = model_.Controls().*box->value == 1 ? 0 : 1;
  model_.SetCheckBox(box->value, value);
  ShowCheckBoxes();
}

void SettingsDialog::OnScroll(HWND bar, int code) {
  for (const auto& key : kScrollBars) {
    if (GetDlgItem(Window(), key.id) != bar) continue;
    SetScrollPos(bar, SB_CTL, NewScrollPosition(bar, code, key.step), TRUE);
  }
}

void SettingsDialog::OnBrowseFolder() {
  if (auto chosen = ChooseFolder(Window())) SetDlgItemTextW(Window(), kText1, chosen->c_str());
}

// Read-only box hidden (flag 4), one filter, no title, folder or default extension.
void SettingsDialog::OnBrowseMusic() {
  std::wstring filter = OpenDialogFilter(kMusicFilter);
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = Window();
  request.lpstrFilter = filter.c_str();
  request.lpstrFile = file.data();
  request.nMaxFile = static_cast<DWORD>(file.size());
  request.Flags = OFN_HIDEREADONLY;
  bool chosen = GetOpenFileNameW(&request) != FALSE;
  TakeTextsAndBars();
  model_.MusicPicked(chosen ? std::wstring(file.data()) : std::wstring());
  SetDlgItemTextW(Window(), kText2, model_.Controls().BgmPlayName.c_str());
}

// No validation and no message: a file that cannot be written anywhere stays as it was.
void SettingsDialog::OnSave() {
  TakeTextsAndBars();
  SaveSettings(model_.RecordForSave());
  TheProgramWindows().CloseSaverWindow();
  Close();
}

void SettingsDialog::OnSaveAndRun() {
  TakeTextsAndBars();
  SaveSettings(model_.RecordForSaveAndRun());
  if (!FolderIsSaved()) {
    MessageBoxW(Window(), res::kNoFolderPrompt, res::kNoFolderTitleInDialog, MB_OK | MB_ICONINFORMATION);
    return;
  }
  ShowWindow(Window(), SW_HIDE);
  TheProgramWindows().RunSaverAndCloseLauncher();
  Close();
}

void SettingsDialog::OnCancel() {
  TheProgramWindows().CloseSaverWindow();
  Close();
}

// The owner is enabled again before the dialog goes, so that Windows activates it.
void SettingsDialog::Close() {
  if (modal_ && owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  if (IsLoaded()) DestroyWindow(Window());
  TheProgramWindows().EndProgramIfNoWindowIsLeft();
}

LRESULT SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCommand1: OnSave(); return 0;
        case kCommand4: OnSaveAndRun(); return 0;
        case kCommand2: OnCancel(); return 0;
        case kCommand3: OnBrowseFolder(); return 0;
        case kCommand5: OnBrowseMusic(); return 0;
        case IDCANCEL: Close(); return 0;  // Esc: as the close box
        default:
          if (HIWORD(wParam) == BN_CLICKED) OnCheckBox(LOWORD(wParam));
          return 0;
      }
    case WM_HSCROLL:
      OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DPICHANGED:
      LayOut(HIWORD(wParam));
      MoveToSuggested(lParam);
      return 0;
    case WM_CLOSE:  // the title bar's close box discards the edits and closes nothing else
      Close();
      return 0;
    case WM_NCDESTROY:  // also when the owner's end takes the dialog along
      return ForgetWindow(message, wParam, lParam);
  }
  return DefWindowProcW(Window(), message, wParam, lParam);
}

}  // namespace settings
