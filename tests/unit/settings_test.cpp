#include "settings/settings.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_profile.h"

using settings::ReadSettings;
using settings::SaverSettings;

namespace {

const wchar_t kExampleFile[] =
    L"[Orvella_Glimmerdeck]\r\n"
    L"Folder=C:\\CGDATA\r\n"
    L"Speed=10000\r\n"
    L"MouseM=15\r\n"
    L"CheckM=1\r\n"
    L"Cyuuou=0\r\n"
    L"OderFileName=0\r\n"
    L"BgmPlay=0\r\n"
    L"BgmPlayName=\r\n"
    L"Kakudai=0\r\n"
    L"Refresh=0\r\n"
    L"Biliner=0\r\n"
    L"SubFolder=0\r\n"
    L"Shaffle=0\r\n"
    L"Multi=0\r\n";

FakeProfile ValidFile() {
  FakeProfile file;
  for (auto [k, v] : {std::pair{L"Folder", L"D:\\絵"}, {L"Speed", L"500"}, {L"MouseM", L"20"},
                      {L"CheckM", L"0"}, {L"Cyuuou", L"1"}, {L"OderFileName", L"1"},
                      {L"BgmPlay", L"1"}, {L"BgmPlayName", L"C:\\m.wav"}, {L"Kakudai", L"1"},
                      {L"Refresh", L"1"}, {L"Biliner", L"0"}, {L"SubFolder", L"1"},
                      {L"Shaffle", L"0"}, {L"Multi", L"1"}})
    file.Set(k, v);
  return file;
}

}  // namespace

TEST(SettingsStore, FreshRecordWithFolderWritesTheExampleFile) {
  FakeProfile file;
  SaverSettings record;
  record.Folder = L"C:\\CGDATA";
  settings::WriteSettings(file, record);
  EXPECT_EQ(file.Text(), kExampleFile);
}

TEST(SettingsStore, KeyTableHoldsTheWrittenOrderAndDefaults) {
  struct Want { const wchar_t* key; const wchar_t* readDefault; int16_t builtIn; };
  const Want want[] = {{L"Folder", L" ", 0},     {L"Speed", L" ", 10000},  {L"MouseM", L" ", 15},
                       {L"CheckM", L"1", 1},     {L"Cyuuou", L"0", 0},     {L"OderFileName", L"0", 0},
                       {L"BgmPlay", L"0", 0},    {L"BgmPlayName", L"", 0}, {L"Kakudai", L"0", 0},
                       {L"Refresh", L"0", 0},    {L"Biliner", L"0", 0},    {L"SubFolder", L"0", 0},
                       {L"Shaffle", L"0", 0},    {L"Multi", L"0", 0}};
  const auto& table = settings::KeyTable();
  ASSERT_EQ(table.size(), std::size(want));
  SaverSettings fresh;
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(want[i].key);
    EXPECT_STREQ(table[i].key, want[i].key);
    EXPECT_STREQ(table[i].readDefault, want[i].readDefault);
    EXPECT_EQ(table[i].builtIn, want[i].builtIn);
    // A new record holds the built-in values the table states.
    if (table[i].number) {
      EXPECT_EQ(fresh.*table[i].number, table[i].builtIn);
    }
  }
  EXPECT_EQ(settings::RuleFor(L"Speed").minimum, 1);
  EXPECT_EQ(settings::RuleFor(L"Speed").maximum, 20000);
  EXPECT_EQ(settings::RuleFor(L"MouseM").minimum, 5);
  EXPECT_EQ(settings::RuleFor(L"MouseM").maximum, 25);
}

TEST(SettingsStore, NoFileReadsTheFileDefaultsAndStopsAtSpeed) {
  FakeProfile file;
  SaverSettings want;
  want.Folder = L" ";
  EXPECT_EQ(ReadSettings(file), want);
}

TEST(SettingsStore, ValidFileIsReadWhole) {
  FakeProfile file = ValidFile();
  SaverSettings got = ReadSettings(file);
  EXPECT_EQ(got.Folder, L"D:\\絵");
  EXPECT_EQ(got.Speed, 500);
  EXPECT_EQ(got.MouseM, 20);
  EXPECT_EQ(got.CheckM, 0);
  EXPECT_EQ(got.OderFileName, 1);
  EXPECT_EQ(got.BgmPlayName, L"C:\\m.wav");
  EXPECT_EQ(got.Refresh, 1);
  EXPECT_EQ(got.Multi, 1);
  FakeProfile copy;
  settings::WriteSettings(copy, got);
  EXPECT_EQ(copy.Text(), file.Text());
}

// Each case changes one key of a valid file and says what the record then holds.
TEST(SettingsStore, ValuesThatCannotBeAppliedEndTheReading) {
  struct Case {
    const wchar_t* key;
    const wchar_t* value;
    void (*check)(const SaverSettings&);
  };
  const Case cases[] = {
      {L"Speed", L"20001", [](const SaverSettings& s) {
         EXPECT_EQ(s.Speed, 10000);
         EXPECT_EQ(s.MouseM, 15);  // never reached
         EXPECT_EQ(s.Folder, L"D:\\絵");
         EXPECT_EQ(s.Multi, 1);
       }},
      {L"Speed", L"0", [](const SaverSettings& s) { EXPECT_EQ(s.Speed, 10000); }},
      {L"Speed", L"1", [](const SaverSettings& s) { EXPECT_EQ(s.Speed, 1); }},
      {L"Speed", L" 20000 ", [](const SaverSettings& s) { EXPECT_EQ(s.Speed, 20000); }},
      {L"Speed", L"1.5", [](const SaverSettings& s) { EXPECT_EQ(s.Speed, 10000); }},
      {L"Speed", L"99999999999999999999", [](const SaverSettings& s) { EXPECT_EQ(s.Speed, 10000); }},
      {L"MouseM", L"4", [](const SaverSettings& s) {
         EXPECT_EQ(s.Speed, 500);
         EXPECT_EQ(s.MouseM, 15);
       }},
      {L"MouseM", L"25", [](const SaverSettings& s) { EXPECT_EQ(s.MouseM, 25); }},
      {L"CheckM", L"abc", [](const SaverSettings& s) {
         SaverSettings fresh;
         EXPECT_EQ(s, fresh);  // the folder stays empty too
       }},
      {L"CheckM", L"2", [](const SaverSettings& s) {
         EXPECT_EQ(s.CheckM, 2);
         EXPECT_EQ(s.Speed, 500);
       }},
      {L"Kakudai", L"", [](const SaverSettings& s) {
         EXPECT_EQ(s.BgmPlayName, L"C:\\m.wav");
         EXPECT_EQ(s.Kakudai, 0);
         EXPECT_EQ(s.Refresh, 0);
         EXPECT_EQ(s.Folder, L"");
       }},
      {L"Refresh", L" ", [](const SaverSettings& s) {
         EXPECT_EQ(s.Kakudai, 1);
         EXPECT_EQ(s.Refresh, 0);
       }},
      {L"Multi", L"3", [](const SaverSettings& s) {
         EXPECT_EQ(s.SubFolder, 1);
         EXPECT_EQ(s.Multi, 0);
         EXPECT_EQ(s.Speed, 10000);
       }},
      {L"Multi", L"70000", [](const SaverSettings& s) { EXPECT_EQ(s.Multi, 0); }},
      {L"Multi", L"\t1 ", [](const SaverSettings& s) {
         EXPECT_EQ(s.Multi, 1);
         EXPECT_EQ(s.MouseM, 20);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key);
    FakeProfile file = ValidFile();
    file.Set(c.key, c.value);
    c.check(ReadSettings(file));
  }
}

TEST(SettingsStore, OrderAndShuffleBothStoredKeepsShuffle) {
  FakeProfile file = ValidFile();
  file.Set(L"OderFileName", L"1");
  file.Set(L"Shaffle", L"1");
  SaverSettings got = ReadSettings(file);
  EXPECT_EQ(got.OderFileName, 0);
  EXPECT_EQ(got.Shaffle, 1);
}

TEST(SettingsStore, BilinearForcesTheFourOthers) {
  FakeProfile file = ValidFile();
  file.Set(L"Biliner", L"1");
  file.Set(L"Refresh", L"1");
  file.Set(L"Kakudai", L"0");
  file.Set(L"CheckM", L"0");
  file.Set(L"Cyuuou", L"0");
  SaverSettings got = ReadSettings(file);
  EXPECT_EQ(got.Refresh, 0);
  EXPECT_EQ(got.Kakudai, 1);
  EXPECT_EQ(got.CheckM, 1);
  EXPECT_EQ(got.Cyuuou, 1);
}

TEST(SettingsStore, GreyedCheckBoxIsSavedBackAsTwo) {
  FakeProfile file = ValidFile();
  file.Set(L"CheckM", L"2");
  FakeProfile copy;
  settings::WriteSettings(copy, ReadSettings(file));
  EXPECT_NE(copy.Text().find(L"\r\nCheckM=2\r\n"), std::wstring::npos);
}

// Values are read whole: a long path cut at 254 units would name another folder.
TEST(SettingsStore, ValuesAreCutAtNulOnly) {
  struct Case { std::wstring stored; std::wstring want; };
  const std::wstring longJapanese(300, L'絵');
  const Case cases[] = {
      {L"", L""},  // present but empty: not the default
      {std::wstring(L"C:\\a\0junk", 9), L"C:\\a"},
      {std::wstring(254, L'x'), std::wstring(254, L'x')},
      {std::wstring(255, L'x'), std::wstring(255, L'x')},
      {longJapanese, longJapanese},
      {longJapanese + std::wstring(L"\0tail", 5), longJapanese},
  };
  for (const auto& c : cases) {
    FakeProfile file;
    file.Set(L"Folder", c.stored);
    EXPECT_EQ(settings::ReadFolderValue(file, settings::kNoFolder), c.want);
  }
  FakeProfile empty;
  EXPECT_EQ(settings::ReadFolderValue(empty, settings::kNoFolder), L"none");
}

TEST(SettingsStore, WriteSendsEveryKeyInOrderWithPlainNumbers) {
  FakeProfile file;
  SaverSettings record;
  record.Folder = L"C:\\CGDATA";
  record.Speed = 1;
  record.MouseM = 25;
  settings::WriteSettings(file, record);
  const std::vector<std::wstring> order = {L"Folder", L"Speed", L"MouseM", L"CheckM", L"Cyuuou",
                                           L"OderFileName", L"BgmPlay", L"BgmPlayName", L"Kakudai",
                                           L"Refresh", L"Biliner", L"SubFolder", L"Shaffle", L"Multi"};
  EXPECT_EQ(file.puts, order);
  EXPECT_EQ(file.Get(settings::kSection, L"Speed", L"?"), L"1");
  EXPECT_EQ(file.Get(settings::kSection, L"MouseM", L"?"), L"25");
}

// An empty folder box means no folder: the key goes, so the launcher, the start-up and
// save-and-run ask for one instead of starting a show of nothing.
TEST(SettingsStore, EmptyFolderTakesTheKeyOutAndKeepsTheOthersInPlace) {
  FakeProfile file = ValidFile();
  SaverSettings record = ReadSettings(file);
  record.Folder.clear();
  settings::WriteSettings(file, record);
  EXPECT_EQ(file.puts.front(), L"-Folder");
  EXPECT_EQ(settings::ReadFolderValue(file, settings::kNoFolder), L"none");
  std::wstring text = file.Text();
  EXPECT_EQ(text.find(L"\nFolder="), std::wstring::npos);
  EXPECT_EQ(text.find(L"[Orvella_Glimmerdeck]\r\nSpeed=500\r\n"), 0u);

  FakeProfile blank;
  record.Folder = L" ";  // a blank is what the user typed, and is kept
  settings::WriteSettings(blank, record);
  EXPECT_EQ(blank.Get(settings::kSection, L"Folder", L"?"), L" ");
}

TEST(SettingsStore, ParseWholeNumberAcceptsBlanksAndSignsOnly) {
  struct Case { const wchar_t* text; std::optional<long> want; };
  const Case cases[] = {{L"0", 0},       {L" 12 ", 12}, {L"+7", 7},   {L"-3", -3},
                        {L"", {}},       {L" ", {}},    {L"1 2", {}}, {L"0x10", {}},
                        {L"12abc", {}},  {L"-", {}},    {L"１２", {}}};
  for (const auto& c : cases) EXPECT_EQ(settings::ParseWholeNumber(c.text), c.want) << c.text[0];
}
