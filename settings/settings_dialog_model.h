#pragma once
// The settings dialog's state: its controls are the settings record, and the enabling
// and exclusion rules act as values arrive, whether from the file or from a click.
#include <string>

#include "platform/ports.h"
#include "settings/settings.h"

namespace settings {

struct DialogEnabled {
  bool text2 = true;     // music file box
  bool command5 = true;  // music browse button
  bool kakudai = true;
  bool check1 = true;
  bool cyuuou = true;
  bool refresh = true;
};

class SettingsDialogModel {
 public:
  // The controls as the dialog is designed: only "shrink" checked, both boxes empty,
  // the bars in the middle, everything enabled.
  SettingsDialogModel();

  // Fills the controls from the file in the order the values are applied; the first
  // value that cannot be applied ends the loading silently.
  void Load(platform::Profile& profile);

  // A check box changed by the user (or the load); the rules act when its value changes.
  void SetCheckBox(int16_t SaverSettings::*box, int16_t value);
  void SetFolderText(const std::wstring& text) { controls_.Folder = text; }
  void SetMusicText(const std::wstring& text) { controls_.BgmPlayName = text; }
  void SetSpeed(int16_t value) { controls_.Speed = value; }
  void SetMouseM(int16_t value) { controls_.MouseM = value; }
  // What the music picker returned: a chosen file replaces the music box's text; an
  // empty name (cancelled, or the picker failed) leaves the text as the user left it,
  // even when an earlier pick of this opening is still in the picker.
  void MusicPicked(const std::wstring& chosenPath);

  // "記録" keeps the folder as typed; "記録実行" trims it. Both trim the music name.
  SaverSettings RecordForSave() const;
  SaverSettings RecordForSaveAndRun() const;

  const SaverSettings& Controls() const { return controls_; }
  const DialogEnabled& Enabled() const { return enabled_; }

 private:
  void ApplyMusicRule();
  void ApplyBilinearRule();

  SaverSettings controls_;
  DialogEnabled enabled_;
};

std::wstring TrimSpaces(const std::wstring& text);

// The music picker's one filter, as the dialog names it: label and patterns.
inline constexpr wchar_t kMusicFilter[] = L"画像ファイル(*.wav;*.mid;*.mp3)|*.wav;*.mid;*.mp3";
// The filter as the open-file dialog takes it: each "|" a NUL, and two NULs at the end.
std::wstring OpenDialogFilter(const std::wstring& filter);

}  // namespace settings
