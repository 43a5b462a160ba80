#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

const settings::SettingsLocations kPlaces{L"C:\\WINDOWS\\O_GLMK.INI",
                                          L"C:\\Users\\u\\AppData\\Local\\VirtualStore\\Windows\\O_GLMK.INI"};

struct FakeDisk : settings::SettingsDisk {
  bool FileExists(const std::wstring& path) override { return files.count(path) > 0; }
  bool CreateFolderFor(const std::wstring& path) override {
    folderCreatedFor.push_back(path);
    return canCreateFolder;
  }
  bool WriteAll(const std::wstring& path, const settings::SaverSettings&) override {
    writes.push_back(path);
    if (denied.count(path)) return false;
    files.insert(path);
    return true;
  }
  std::set<std::wstring> files;
  std::set<std::wstring> denied;
  bool canCreateFolder = true;
  std::vector<std::wstring> writes;
  std::vector<std::wstring> folderCreatedFor;
};

}  // namespace

TEST(SettingsLocation, ReadsTheVirtualStoreCopyOnlyWhenItExists) {
  FakeDisk disk;
  EXPECT_EQ(settings::SettingsPathToUse(kPlaces, disk), kPlaces.windowsFile);
  disk.files.insert(kPlaces.windowsFile);
  EXPECT_EQ(settings::SettingsPathToUse(kPlaces, disk), kPlaces.windowsFile);
  disk.files.insert(kPlaces.virtualStoreFile);
  EXPECT_EQ(settings::SettingsPathToUse(kPlaces, disk), kPlaces.virtualStoreFile);
}

TEST(SettingsLocation, SaveGoesWhereTheWriteSucceeds) {
  struct Case {
    const char* name;
    bool storeExists;
    bool windowsDenied;
    bool storeDenied;
    bool canCreateFolder;
    std::wstring saved;
    std::vector<std::wstring> writes;
  };
  const std::wstring win = kPlaces.windowsFile, store = kPlaces.virtualStoreFile;
  const Case cases[] = {
      {"writable Windows folder", false, false, false, true, win, {win}},
      {"denied Windows folder", false, true, false, true, store, {win, store}},
      {"existing store copy", true, false, false, true, store, {store}},
      {"writable nowhere", false, true, true, true, L"", {win, store}},
      {"store folder cannot be made", false, true, false, false, L"", {win}},
      {"store copy denied: no second try", true, true, true, true, L"", {store}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDisk disk;
    if (c.storeExists) disk.files.insert(store);
    if (c.windowsDenied) disk.denied.insert(win);
    if (c.storeDenied) disk.denied.insert(store);
    disk.canCreateFolder = c.canCreateFolder;
    EXPECT_EQ(settings::SaveSettingsRecord(kPlaces, disk, {}), c.saved);
    EXPECT_EQ(disk.writes, c.writes);
  }
}

TEST(SettingsLocation, AfterAFallbackSaveTheNextReadFindsIt) {
  FakeDisk disk;
  disk.denied.insert(kPlaces.windowsFile);
  settings::SaveSettingsRecord(kPlaces, disk, {});
  EXPECT_EQ(settings::SettingsPathToUse(kPlaces, disk), kPlaces.virtualStoreFile);
}

TEST(SettingsLocation, FileTextMustHoldEveryWrittenValue) {
  settings::SaverSettings record;
  record.Folder = L" ";
  record.Speed = 300;
  std::wstring text = L"[Other]\r\nSpeed=1\r\n[orvella_glimmerdeck]\r\n";
  for (const auto& [key, value] : settings::SettingsLines(record)) text += key + L"=" + value + L"\r\n";
  EXPECT_TRUE(settings::FileTextHoldsRecord(text, record));

  struct Case { const wchar_t* from; const wchar_t* to; };
  const Case spoilt[] = {{L"Speed=300", L"Speed=10000"}, {L"Folder= ", L"Folder=x"},
                         {L"Multi=0", L"Mult=0"}, {L"[orvella_glimmerdeck]", L"[Other2]"}};
  for (const auto& c : spoilt) {
    std::wstring changed = text;
    changed.replace(changed.find(c.from), std::wstring(c.from).size(), c.to);
    EXPECT_FALSE(settings::FileTextHoldsRecord(changed, record)) << c.to;
  }
  EXPECT_FALSE(settings::FileTextHoldsRecord(L"", record));

  // Blanks around a value are dropped by the profile functions; the value is still written.
  record.Folder = L"  C:\\pics  ";
  std::wstring trimmedByWriter = L"[Orvella_Glimmerdeck]\r\n";
  for (const auto& [key, value] : settings::SettingsLines(record))
    trimmedByWriter += key + L"=" + settings::TrimBlanks(value) + L"\r\n";
  EXPECT_TRUE(settings::FileTextHoldsRecord(trimmedByWriter, record));

  // A save without a folder must have taken the key out.
  record.Folder.clear();
  std::wstring withoutFolder = L"[Orvella_Glimmerdeck]\r\n";
  for (const auto& [key, value] : settings::SettingsLines(record)) withoutFolder += key + L"=" + value + L"\r\n";
  EXPECT_TRUE(settings::FileTextHoldsRecord(withoutFolder, record));
  EXPECT_FALSE(settings::FileTextHoldsRecord(withoutFolder + L"Folder=\r\n", record));
}
