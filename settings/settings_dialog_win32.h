#pragma once
// The settings dialog "フォルダ・速度設定": a view of SettingsDialogModel. Its controls
// are the settings record; the model keeps the values and the rules.
#include <windows.h>

#include "platform/base_window_win32.h"
#include "platform/win32_handles.h"
#include "settings/settings_dialog_model.h"

namespace settings {

// Shows the settings dialog, modal over owner or modeless.
void ShowSettingsDialog(HWND owner, bool modal);
// The dialog's controls as they stand now while it is loaded, else nothing: the saver takes
// its check boxes and music name from there, the text boxes read afresh, not as the last
// save or browse left them.
const SaverSettings* LoadedDialogState();

class SettingsDialog : public platform::BaseWindow<SettingsDialog> {
 public:
  // Loads the dialog afresh from the file and shows it. Modal: disables the owner and
  // returns once the dialog has closed. An open dialog is only brought to the front.
  void Open(HWND owner, bool modal);
  bool IsLoaded() const { return Window() != nullptr; }
  // The record with the texts and bars read from their controls now.
  const SaverSettings& CurrentControls();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  bool Create(HWND owner, bool modal);
  void LayOut(UINT dpi);
  void ShowEverything();
  void ShowCheckBoxes();
  void TakeTextsAndBars();
  void OnCheckBox(int id);
  void OnScroll(HWND bar, int code);
  void OnBrowseFolder();
  void OnBrowseMusic();
  void OnSave();
  void OnSaveAndRun();
  void OnCancel();
  void Close();

  SettingsDialogModel model_;
  HWND owner_ = nullptr;
  bool modal_ = false;
  UINT dpi_ = 96;
  platform::UniqueGdi<HFONT> font_;
};

}  // namespace settings
