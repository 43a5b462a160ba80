// Bilinear smoothing on the real screen equals the scaler's own output, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "drawing/bilinear.h"
#include "pictures/picture_loader_win32.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/picture_files.h"

namespace {

struct NoPump : platform::MessagePump {
  void PumpPending() override {}
};

COLORREF Noise(int x, int y, int, int) {
  uint32_t h = static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 2246822519u;
  h ^= h >> 13;
  h *= 3266489917u;
  return RGB(h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF);
}

}  // namespace

TEST(BilinearOnScreen, PaintedRectangleEqualsTheScalerAndTheRestIsBlack) {
  e2e::RemoveSettings();
  std::wstring folder = e2e::FreshFolder(L"bilinear");
  const std::wstring path = folder + L"\\noise.bmp";
  e2e::WriteBmp(path, 301, 157, Noise);

  pictures::LoadedPicture picture;
  ASSERT_TRUE(pictures::LoadPictureFile(path, picture));
  drawing::SourcePicture source{true, picture.width, picture.height,
                                 reinterpret_cast<const uint8_t*>(picture.pixels.data()),
                                 static_cast<size_t>(picture.width) * 4};
  NoPump pump;
  auto want = drawing::DrawBilinerPicture(source, {1024, 768}, pump);
  ASSERT_TRUE(want.has_value());

  e2e::WriteSettingsText(e2e::SettingsWithFolder(e2e::Narrow(folder)) );
  // Smoothing on; the rule also forces enlarge, shrink and centre.
  std::string text = e2e::ReadSettingsBytes();
  text.replace(text.find("Biliner=0"), 9, "Biliner=1");
  e2e::WriteSettingsText(text);
  e2e::SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(L"Glimmerdeck", 15000), nullptr);
  e2e::Sleep(2500);
  std::vector<uint32_t> screen = e2e::CaptureScreen(1024, 768);

  const auto& box = *want;
  size_t wrong = 0, blackOutside = 0, outside = 0;
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      uint32_t got = screen[static_cast<size_t>(y) * 1024 + x] & 0xFFFFFF;
      int px = x - box.position.x, py = y - box.position.y;
      if (px >= 0 && py >= 0 && px < box.size.width && py < box.size.height) {
        const uint8_t* p = &box.pixels[(static_cast<size_t>(py) * box.size.width + px) * 4];
        uint32_t expected = p[0] | (p[1] << 8) | (p[2] << 16);
        wrong += got != expected ? 1 : 0;
      } else {
        ++outside;
        blackOutside += got == 0 ? 1 : 0;
      }
    }
  }
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(blackOutside, outside);
  EXPECT_GT(box.size.width, 1000);
  e2e::RemoveSettings();
}

// A picture with opacity is smoothed as it shows over the cleared window's black.
TEST(BilinearOnScreen, APictureWithOpacityIsSmoothedOverBlack) {
  e2e::RemoveSettings();
  const std::wstring folder = e2e::FreshFolder(L"bilinear_opacity");
  const std::wstring path = folder + L"\\noise.bmp";
  e2e::WriteBytes(path, picture_files::Bmp32(203, 151, picture_files::NoiseWithOpacity(203, 151),
                                             picture_files::BmpHeader::V5));
  pictures::LoadedPicture picture;
  ASSERT_TRUE(pictures::LoadPictureFile(path, picture));
  ASSERT_TRUE(picture.hasAlpha);
  const drawing::SourcePicture source{true, picture.width, picture.height,
                                       reinterpret_cast<const uint8_t*>(picture.pixels.data()),
                                       static_cast<size_t>(picture.width) * 4, true};
  NoPump pump;
  const auto want = drawing::DrawBilinerPicture(source, {1024, 768}, pump);
  ASSERT_TRUE(want.has_value());

  e2e::WriteSettingsText(e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), {{"Biliner", "1"}}));
  e2e::SaverProcess saver(L"/S");
  ASSERT_NE(saver.WaitForWindow(L"Glimmerdeck", 15000), nullptr);
  e2e::Sleep(2500);
  const std::vector<uint32_t> screen = e2e::CaptureScreen(1024, 768);
  size_t wrong = 0;
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const int px = x - want->position.x, py = y - want->position.y;
      uint32_t expected = 0;
      if (px >= 0 && py >= 0 && px < want->size.width && py < want->size.height) {
        const uint8_t* p = &want->pixels[(static_cast<size_t>(py) * want->size.width + px) * 4];
        expected = p[0] | (p[1] << 8) | (p[2] << 16);
      }
      wrong += (screen[static_cast<size_t>(y) * 1024 + x] & 0xFFFFFF) != expected ? 1 : 0;
    }
  }
  EXPECT_EQ(wrong, 0u);
  e2e::RemoveSettings();
}
