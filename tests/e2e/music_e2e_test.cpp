// The background music of the real o_glmk.scr, heard through ALSA's capture file
// (tools/alsa-capture-home, named by GLIMMER_CAPTURE).
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr DWORD kStartTimeout = 15000;
constexpr uint32_t kSampleRate = 8000;  // 8-bit mono: one byte per sample
const COLORREF kGreen = RGB(30, 200, 60);

void PutLittleEndian(std::string& bytes, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
}

// One second of 8 kHz, 8-bit mono noise: no stretch of it repeats, so the capture shows
// where each play began.
std::string OneSecondWave() {
  std::string bytes = "RIFF";
  PutLittleEndian(bytes, 36 + kSampleRate, 4);
  bytes += "WAVEfmt ";
  PutLittleEndian(bytes, 16, 4);
  PutLittleEndian(bytes, 1, 2);  // PCM, mono
  PutLittleEndian(bytes, 1, 2);
  PutLittleEndian(bytes, kSampleRate, 4);
  PutLittleEndian(bytes, kSampleRate, 4);
  PutLittleEndian(bytes, 1, 2);
  PutLittleEndian(bytes, 8, 2);
  bytes += "data";
  PutLittleEndian(bytes, kSampleRate, 4);
  uint32_t state = 88172645u;
  for (uint32_t i = 0; i < kSampleRate; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes.push_back(static_cast<char>(0x60 + (state >> 26)));
  }
  return bytes;
}

bool PollUntil(const std::function<bool()>& done, DWORD withinMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < withinMs) {
    if (done()) return true;
    e2e::Sleep(20);
  }
  return done();
}

// A Unix path is reached through drive Z:, Wine's view of the Unix root.
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

std::string ReadAll(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

std::string MciMode(const std::wstring& alias) {
  wchar_t reply[255] = {};
  const std::wstring command = L"status " + alias + L" mode";
  if (mciSendStringW(command.c_str(), reply, 255, nullptr) != 0) return std::string();
  return e2e::Narrow(reply);
}

std::string Settings(const std::wstring& pictures, const std::string& bgmPlayName) {
  return "[Orvella_Glimmerdeck]\r\nFolder=" + e2e::Narrow(pictures) +
         "\r\nSpeed=10000\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=1\r\nOderFileName=0\r\nBgmPlay=1\r\n"
         "BgmPlayName=" + bgmPlayName +
         "\r\nKakudai=0\r\nRefresh=0\r\nBiliner=0\r\nSubFolder=0\r\nShaffle=0\r\nMulti=0\r\n";
}

struct SongCase {
  const char* what;
  std::wstring fileName;
};

void PrintTo(const SongCase& c, std::ostream* out) { *out << c.what; }

class MusicE2e : public testing::TestWithParam<SongCase> {
 protected:
  void SetUp() override {
    capture = CapturePathFromEnvironment();
    if (capture.empty()) GTEST_SKIP() << "GLIMMER_CAPTURE names no capture file";
    e2e::StartFresh();
    pictures = e2e::FreshFolder(L"music_pictures");
    e2e::WriteSolidBmp(pictures + L"\\a.bmp", 400, 300, kGreen);
    const std::wstring songFolder = e2e::FreshFolder(L"music_song");
    song = songFolder + L"\\" + GetParam().fileName;
    if (e2e::Narrow(song).find('?') != std::string::npos)
      GTEST_SKIP() << "the ANSI code page cannot spell the song's name";
    e2e::WriteBytes(song, OneSecondWave());
    const std::wstring probe = songFolder + L"\\probe.wav";
    e2e::WriteBytes(probe, OneSecondWave());
    ASSERT_TRUE(ResetCapture());
    onePlay = ProbeOnePlay(probe);
    if (onePlay < kSampleRate) GTEST_SKIP() << "nothing played reaches the capture file (no ALSA?)";
    ASSERT_TRUE(ResetCapture());
  }
  void TearDown() override { e2e::RemoveSettings(); }

  // A device still writing into a deleted capture writes into the unlinked file only.
  bool ResetCapture() {
    DeleteFileW(capture.c_str());
    return FileSize(capture) == -1;
  }

  // Plays a copy of the song once with plain media commands; how many bytes one play
  // leaves in the capture, which depends on the format the media system hands to ALSA.
  int64_t ProbeOnePlay(const std::wstring& copy) {
    const std::wstring open = L"open \"" + copy + L"\" alias glimmerprobe type waveaudio";
    if (mciSendStringW(open.c_str(), nullptr, 0, nullptr) != 0) return -1;
    mciSendStringW(L"play glimmerprobe", nullptr, 0, nullptr);
    PollUntil([] { return MciMode(L"glimmerprobe") != "playing"; }, 10000);
    mciSendStringW(L"close glimmerprobe", nullptr, 0, nullptr);
    return SettledSize();
  }

  // The capture's size once it has not changed for quietMs; -2 when it never settles.
  int64_t SettledSize(DWORD quietMs = 500, DWORD withinMs = 10000) const {
    int64_t last = FileSize(capture);
    DWORD lastChange = GetTickCount();
    const DWORD start = lastChange;
    while (GetTickCount() - start < withinMs) {
      e2e::Sleep(20);
      const int64_t now = FileSize(capture);
      if (now != last) {
        last = now;
        lastChange = GetTickCount();
      } else if (GetTickCount() - lastChange >= quietMs) {
        return last;
      }
    }
    return -2;
  }

  std::wstring capture, pictures, song;
  int64_t onePlay = 0;
};

}  // namespace

TEST_P(MusicE2e, SongLoopsWhilePicturesShowAndAKeyEndsBoth) {
  e2e::WriteSettingsText(Settings(pictures, e2e::Narrow(song)));
  SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);

  // Two whole plays: the song went out to its end and was started again.
  const bool looped = PollUntil([&] { return FileSize(capture) >= 2 * onePlay; }, 30000);
  ASSERT_TRUE(looped) << "capture stayed at " << FileSize(capture) << " bytes";
  EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(512, 384), kGreen));
  EXPECT_TRUE(saver.Running());
  const std::string heard = ReadAll(capture);
  EXPECT_EQ(heard.compare(static_cast<size_t>(onePlay), static_cast<size_t>(onePlay), heard, 0,
                          static_cast<size_t>(onePlay)),
            0)
      << "the second play is not the song from its beginning";

  e2e::PressKey(VK_SPACE);
  ASSERT_TRUE(saver.WaitForExit(5000));
  const int64_t atExit = SettledSize();
  ASSERT_GE(atExit, 2 * onePlay);
  // Longer than the music timer's period, so a restart would have been heard.
  e2e::Sleep(2500);
  EXPECT_EQ(FileSize(capture), atExit);
}

INSTANTIATE_TEST_SUITE_P(
    MusicE2e, MusicE2e,
    testing::Values(SongCase{"plain name", L"song.wav"}, SongCase{"Japanese name with blanks", L"曲 の 名前.WAV"}));

// A winmm.dll lying beside the program (a downloads folder) never runs inside the saver,
// whatever the switch, with the search order Windows itself keeps (beside the program
// first): the saver takes the media library from the system folder, and its music plays.
class PlantedMediaLibrary : public MusicE2e {};

TEST_P(PlantedMediaLibrary, NeverLoadsAndTheMusicStillPlays) {
  const std::wstring scr = e2e::ScrPath();
  e2e::PlacedFile planted(e2e::StandInPath(L"winmm.dll"), scr.substr(0, scr.find_last_of(L'\\') + 1) + L"winmm.dll");
  ASSERT_TRUE(planted.Placed());
  e2e::NativeLibraryForTheSaver nativeFirst(L"winmm");
  ASSERT_TRUE(nativeFirst.Set());
  const std::wstring loads = e2e::FreshTempFile(L"glimmer_winmm_loads.txt");
  const e2e::EnvironmentChanges environment = {{L"GLIMMER_TEST_WINMM_LOADS", loads}};
  e2e::WriteSettingsText(Settings(pictures, e2e::Narrow(song)));
  {
    SaverProcess preview(L"/P", L"", environment);
    ASSERT_TRUE(preview.WaitForExit(10000));
  }
  EXPECT_EQ(e2e::ReadWideFile(loads), L"") << "/P";
  SaverProcess saver(L"/S", L"", environment);
  ASSERT_NE(saver.WaitForWindow(kSaver, kStartTimeout), nullptr);
  EXPECT_TRUE(PollUntil([&] { return FileSize(capture) >= onePlay; }, 20000))
      << "capture stayed at " << FileSize(capture) << " bytes";
  e2e::PressKey(VK_SPACE);
  EXPECT_TRUE(saver.WaitForExit(5000));
  EXPECT_EQ(e2e::ReadWideFile(loads), L"") << "/S";
  DeleteFileW(loads.c_str());
}

INSTANTIATE_TEST_SUITE_P(PlainSong, PlantedMediaLibrary, testing::Values(SongCase{"plain name", L"song.wav"}));
