#pragma once
// The saver's settings: one record, one INI section, fourteen keys.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports.h"

namespace settings {

inline constexpr wchar_t kFileName[] = L"O_GLMK.INI";
inline constexpr wchar_t kSection[] = L"Orvella_Glimmerdeck";
inline constexpr wchar_t kNoFolder[] = L"none";
inline constexpr wchar_t kBlank[] = L" ";
inline constexpr wchar_t kFolderKey[] = L"Folder";

struct SaverSettings {
  std::wstring Folder;
  int16_t Speed = 10000;
  int16_t MouseM = 15;
  int16_t CheckM = 1;
  int16_t Cyuuou = 0;
  int16_t OderFileName = 0;
  int16_t BgmPlay = 0;
  std::wstring BgmPlayName;
  int16_t Kakudai = 0;
  int16_t Refresh = 0;
  int16_t Biliner = 0;
  int16_t SubFolder = 0;
  int16_t Shaffle = 0;
  int16_t Multi = 0;

  friend bool operator==(const SaverSettings& a, const SaverSettings& b);
};

enum class ValueKind { Text, Number, CheckBox };

// One row per key, in the order the keys are written to the file.
struct KeyRule {
  const wchar_t* key;
  ValueKind kind;
  const wchar_t* readDefault;  // what a read passes as the default for a missing key
  int16_t builtIn;             // the record's value when the key cannot be applied (numbers)
  int16_t minimum;
  int16_t maximum;
  int16_t SaverSettings::*number;     // set for Number and CheckBox keys
  std::wstring SaverSettings::*text;  // set for Text keys
};

const std::vector<KeyRule>& KeyTable();
const KeyRule& RuleFor(const std::wstring& key);

// The text of one key up to its first NUL. A value is read whole, however long: a folder
// path of 255 characters or more cut to 254 would name another folder.
std::wstring ReadValue(platform::Profile& profile, const std::wstring& key,
                       const std::wstring& fallback);
std::wstring ReadFolderValue(platform::Profile& profile, const std::wstring& fallback);

// A whole number with blanks around it allowed; nothing for any other text. A number of
// many digits comes back as some value beyond every key's range, never wrapped into it.
std::optional<int64_t> ParseWholeNumber(const std::wstring& text);
// A decimal number (blanks around it, a sign and a fraction allowed) in the text before its
// first NUL; nothing for any other text or a number no double can hold. The input watch
// compares MouseM with it.
std::optional<double> NumberBeforeNul(const std::wstring& text);
// The same number as the show loop's 32-bit float wait (Speed); nothing as well for a number
// beyond the float's range, which would otherwise become an endless wait.
std::optional<float> SingleBeforeNul(const std::wstring& text);
std::optional<int16_t> ParseCheckBox(const std::wstring& text);
std::optional<int16_t> ParseRanged(const std::wstring& text, int16_t minimum, int16_t maximum);

// Reads all keys; the first value that cannot be applied ends the reading silently.
SaverSettings ReadSettings(platform::Profile& profile);
void WriteSettings(platform::Profile& profile, const SaverSettings& record);
// The keys a save takes out of the file instead of writing them: an empty folder is no
// folder at all, so every reader asks for one again.
std::vector<std::wstring> KeysTakenOut(const SaverSettings& record);
// The key and value texts a save writes, in the file's order; none for a key taken out.
std::vector<std::pair<std::wstring, std::wstring>> SettingsLines(const SaverSettings& record);

// Bilinear smoothing forces enlarge, shrink and centre on, and keep-previous off.
void ApplyBilinearRule(SaverSettings& record);

std::wstring CutAtNull(const std::wstring& text);
// Without the spaces and tabs at both ends.
std::wstring TrimBlanks(const std::wstring& text);

}  // namespace settings
