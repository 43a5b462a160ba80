// What the saver takes from a loaded settings dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/settings_dialog_layout.h"
#include "settings/settings_dialog_win32.h"

namespace {

HWND LoadedDialog() { return FindWindowW(L"GlimmerdeckSettings", nullptr); }

}  // namespace

// The music name is the text box as it stands when the saver starts: typed, not yet saved.
TEST(SettingsDialogState, TheMusicNameIsTheTextBoxAsItStandsNow) {
  EXPECT_EQ(settings::LoadedDialogState(), nullptr);
  settings::ShowSettingsDialog(nullptr, false);
  HWND dialog = LoadedDialog();
  ASSERT_NE(dialog, nullptr);
  for (const wchar_t* typed : {L"C:\\Music\\typed.mid", L"D:\\曲\\二つ目.wav", L""}) {
    SetDlgItemTextW(dialog, settings::kText2, typed);
    const settings::SaverSettings* state = settings::LoadedDialogState();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->BgmPlayName, typed);
  }
  DestroyWindow(dialog);
  EXPECT_EQ(settings::LoadedDialogState(), nullptr);
}
