// The settings file as the real profile functions write it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/profile_win32.h"
#include "settings/settings.h"

namespace {

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + name;
  DeleteFileW(path.c_str());
  return path;
}

std::string Bytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const char kExampleFile[] =
    "[Orvella_Glimmerdeck]\r\nFolder=C:\\CGDATA\r\nSpeed=10000\r\nMouseM=15\r\nCheckM=1\r\n"
    "Cyuuou=0\r\nOderFileName=0\r\nBgmPlay=0\r\nBgmPlayName=\r\nKakudai=0\r\nRefresh=0\r\n"
    "Biliner=0\r\nSubFolder=0\r\nShaffle=0\r\nMulti=0\r\n";

}  // namespace

TEST(SettingsFile, FreshRecordIsWrittenByteForByte) {
  std::wstring path = TempFile(L"glimmer_fresh.ini");
  platform::IniProfile profile(path);
  settings::SaverSettings record;
  record.Folder = L"C:\\CGDATA";
  settings::WriteSettings(profile, record);
  EXPECT_EQ(Bytes(path), kExampleFile);
  EXPECT_EQ(settings::ReadSettings(profile), record);
  DeleteFileW(path.c_str());
}

TEST(SettingsFile, MissingFileGivesTheDefaults) {
  platform::IniProfile profile(TempFile(L"glimmer_missing.ini"));
  settings::SaverSettings want;
  want.Folder = L" ";
  EXPECT_EQ(settings::ReadSettings(profile), want);
  EXPECT_EQ(settings::ReadFolderValue(profile, settings::kNoFolder), L"none");
}

// The profile functions cut a value to the reader's buffer silently; every length
// around the buffer sizes the reader tries must come back whole.
TEST(SettingsFile, LongValuesComeBackWhole) {
  std::wstring path = TempFile(L"glimmer_long.ini");
  platform::IniProfile profile(path);
  for (size_t length : {254u, 255u, 256u, 300u, 511u, 512u, 4000u}) {
    const std::wstring folder = L"C:\\" + std::wstring(length - 3, L'a');
    profile.Put(settings::kSection, L"Folder", folder);
    EXPECT_EQ(settings::ReadFolderValue(profile, L"none"), folder) << length;
  }
  DeleteFileW(path.c_str());
}

// A value the ANSI code page cannot hold turns the file into UTF-16 rather than "?".
TEST(SettingsFile, ValueOutsideTheCodePageIsKept) {
  std::wstring path = TempFile(L"glimmer_unicode.ini");
  platform::IniProfile profile(path);
  settings::SaverSettings record;
  record.Folder = L"C:\\CGDATA";
  settings::WriteSettings(profile, record);
  record.BgmPlayName = L"D:\\음악\\곡.wav";  // Hangul: in neither 932 nor 1252
  settings::WriteSettings(profile, record);
  std::string bytes = Bytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(settings::ReadSettings(profile), record);
  DeleteFileW(path.c_str());
}

TEST(SettingsFile, JapaneseFolderFollowsTheCodePage) {
  std::wstring path = TempFile(L"glimmer_japanese.ini");
  platform::IniProfile profile(path);
  profile.Put(settings::kSection, L"Folder", L"C:\\写真");
  std::string bytes = Bytes(path);
  if (GetACP() == 932) {
    EXPECT_EQ(bytes, "[Orvella_Glimmerdeck]\r\nFolder=C:\\\x8E\xCA\x90\x5E\r\n");
  } else {
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  }
  EXPECT_EQ(settings::ReadFolderValue(profile, L"none"), L"C:\\写真");
  DeleteFileW(path.c_str());
}
