// Every conversion of a setting's text into a number, fed the same texts: a value that
// does not fit its target type cannot be converted, it never wraps, overflows or rounds
// into range.
#include <gtest/gtest.h>

#include <cfloat>
#include <optional>
#include <string>

#include "saver/input_watch.h"
#include "saver/saver_start.h"
#include "settings/settings.h"
#include "settings/settings_dialog_model.h"
#include "tests/unit/fake_profile.h"

namespace {

using Maybe = std::optional<double>;
const Maybe kCannot = std::nullopt;

// What a 32-bit float makes of the value, for the show loop's wait.
Maybe Single(double value) { return static_cast<double>(static_cast<float>(value)); }

const wchar_t kFolder[] = L"C:\\P";

// A file every reader applies whole, with the one key changed.
FakeProfile FileWith(const std::wstring& key, const std::wstring& text) {
  FakeProfile file;
  for (auto [k, v] : {std::pair{L"Folder", kFolder}, {L"Speed", L"500"}, {L"MouseM", L"20"}, {L"CheckM", L"1"},
                      {L"Cyuuou", L"0"}, {L"OderFileName", L"0"}, {L"BgmPlay", L"0"}, {L"BgmPlayName", L""},
                      {L"Kakudai", L"0"}, {L"Refresh", L"0"}, {L"Biliner", L"0"}, {L"SubFolder", L"0"},
                      {L"Shaffle", L"0"}, {L"Multi", L"0"}})
    file.Set(k, k == key ? text : std::wstring(v));
  return file;
}

// The store's Speed field: a value that cannot be applied ends the reading, so MouseM,
// read after it, keeps its built-in 15 instead of the file's 20.
Maybe StoreSpeed(const std::wstring& text) {
  FakeProfile file = FileWith(L"Speed", text);
  settings::SaverSettings record = settings::ReadSettings(file);
  if (record.MouseM != 20) return kCannot;
  return record.Speed;
}

// The store's check-box field: a failure there leaves the folder, applied later, empty.
Maybe StoreCheckBox(const std::wstring& text) {
  FakeProfile file = FileWith(L"CheckM", text);
  settings::SaverSettings record = settings::ReadSettings(file);
  if (record.Folder != kFolder) return kCannot;
  return record.CheckM;
}

// The dialog's two bars, loaded from the file.
Maybe SpeedBar(const std::wstring& text) {
  FakeProfile file = FileWith(L"Speed", text);
  settings::SettingsDialogModel dialog;
  dialog.Load(file);
  if (dialog.Controls().MouseM != 20) return kCannot;
  return dialog.Controls().Speed;
}

Maybe MouseBar(const std::wstring& text) {
  FakeProfile file = FileWith(L"MouseM", text);
  settings::SettingsDialogModel dialog;
  dialog.Load(file);
  if (dialog.Controls().MouseM == 15) return kCannot;  // no row converts to 15 itself
  return dialog.Controls().MouseM;
}

// Multi as the saver reads it again, as stored: a 16-bit number or the field unchanged.
Maybe SaverMulti(const std::wstring& text) {
  constexpr int16_t kUntouched = -12345;
  FakeProfile file = FileWith(L"Multi", text);
  settings::SaverSettings dialogState;
  dialogState.Multi = kUntouched;
  saver::SaverStartValues values = saver::TakeSaverSettings(file, &dialogState);
  if (values.record.Multi == kUntouched) return kCannot;
  return values.record.Multi;
}

Maybe Optional(std::optional<float> value) {
  if (!value) return kCannot;
  return static_cast<double>(*value);
}

}  // namespace

TEST(SettingNumbers, EveryConversionRefusesWhatItsTypeCannotHold) {
  const std::wstring digits40 = L"1" + std::wstring(39, L'0');    // 1e39: past a float
  const std::wstring digits400 = L"1" + std::wstring(399, L'0');  // past a double
  const std::wstring tiny = L"0." + std::wstring(400, L'0') + L"1";
  struct Case {
    std::wstring text;
    Maybe waitMs;       // Speed in the show loop, a 32-bit float
    Maybe mouseM;       // MouseM in the input watch, a double
    Maybe storeSpeed;   // the record's 16-bit Speed, 1 to 20000
    Maybe storeCheck;   // a 16-bit check-box field, 0 to 2
    Maybe speedBar;     // the dialog's speed bar, 1 to 20000
    Maybe mouseBar;     // the dialog's sensitivity bar, 5 to 25
    Maybe saverMulti;   // Multi read again by the saver, any 16-bit value
  };
  const Case cases[] = {
      {L"300", 300, 300, 300, kCannot, 300, kCannot, 300},
      {L" 20 ", 20, 20, 20, kCannot, 20, 20, 20},
      {L"2", 2, 2, 2, 2, 2, kCannot, 2},
      {L"20001", 20001, 20001, kCannot, kCannot, kCannot, kCannot, 20001},
      {L"32768", 32768, 32768, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"-32768", -32768, -32768, kCannot, kCannot, kCannot, kCannot, -32768},
      // Past 32 bits: with a 32-bit long these wrapped to 1, 20 and -2.
      {L"4294967297", Single(4294967297.0), 4294967297.0, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"4294967316", Single(4294967316.0), 4294967316.0, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"-4294967298", Single(-4294967298.0), -4294967298.0, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"99999999999999999999", Single(1e20), 1e20, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"340282346638528859811704183484516925440", FLT_MAX, FLT_MAX, kCannot, kCannot, kCannot, kCannot, kCannot},
      {digits40, kCannot, 1e39, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"-" + digits40, kCannot, -1e39, kCannot, kCannot, kCannot, kCannot, kCannot},
      {digits400, kCannot, kCannot, kCannot, kCannot, kCannot, kCannot, kCannot},
      {tiny, 0, 0, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"0.0000001", Single(1e-7), 1e-7, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"-5", -5, -5, kCannot, kCannot, kCannot, kCannot, -5},
      {L"2.5", 2.5, 2.5, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"-0.25", -0.25, -0.25, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L"1e5", kCannot, kCannot, kCannot, kCannot, kCannot, kCannot, kCannot},
      {L" ", kCannot, kCannot, kCannot, kCannot, kCannot, kCannot, kCannot},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 45)));
    EXPECT_EQ(Optional(settings::SingleBeforeNul(c.text)), c.waitMs);
    EXPECT_EQ(saver::SensitivityNumber(c.text), c.mouseM);
    EXPECT_EQ(StoreSpeed(c.text), c.storeSpeed);
    EXPECT_EQ(StoreCheckBox(c.text), c.storeCheck);
    EXPECT_EQ(SpeedBar(c.text), c.speedBar);
    EXPECT_EQ(MouseBar(c.text), c.mouseBar);
    EXPECT_EQ(SaverMulti(c.text), c.saverMulti);
  }
}
