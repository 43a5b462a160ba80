#include "settings/settings_dialog_model.h"

namespace settings {

std::wstring TrimSpaces(const std::wstring& text) {
  size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::wstring OpenDialogFilter(const std::wstring& filter) {
  std::wstring converted = filter;
  for (auto& c : converted)
    if (c == L'|') c = L'\0';
  converted.push_back(L'\0');
  converted.push_back(L'\0');
  return converted;
}

SettingsDialogModel::SettingsDialogModel() { controls_.Folder.clear(); }

void SettingsDialogModel::ApplyMusicRule() {
  enabled_.text2 = enabled_.command5 = controls_.BgmPlay == 1;
}

void SettingsDialogModel::ApplyBilinearRule() {
  const bool on = controls_.Biliner == 1;
  if (on) {
    controls_.Kakudai = controls_.CheckM = controls_.Cyuuou = 1;
    controls_.Refresh = 0;
  }
  enabled_.kakudai = enabled_.check1 = enabled_.cyuuou = enabled_.refresh = !on;
}

void SettingsDialogModel::SetCheckBox(int16_t SaverSettings::*box, int16_t value) {
  if (controls_.*box == value) return;  // a check box reports only a change
  controls_.*box = value;
  if (box == &SaverSettings::BgmPlay) ApplyMusicRule();
  if (box == &SaverSettings::Biliner) ApplyBilinearRule();
  if (box == &SaverSettings::OderFileName && value == 1) SetCheckBox(&SaverSettings::Shaffle, 0);
  if (box == &SaverSettings::Shaffle && value == 1) SetCheckBox(&SaverSettings::OderFileName, 0);
}

void SettingsDialogModel::Load(platform::Profile& profile) {
  const auto& table = KeyTable();
  constexpr size_t kAppliedLast = 3;  // Folder, Speed and MouseM come after the check boxes
  std::wstring firstTexts[kAppliedLast];
  for (size_t i = 0; i < kAppliedLast; ++i)
    firstTexts[i] = ReadValue(profile, table[i].key, table[i].readDefault);
  for (size_t i = kAppliedLast; i < table.size(); ++i) {
    const KeyRule& rule = table[i];
    std::wstring text = ReadValue(profile, rule.key, rule.readDefault);
    if (rule.kind == ValueKind::Text) {
      controls_.*rule.text = text;
      continue;
    }
    auto value = ParseRanged(text, rule.minimum, rule.maximum);
    if (!value) return;
    SetCheckBox(rule.number, *value);
  }
  ApplyMusicRule();
  ApplyBilinearRule();
  controls_.Folder = firstTexts[0];
  for (size_t i = 1; i < kAppliedLast; ++i) {
    auto value = ParseRanged(firstTexts[i], table[i].minimum, table[i].maximum);
    if (!value) return;
    controls_.*table[i].number = *value;
  }
}

void SettingsDialogModel::MusicPicked(const std::wstring& chosenPath) {
  if (!chosenPath.empty()) controls_.BgmPlayName = chosenPath;
}

SaverSettings SettingsDialogModel::RecordForSave() const {
  SaverSettings record = controls_;
  record.BgmPlayName = TrimSpaces(record.BgmPlayName);
  return record;
}

SaverSettings SettingsDialogModel::RecordForSaveAndRun() const {
  SaverSettings record = RecordForSave();
  record.Folder = TrimSpaces(record.Folder);
  return record;
}

}  // namespace settings
