#include "settings/settings_location.h"

#include <map>

namespace settings {
namespace {

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  return text;
}

// One section's raw values, keys without case; the values exactly as the line holds them.
std::map<std::wstring, std::wstring> SectionValues(const std::wstring& text, const std::wstring& section) {
  std::map<std::wstring, std::wstring> values;
  bool inSection = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    std::wstring trimmed = TrimBlanks(line);
    if (!trimmed.empty() && trimmed.front() == L'[') {
      inSection = Lower(trimmed) == L"[" + Lower(section) + L"]";
    } else if (size_t equals = line.find(L'='); inSection && equals != std::wstring::npos) {
      values.emplace(Lower(TrimBlanks(line.substr(0, equals))), line.substr(equals + 1));
    }
  }
  return values;
}

}  // namespace

bool FileTextHoldsRecord(const std::wstring& fileText, const SaverSettings& record) {
  auto values = SectionValues(fileText, kSection);
  for (const auto& key : KeysTakenOut(record))
    if (values.count(Lower(key))) return false;
  for (const auto& [key, value] : SettingsLines(record)) {
    auto found = values.find(Lower(key));
    // The profile functions drop the blanks around a value, on writing (Wine) or on
    // reading (both): a value counts as written when it reads back the same.
    if (found == values.end() || TrimBlanks(found->second) != TrimBlanks(value)) return false;
  }
  return true;
}

std::wstring SettingsPathToUse(const SettingsLocations& locations, SettingsDisk& disk) {
  if (!locations.virtualStoreFile.empty() && disk.FileExists(locations.virtualStoreFile))
    return locations.virtualStoreFile;
  return locations.windowsFile;
}

std::wstring SaveSettingsRecord(const SettingsLocations& locations, SettingsDisk& disk,
                                const SaverSettings& record) {
  const std::wstring first = SettingsPathToUse(locations, disk);
  if (disk.WriteAll(first, record)) return first;
  if (first != locations.windowsFile || locations.virtualStoreFile.empty()) return {};
  if (!disk.CreateFolderFor(locations.virtualStoreFile)) return {};
  return disk.WriteAll(locations.virtualStoreFile, record) ? locations.virtualStoreFile : std::wstring();
}

}  // namespace settings
