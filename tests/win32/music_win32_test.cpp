#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "music/background_music.h"
#include "music/mci_channel_win32.h"
#include "music/mci_module.h"

namespace {

// A fresh folder under the temporary directory, removed with its files at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path = std::wstring(temp) + L"glimmer music " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
  }
  ~ScratchFolder() {
    for (const auto& file : files) {
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(path.c_str());
  }
  std::wstring Write(const std::wstring& name, const std::vector<uint8_t>& bytes) {
    std::wstring full = path + L"\\" + name;
    HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const DWORD size = static_cast<DWORD>(bytes.size());
      if (size > 0) WriteFile(file, bytes.data(), size, &written, nullptr);
      CloseHandle(file);
    }
    files.push_back(full);
    return full;
  }
  std::wstring path;
  std::vector<std::wstring> files;
};

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One second of an 8 kHz, 8-bit mono square wave.
std::vector<uint8_t> OneSecondWave() {
  constexpr uint32_t kRate = 8000;
  std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F'};
  PutLittleEndian(bytes, 36 + kRate, 4);
  for (char c : std::string("WAVEfmt ")) bytes.push_back(static_cast<uint8_t>(c));
  PutLittleEndian(bytes, 16, 4);
  PutLittleEndian(bytes, 1, 2);      // PCM
  PutLittleEndian(bytes, 1, 2);      // mono
  PutLittleEndian(bytes, kRate, 4);  // samples per second
  PutLittleEndian(bytes, kRate, 4);  // bytes per second
  PutLittleEndian(bytes, 1, 2);      // block align
  PutLittleEndian(bytes, 8, 2);      // bits per sample
  for (char c : std::string("data")) bytes.push_back(static_cast<uint8_t>(c));
  PutLittleEndian(bytes, kRate, 4);
  for (uint32_t i = 0; i < kRate; ++i) bytes.push_back((i / 20) % 2 ? 0xA0 : 0x60);
  return bytes;
}

// Polls the mode until it reads `wanted` or the time runs out.
bool ModeBecomes(platform::MciChannel& channel, const std::wstring& wanted, DWORD withinMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < withinMs) {
    if (music::MCI_StatusMode(channel) == wanted) return true;
    Sleep(50);
  }
  return false;
}

TEST(MusicWin32Channel, PlaysAWaveToItsEnd) {
  ScratchFolder folder;
  const std::wstring song = folder.Write(L"one second.wav", OneSecondWave());
  music::MciChannelWin32 channel(nullptr);
  ASSERT_TRUE(music::MCI_OpenPlay(channel, song, false, music::kDeviceWaveAudio));
  if (!ModeBecomes(channel, L"playing", 2000)) {
    music::MCI_Close(channel);
    GTEST_SKIP() << "no sound output: the device never reports playing";
  }
  EXPECT_TRUE(ModeBecomes(channel, L"stopped", 5000));
  music::MCI_Close(channel);
}

TEST(MusicWin32Channel, QueriesWithNothingOpenFail) {
  music::MciChannelWin32 channel(nullptr);
  music::MCI_Close(channel);
  EXPECT_EQ(music::MCI_StatusMode(channel), L"");
  EXPECT_EQ(music::MCI_Position(channel), 0);
}

TEST(MusicWin32Channel, BadFilesGiveSilenceWithoutHanging) {
  ScratchFolder folder;
  std::vector<std::wstring> names = {
      folder.Write(L"empty.wav", {}),
      folder.Write(L"text.wav", {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'}),
      folder.Write(L"text.mid", {'M', 'T', 'h', 'x'}),
      folder.Write(L"曲の名前.wav", OneSecondWave()),
      folder.path + L"\\" + std::wstring(300, L'x') + L".wav",
      folder.path + L"\\deleted.wav"};
  music::MciChannelWin32 channel(nullptr);
  for (const auto& name : names) {
    const DWORD start = GetTickCount();
    std::wstring type = music::DeviceTypeFor(name).value_or(L"");
    music::MCI_OpenPlay(channel, name, false, type);
    music::MCI_StatusMode(channel);
    music::MCI_Close(channel);
    EXPECT_LT(GetTickCount() - start, 5000u);
  }
  EXPECT_EQ(music::MCI_StatusMode(channel), L"");
}

TEST(MusicWin32Files, OnlyNormalFilesCount) {
  ScratchFolder folder;
  const std::wstring normal = folder.Write(L"normal.wav", {1});
  const std::wstring hidden = folder.Write(L"hidden.wav", {1});
  const std::wstring system = folder.Write(L"system.wav", {1});
  const std::wstring readOnly = folder.Write(L"readonly.wav", {1});
  SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(music::IsNormalFile(normal));
  EXPECT_TRUE(music::IsNormalFile(readOnly));
  EXPECT_FALSE(music::IsNormalFile(hidden));
  EXPECT_FALSE(music::IsNormalFile(system));
  EXPECT_FALSE(music::IsNormalFile(folder.path));
  EXPECT_FALSE(music::IsNormalFile(folder.path + L"\\missing.wav"));
}

TEST(MusicWin32Files, ShortPathOfAMissingFileIsEmpty) {
  ScratchFolder folder;
  music::MciChannelWin32 channel(nullptr);
  EXPECT_EQ(channel.ShortPathName(folder.path + L"\\missing.wav"), L"");
  EXPECT_NE(channel.ShortPathName(folder.Write(L"a b.wav", {1})), L"");
}

}  // namespace
