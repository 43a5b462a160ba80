// Input during a long load: the decode runs beside the window's thread, so a key ends the
// saver at once; and a file whose header claims a huge size does not stop the show.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "pictures/picture_loader_win32.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/jpeg_files.h"

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
const COLORREF kFirstColour = RGB(200, 40, 160);
const COLORREF kGoodColour = RGB(40, 60, 230);
constexpr UINT kLongWidth = 16000;
constexpr UINT kLongHeight = 12000;

std::string Settings(const std::wstring& folder) {
  return "[Orvella_Glimmerdeck]\r\nFolder=" + e2e::Narrow(folder) +
         "\r\nSpeed=100\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=1\r\nOderFileName=1\r\nBgmPlay=0\r\nBgmPlayName=\r\n"
         "Kakudai=1\r\nRefresh=0\r\nBiliner=0\r\nSubFolder=0\r\nShaffle=0\r\nMulti=0\r\n";
}

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class LoadingTest : public testing::Test {
 protected:
  void SetUp() override {
    e2e::StartFresh();
  }
  void TearDown() override { e2e::RemoveSettings(); }
};

}  // namespace

// The folder shows a small picture first, then loads the large one 100 ms after drawing it.
TEST_F(LoadingTest, AKeyHalfASecondIntoALongLoadEndsTheSaverAtOnce) {
  // The saver refuses a picture that needs more than a quarter of the free memory.
  const auto available = pictures::SystemMemoryStatus().AvailablePhysicalBytes();
  if (available && *available < uint64_t{kLongWidth} * kLongHeight * 16)
    GTEST_SKIP() << "too little free memory for a 16000x12000 picture: " << (*available >> 20) << " MiB";
  // The large picture is kept between runs: writing it takes seconds.
  CreateDirectoryW(L"C:\\glimmer_e2e", nullptr);
  const std::wstring folder = L"C:\\glimmer_e2e\\long_load";
  CreateDirectoryW(folder.c_str(), nullptr);
  e2e::WriteSolidBmp(folder + L"\\a.bmp", 64, 48, kFirstColour);
  const std::wstring large = folder + L"\\b.jpg";
  const std::wstring written = folder + L"\\b.written";
  if (GetFileAttributesW(written.c_str()) == INVALID_FILE_ATTRIBUTES) {
    ASSERT_TRUE(e2e::WriteJpeg(large, kLongWidth, kLongHeight, e2e::PhotoLikeRows(kLongWidth, kLongHeight)));
    e2e::WriteBytes(written, "");
  }
  {
    pictures::LoadedPicture picture;
    const double start = NowMs();
    ASSERT_TRUE(pictures::LoadPictureFile(large, picture));
    const double loadMs = NowMs() - start;
    std::printf("one load of the %ux%u picture: %.0f ms\n", kLongWidth, kLongHeight, loadMs);
    ASSERT_GE(loadMs, 1500.0) << "the load must be long for this test to mean anything";
  }
  // This process keeps the picture's block for a next picture; the saver needs the memory.
  pictures::PixelStore::Give(pictures::PixelStore::Take(0));

  e2e::WriteSettingsText(Settings(folder));
  e2e::SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, 15000), nullptr);
  ASSERT_TRUE(e2e::WaitForCentreColour(kFirstColour, 15000));
  e2e::Sleep(100 + 500);
  ASSERT_TRUE(e2e::Near(e2e::ScreenPixel(512, 384), kFirstColour)) << "the large picture was already shown";
  const double pressed = NowMs();
  e2e::PressKey('A');
  const bool ended = saver.WaitForExit(200);
  const double endedMs = NowMs() - pressed;
  std::printf("key to the end of the process, half a second into the load: %.0f ms\n", endedMs);
  EXPECT_TRUE(ended) << "still running " << endedMs << " ms after the key";
}

TEST_F(LoadingTest, AfterAHeaderClaiming16384By16384TheNextPictureIsShown) {
  const std::wstring folder = e2e::FreshFolder(L"forged_header");
  const std::wstring small = folder + L"\\small.tmp";
  ASSERT_TRUE(e2e::WriteJpeg(small, 640, 480, e2e::PhotoLikeRows(640, 480)));
  const std::string forged = e2e::WithFrameSize(ReadBytes(small), 16384, 16384);
  DeleteFileW(small.c_str());
  ASSERT_FALSE(forged.empty());
  e2e::WriteBytes(folder + L"\\a_forged.jpg", forged);
  e2e::WriteSolidBmp(folder + L"\\b_good.bmp", 400, 300, kGoodColour);

  e2e::WriteSettingsText(Settings(folder));
  e2e::SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(kSaver, 15000), nullptr);
  EXPECT_TRUE(e2e::WaitForCentreColour(kGoodColour, 30000));
  EXPECT_TRUE(saver.Running());
  e2e::PressKey('A');
  EXPECT_TRUE(saver.WaitForExit(3000));
}
