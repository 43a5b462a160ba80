// Plain painting on the real screen: a picture's transparent pixels let the earlier picture
// (Refresh = 1) or the cleared window's black show through, partly opaque ones mix with it,
// and the painted rectangle equals the painter's own output byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "drawing/opacity.h"
#include "drawing/paint.h"
#include "pictures/picture_loader_win32.h"
#include "show/placement.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/picture_files.h"

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr int kScreenWidth = 1024, kScreenHeight = 768;
constexpr uint32_t kRed = 0xDC1E1E, kGreen = 0x1EC83C, kBlack = 0;
constexpr int kPictureWidth = 400, kPictureHeight = 300;
// Where a centred 400 x 300 picture lands on the 1024 x 768 screen.
constexpr int kLeft = 312, kTop = 234;

struct NoPump : platform::MessagePump {
  void PumpPending() override {}
};

class PaintOnScreen : public testing::Test {
 protected:
  void SetUp() override {
    e2e::StartFresh();
  }
  void TearDown() override { e2e::RemoveSettings(); }

  static void WriteSettings(const std::wstring& folder, const std::vector<std::pair<std::string, std::string>>& keys) {
    e2e::WriteSettingsText(e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), keys));
  }
};

// The second picture's three bands: opaque green, transparent, and (where the file can
// hold it) blue at half opacity.
uint32_t BandPixel(int x) {
  if (x < kPictureWidth / 3) return 0xFF000000 | kGreen;
  if (x < 2 * kPictureWidth / 3) return 0x00FF00FF;
  return 0x80283CE6;
}

std::string BandedBmp() {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < kPictureHeight; ++y)
    for (int x = 0; x < kPictureWidth; ++x) pixels.push_back(BandPixel(x));
  return picture_files::Bmp32(kPictureWidth, kPictureHeight, pixels, picture_files::BmpHeader::V5);
}

// A GIF can only be opaque or transparent: the third band is green again.
std::string BandedGif() {
  std::vector<uint8_t> indices;
  for (int y = 0; y < kPictureHeight; ++y)
    for (int x = 0; x < kPictureWidth; ++x) indices.push_back(BandPixel(x) >> 24 == 0 ? 1 : 0);
  return picture_files::Gif(kPictureWidth, kPictureHeight, {{0x1E, 0xC8, 0x3C}, {0xFF, 0x00, 0xFF}}, indices, 1);
}

uint32_t GifPixel(int x) { return BandPixel(x) >> 24 == 0 ? 0x00FF00FF : 0xFF000000 | kGreen; }

// The screen pixel in 0x00RRGGBB of a pixel painted over `under`.
uint32_t Over(uint32_t pixel, uint32_t under) {
  if (pixel >> 24 == 0) return under;
  return drawing::BlendOver(pixel, under);
}

TEST_F(PaintOnScreen, TransparentPixelsShowWhatLiesUnder) {
  struct Case {
    const char* name;
    const wchar_t* file;
    std::string bytes;
    uint32_t (*pixelAt)(int x);
    const char* refresh;
    uint32_t under;
  };
  const Case cases[] = {
      {"GIF over the red picture", L"b.gif", BandedGif(), GifPixel, "1", kRed},
      {"GIF on the cleared window", L"b.gif", BandedGif(), GifPixel, "0", kBlack},
      {"BMP with opacity over the red picture", L"b.bmp", BandedBmp(), BandPixel, "1", kRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring folder = e2e::FreshFolder(L"transparent");
    e2e::WriteSolidBmp(folder + L"\\a.bmp", kPictureWidth, kPictureHeight, RGB(0xDC, 0x1E, 0x1E));
    e2e::WriteBytes(folder + L"\\" + c.file, c.bytes);
    WriteSettings(folder, {{"Speed", "1500"}, {"Cyuuou", "1"}, {"OderFileName", "1"}, {"Refresh", c.refresh}});
    e2e::SaverProcess saver(L"/S");
    ASSERT_NE(saver.WaitForWindow(kSaver, 15000), nullptr);
    ASSERT_TRUE(e2e::WaitForCentreColour(RGB(0xDC, 0x1E, 0x1E), 15000)) << "the red picture did not show";
    // The second picture's opaque band, 1.5 s later.
    const DWORD start = GetTickCount();
    while (!e2e::Near(e2e::ScreenPixel(kLeft + 10, kTop + 10), RGB(0x1E, 0xC8, 0x3C), 0) &&
           GetTickCount() - start < 10000)
      e2e::Sleep(20);
    const std::vector<uint32_t> screen = e2e::CaptureScreen(kScreenWidth, kScreenHeight);
    size_t wrong = 0, notBlack = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
      for (int x = 0; x < kScreenWidth; ++x) {
        const uint32_t got = screen[size_t(y) * kScreenWidth + x] & 0xFFFFFF;
        const bool inside = x >= kLeft && x < kLeft + kPictureWidth && y >= kTop && y < kTop + kPictureHeight;
        if (inside)
          wrong += got != Over(c.pixelAt(x - kLeft), c.under) ? 1 : 0;
        else
          notBlack += got != kBlack ? 1 : 0;
      }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(notBlack, 0u);
  }
}

COLORREF Noise(int x, int y, int, int) {
  uint32_t h = static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 2246822519u;
  h ^= h >> 13;
  h *= 3266489917u;
  return RGB(h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF);
}

TEST_F(PaintOnScreen, ThePaintedRectangleEqualsThePaintersOutput) {
  struct Case {
    const char* name;
    int width, height;
    bool enlarge;
    bool withOpacity;
  };
  const Case cases[] = {
      {"enlarged", 301, 157, true, false},
      {"shrunk", 2000, 1100, false, false},
      {"enlarged, with opacity, over black", 256, 200, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring folder = e2e::FreshFolder(L"paint_exact");
    const std::wstring path = folder + (c.withOpacity ? L"\\p.bmp" : L"\\p24.bmp");
    if (c.withOpacity)
      e2e::WriteBytes(path, picture_files::Bmp32(c.width, c.height, picture_files::NoiseWithOpacity(c.width, c.height),
                                                 picture_files::BmpHeader::V5));
    else
      e2e::WriteBmp(path, c.width, c.height, Noise);

    pictures::LoadedPicture picture;
    ASSERT_TRUE(pictures::LoadPictureFile(path, picture));
    ASSERT_EQ(picture.hasAlpha, c.withOpacity);
    const show::Placement place = show::PlacePicture({picture.width, picture.height}, {kScreenWidth, kScreenHeight},
                                                     {true, c.enlarge, true}, 0, 0);
    std::vector<uint32_t> want(size_t(kScreenWidth) * kScreenHeight, 0);
    NoPump pump;
    drawing::PaintPicture(
        {reinterpret_cast<const uint8_t*>(picture.pixels.data()), picture.width, picture.height,
         size_t(picture.width) * 4, picture.hasAlpha},
        place.position, place.size,
        {reinterpret_cast<uint8_t*>(want.data()), kScreenWidth, kScreenHeight, size_t(kScreenWidth) * 4}, pump);

    WriteSettings(folder, {{"Cyuuou", "1"}, {"Kakudai", c.enlarge ? "1" : "0"}});
    e2e::SaverProcess saver(L"/S");
    ASSERT_NE(saver.WaitForWindow(kSaver, 15000), nullptr);
    e2e::Sleep(2500);
    const std::vector<uint32_t> screen = e2e::CaptureScreen(kScreenWidth, kScreenHeight);
    size_t wrong = 0;
    for (size_t i = 0; i < screen.size(); ++i) wrong += (screen[i] & 0xFFFFFF) != want[i] ? 1 : 0;
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(place.size.width, 900);
  }
}

}  // namespace
