#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "music/background_music.h"
#include "music/mci_channel_win32.h"
#include "music/mci_module.h"

namespace {

constexpr uint32_t kSampleRate = 8000;  // 8-bit mono: one byte per sample

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
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

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

// An 8 kHz, 8-bit mono wave of quiet noise. Noise rather than a tone: no stretch of it
// repeats, so a capture that matches its own beginning was played from the start.
std::vector<uint8_t> Wave(uint32_t seconds) {
  const uint32_t dataBytes = kSampleRate * seconds;
  std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F'};
  PutLittleEndian(bytes, 36 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) bytes.push_back(static_cast<uint8_t>(c));
  PutLittleEndian(bytes, 16, 4);
  PutLittleEndian(bytes, 1, 2);            // PCM
  PutLittleEndian(bytes, 1, 2);            // mono
  PutLittleEndian(bytes, kSampleRate, 4);  // samples per second
  PutLittleEndian(bytes, kSampleRate, 4);  // bytes per second
  PutLittleEndian(bytes, 1, 2);            // block align
  PutLittleEndian(bytes, 8, 2);            // bits per sample
  for (char c : std::string("data")) bytes.push_back(static_cast<uint8_t>(c));
  PutLittleEndian(bytes, dataBytes, 4);
  uint32_t state = 2463534242u;
  for (uint32_t i = 0; i < dataBytes; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes.push_back(static_cast<uint8_t>(0x60 + (state >> 26)));
  }
  return bytes;
}

std::vector<uint8_t> OneSecondWave() { return Wave(1); }

bool PollUntil(const std::function<bool()>& done, DWORD withinMs, DWORD stepMs = 10) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < withinMs) {
    if (done()) return true;
    Sleep(stepMs);
  }
  return done();
}

// Polls the mode until it reads `wanted` or the time runs out.
bool ModeBecomes(platform::MciChannel& channel, const std::wstring& wanted, DWORD withinMs) {
  return PollUntil([&] { return music::MCI_StatusMode(channel) == wanted; }, withinMs);
}

class RecordingTimer : public music::MusicTimer {
 public:
  void SetInterval(uint32_t intervalMs) override { intervals.push_back(intervalMs); }
  uint32_t Current() const { return intervals.empty() ? 0 : intervals.back(); }
  std::vector<uint32_t> intervals;
};

// The file that ALSA's default device is captured into (tools/alsa-capture-home), named
// by GLIMMER_CAPTURE. A Unix path is reached through drive Z:, Wine's Unix root.
std::wstring CapturePathFromEnvironment() {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(L"GLIMMER_CAPTURE", value, 1024);
  if (length == 0 || length >= 1024) return std::wstring();
  std::wstring path(value, length);
  if (path[0] == L'/') {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    path = L"Z:" + path;
  }
  return path;
}

// -1 while the file does not exist.
int64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  uint8_t chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  CloseHandle(file);
  return bytes;
}

bool Equal(const std::vector<uint8_t>& bytes, size_t at, size_t otherAt, size_t count) {
  if (at + count > bytes.size() || otherAt + count > bytes.size()) return false;
  return std::equal(bytes.begin() + at, bytes.begin() + at + count, bytes.begin() + otherAt);
}

// True when the first `count` bytes appear again at or after `from`.
bool BeginningRepeatsAfter(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
  if (count == 0 || count > bytes.size() || from > bytes.size()) return false;
  const auto beginning = bytes.begin() + static_cast<std::ptrdiff_t>(count);
  return std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), bytes.begin(),
                     beginning) != bytes.end();
}

// The media system heard through its capture file. Each case starts from no capture.
class MusicWin32Capture : public testing::Test {
 protected:
  void SetUp() override {
    capture = CapturePathFromEnvironment();
    if (capture.empty()) GTEST_SKIP() << "GLIMMER_CAPTURE names no capture file";
    ASSERT_TRUE(ResetCapture());
    if (!ProbePlays()) GTEST_SKIP() << "nothing played reaches the capture file (no ALSA?)";
    ASSERT_TRUE(ResetCapture());
  }
  void TearDown() override { music::MCI_Close(channel); }

  // Deleting is safe while a device still has the old file open: its last writes go
  // to the unlinked file, never into the next case's capture.
  bool ResetCapture() {
    DeleteFileW(capture.c_str());
    return FileSize(capture) == -1;
  }

  // Plays a short wave with plain media commands, so that a fault in the music code
  // under test fails its case instead of skipping it.
  bool ProbePlays() {
    const std::wstring probe = folder.Write(L"probe.wav", OneSecondWave());
    const std::wstring open = L"open \"" + probe + L"\" alias glimmerprobe type waveaudio";
    if (mciSendStringW(open.c_str(), nullptr, 0, nullptr) != 0) return false;
    mciSendStringW(L"play glimmerprobe", nullptr, 0, nullptr);
    auto heard = [&] { return FileSize(capture) >= kSampleRate; };
    PollUntil([&] { return heard() || ProbeMode() != L"playing"; }, 10000);
    PollUntil(heard, 1000);
    mciSendStringW(L"close glimmerprobe", nullptr, 0, nullptr);
    return heard();
  }

  static std::wstring ProbeMode() {
    wchar_t reply[255] = {};
    if (mciSendStringW(L"status glimmerprobe mode", reply, 255, nullptr) != 0) return std::wstring();
    return reply;
  }

  int64_t CaptureSize() const { return FileSize(capture); }

  // The capture's size once it has not changed for quietMs; -2 when it never settles.
  int64_t SettledSize(DWORD quietMs = 500, DWORD withinMs = 20000) const {
    int64_t last = CaptureSize();
    DWORD lastChange = GetTickCount();
    const DWORD start = lastChange;
    while (GetTickCount() - start < withinMs) {
      Sleep(20);
      const int64_t now = CaptureSize();
      if (now != last) {
        last = now;
        lastChange = GetTickCount();
      } else if (GetTickCount() - lastChange >= quietMs) {
        return last;
      }
    }
    return -2;
  }

  ScratchFolder folder;
  std::wstring capture;
  music::MciChannelWin32 channel{nullptr};
  RecordingTimer timer2;
};

TEST_F(MusicWin32Capture, AWaveReportsPlayingThenStoppedAfterAllItsSamples) {
  const std::wstring song = folder.Write(L"one second.wav", OneSecondWave());
  ASSERT_TRUE(music::MCI_OpenPlay(channel, song, false, music::kDeviceWaveAudio));
  EXPECT_TRUE(ModeBecomes(channel, L"playing", 5000));
  EXPECT_TRUE(ModeBecomes(channel, L"stopped", 20000));
  EXPECT_GE(SettledSize(), int64_t{kSampleRate});
}

struct RestartCase {
  const char* what;
  std::wstring fileName;
  std::wstring blanks;  // around the name in the setting, as a user may leave them
};

void PrintTo(const RestartCase& c, std::ostream* out) { *out << c.what; }

class MusicWin32Restart : public MusicWin32Capture,
                          public testing::WithParamInterface<RestartCase> {};

TEST_P(MusicWin32Restart, SongThatEndedStartsAgainFromItsBeginning) {
  const RestartCase& c = GetParam();
  const std::wstring song = folder.Write(c.fileName, OneSecondWave());
  // Wine spells file names in the locale's character set; the C locale has no kanji.
  if (GetFileAttributesW(song.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "this locale's file names cannot hold the song's name";
  music::BackgroundMusic music(channel, timer2, c.blanks + song + c.blanks);
  music.StartBgm();
  ASSERT_TRUE(music.BgmOpen());
  EXPECT_EQ(timer2.Current(), music::kTimer2IntervalMs);

  ASSERT_TRUE(ModeBecomes(channel, L"stopped", 20000));
  const int64_t onePlay = SettledSize();
  ASSERT_GE(onePlay, int64_t{kSampleRate});

  // Ticks far faster than the saver's, so the test waits on the media system alone.
  const bool playedAgain = PollUntil(
      [&] {
        music.Timer2_Timer();
        return CaptureSize() >= 2 * onePlay;
      },
      20000, 100);
  ASSERT_TRUE(playedAgain) << "capture stayed at " << CaptureSize() << " bytes";
  music::MCI_Close(channel);
  EXPECT_EQ(timer2.Current(), music::kTimer2IntervalMs);
  const std::vector<uint8_t> heard = ReadAll(capture);
  EXPECT_TRUE(Equal(heard, static_cast<size_t>(onePlay), 0, static_cast<size_t>(onePlay)))
      << "the second play is not the song from its beginning";
}

INSTANTIATE_TEST_SUITE_P(
    MusicWin32, MusicWin32Restart,
    testing::Values(RestartCase{"plain name", L"one second.wav", L""},
                    RestartCase{"Japanese name in blanks", L"曲の名前 テスト.WAV", L"  "}));

TEST_F(MusicWin32Capture, PausedSongStartsAgainFromItsBeginningNotWhereItPaused) {
  const std::wstring song = folder.Write(L"long.wav", Wave(30));
  music::BackgroundMusic music(channel, timer2, song);
  music.StartBgm();
  ASSERT_TRUE(music.BgmOpen());
  ASSERT_TRUE(PollUntil([&] { return CaptureSize() >= kSampleRate; }, 20000));
  channel.Send(L"pause media", platform::MciCallback::None);
  ASSERT_TRUE(ModeBecomes(channel, L"paused", 5000));
  const int64_t pausedAt = SettledSize();
  ASSERT_GT(pausedAt, 0);

  music.Timer2_Timer();
  // Closing the paused device may still flush a few buffered samples after pausedAt, so
  // the beginning is looked for anywhere after it; a resumed song would never repeat it.
  const size_t compared = kSampleRate / 2;
  ASSERT_TRUE(PollUntil([&] { return CaptureSize() >= pausedAt + 2 * kSampleRate; }, 20000));
  music::MCI_Close(channel);
  EXPECT_TRUE(BeginningRepeatsAfter(ReadAll(capture), static_cast<size_t>(pausedAt), compared))
      << "after the pause the song did not start from its beginning";
}

TEST_F(MusicWin32Capture, StopSilencesAPlayingSong) {
  constexpr uint32_t kSeconds = 30;
  const std::wstring song = folder.Write(L"long.wav", Wave(kSeconds));
  music::BackgroundMusic music(channel, timer2, song);
  music.StartBgm();
  ASSERT_TRUE(music.BgmOpen());
  ASSERT_TRUE(PollUntil([&] { return CaptureSize() >= kSampleRate; }, 20000));

  music::MCI_Stop(channel);
  EXPECT_TRUE(ModeBecomes(channel, L"stopped", 5000));
  const int64_t stoppedAt = SettledSize();
  ASSERT_GT(stoppedAt, 0);
  Sleep(2000);
  EXPECT_EQ(CaptureSize(), stoppedAt);
  EXPECT_LT(stoppedAt, int64_t{kSampleRate} * kSeconds);
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
