#include "settings/settings.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <limits>
#include <tuple>

namespace settings {
namespace {

auto Fields(const SaverSettings& s) {
  return std::tie(s.Folder, s.Speed, s.MouseM, s.CheckM, s.Cyuuou, s.OderFileName, s.BgmPlay,
                  s.BgmPlayName, s.Kakudai, s.Refresh, s.Biliner, s.SubFolder, s.Shaffle, s.Multi);
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Applies one key and the rule it triggers; false when the value cannot be applied.
bool ApplyKey(const KeyRule& rule, const std::wstring& value, SaverSettings& record) {
  if (rule.kind == ValueKind::Text) {
    record.*rule.text = value;
    return true;
  }
  auto number = ParseRanged(value, rule.minimum, rule.maximum);
  if (!number) return false;
  record.*rule.number = *number;
  if (*number == 1) {
    if (rule.number == &SaverSettings::OderFileName) record.Shaffle = 0;
    if (rule.number == &SaverSettings::Shaffle) record.OderFileName = 0;
    if (rule.number == &SaverSettings::Biliner) ApplyBilinearRule(record);
  }
  return true;
}

}  // namespace

bool operator==(const SaverSettings& a, const SaverSettings& b) { return Fields(a) == Fields(b); }

const std::vector<KeyRule>& KeyTable() {
  using S = SaverSettings;
  static const std::vector<KeyRule> table = {
      {kFolderKey, ValueKind::Text, kBlank, 0, 0, 0, nullptr, &S::Folder},
      {L"Speed", ValueKind::Number, kBlank, 10000, 1, 20000, &S::Speed, nullptr},
      {L"MouseM", ValueKind::Number, kBlank, 15, 5, 25, &S::MouseM, nullptr},
      {L"CheckM", ValueKind::CheckBox, L"1", 1, 0, 2, &S::CheckM, nullptr},
      {L"Cyuuou", ValueKind::CheckBox, L"0", 0, 0, 2, &S::Cyuuou, nullptr},
      {L"OderFileName", ValueKind::CheckBox, L"0", 0, 0, 2, &S::OderFileName, nullptr},
      {L"BgmPlay", ValueKind::CheckBox, L"0", 0, 0, 2, &S::BgmPlay, nullptr},
      {L"BgmPlayName", ValueKind::Text, L"", 0, 0, 0, nullptr, &S::BgmPlayName},
      {L"Kakudai", ValueKind::CheckBox, L"0", 0, 0, 2, &S::Kakudai, nullptr},
      {L"Refresh", ValueKind::CheckBox, L"0", 0, 0, 2, &S::Refresh, nullptr},
      {L"Biliner", ValueKind::CheckBox, L"0", 0, 0, 2, &S::Biliner, nullptr},
      {L"SubFolder", ValueKind::CheckBox, L"0", 0, 0, 2, &S::SubFolder, nullptr},
      {L"Shaffle", ValueKind::CheckBox, L"0", 0, 0, 2, &S::Shaffle, nullptr},
      {L"Multi", ValueKind::CheckBox, L"0", 0, 0, 2, &S::Multi, nullptr},
  };
  return table;
}

const KeyRule& RuleFor(const std::wstring& key) {
  for (const auto& rule : KeyTable())
    if (key == rule.key) return rule;
  static const KeyRule unknown{L"", ValueKind::Text, L"", 0, 0, 0, nullptr, nullptr};
  return unknown;
}

std::wstring CutAtNull(const std::wstring& text) { return text.substr(0, text.find(L'\0')); }

std::wstring TrimBlanks(const std::wstring& text) {
  size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring ReadValue(platform::Profile& profile, const std::wstring& key,
                       const std::wstring& fallback) {
  return CutAtNull(profile.Get(kSection, key, fallback));
}

std::wstring ReadFolderValue(platform::Profile& profile, const std::wstring& fallback) {
  return ReadValue(profile, kFolderKey, fallback);
}

// 64-bit whatever the platform's long: with a 32-bit long, "4294967297" would wrap to 1.
std::optional<int64_t> ParseWholeNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  size_t firstDigit = i;
  int64_t value = 0;
  constexpr int64_t kLimit = 1000000000;  // far beyond every range; stops overflow
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    if (value < kLimit) value = value * 10 + (text[i] - L'0');
  }
  if (i == firstDigit) return std::nullopt;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  return negative ? -value : value;
}

std::optional<double> NumberBeforeNul(const std::wstring& raw) {
  const std::wstring text = TrimBlanks(CutAtNull(raw));
  if (text.empty()) return std::nullopt;
  for (wchar_t c : text)
    if (!(c == L'+' || c == L'-' || c == L'.' || (c >= L'0' && c <= L'9'))) return std::nullopt;
  wchar_t* end = nullptr;
  double value = std::wcstod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<float> SingleBeforeNul(const std::wstring& text) {
  auto value = NumberBeforeNul(text);
  if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*value);
}

std::optional<int16_t> ParseRanged(const std::wstring& text, int16_t minimum, int16_t maximum) {
  auto value = ParseWholeNumber(text);
  if (!value || *value < minimum || *value > maximum) return std::nullopt;
  return static_cast<int16_t>(*value);
}

std::optional<int16_t> ParseCheckBox(const std::wstring& text) { return ParseRanged(text, 0, 2); }

void ApplyBilinearRule(SaverSettings& record) {
  if (record.Biliner != 1) return;
  record.Kakudai = 1;
  record.CheckM = 1;
  record.Cyuuou = 1;
  record.Refresh = 0;
}

// Folder, Speed and MouseM are read first but applied last, so a bad check box
// leaves the folder empty, and a bad speed leaves both numbers at their built-in values.
SaverSettings ReadSettings(platform::Profile& profile) {
  const auto& table = KeyTable();
  constexpr size_t kAppliedLast = 3;
  std::wstring firstTexts[kAppliedLast];
  for (size_t i = 0; i < kAppliedLast; ++i)
    firstTexts[i] = ReadValue(profile, table[i].key, table[i].readDefault);

  SaverSettings record;
  for (size_t i = kAppliedLast; i < table.size(); ++i)
    if (!ApplyKey(table[i], ReadValue(profile, table[i].key, table[i].readDefault), record))
      return record;
  for (size_t i = 0; i < kAppliedLast; ++i)
    if (!ApplyKey(table[i], firstTexts[i], record)) return record;
  return record;
}

std::vector<std::wstring> KeysTakenOut(const SaverSettings& record) {
  if (record.Folder.empty()) return {kFolderKey};
  return {};
}

std::vector<std::pair<std::wstring, std::wstring>> SettingsLines(const SaverSettings& record) {
  const std::vector<std::wstring> takenOut = KeysTakenOut(record);
  std::vector<std::pair<std::wstring, std::wstring>> lines;
  for (const auto& rule : KeyTable()) {
    if (std::find(takenOut.begin(), takenOut.end(), rule.key) != takenOut.end()) continue;
    lines.emplace_back(rule.key, rule.kind == ValueKind::Text ? record.*rule.text
                                                               : std::to_wstring(record.*rule.number));
  }
  return lines;
}

void WriteSettings(platform::Profile& profile, const SaverSettings& record) {
  for (const auto& key : KeysTakenOut(record)) profile.Remove(kSection, key);
  for (const auto& [key, value] : SettingsLines(record)) profile.Put(kSection, key, value);
}

}  // namespace settings
