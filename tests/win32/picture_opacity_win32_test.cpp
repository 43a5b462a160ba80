// The loader keeps the opacity the system's decoder reports: a GIF's transparent colour and
// a BMP's alpha channel, byte for byte; a plain 32-bit BMP's fourth byte and a JPEG have none.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/picture_loader_win32.h"
#include "tests/e2e/jpeg_files.h"
#include "tests/e2e/picture_files.h"

using picture_files::BmpHeader;

namespace {

std::wstring TempFile(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"glimmer_loader_" + name;
}

void Write(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

struct Case {
  const char* name;
  const wchar_t* file;
  std::string bytes;
  int32_t width, height;
  bool hasAlpha;
  // 0xAARRGGBB as loaded; without opacity only the colour bytes are compared.
  std::vector<uint32_t> want;
};

constexpr uint32_t kGreen = 0xFF1EC83C, kMagentaGone = 0x00FF00FF, kGrey = 0xFF808080;
const std::vector<picture_files::Rgb> kColours = {{0x1E, 0xC8, 0x3C}, {0xFF, 0x00, 0xFF}, {0x80, 0x80, 0x80}};
// Transparent, partly opaque and opaque pixels, each with its own colour.
const std::vector<uint32_t> kAlphaPixels = {0x00102030, 0x80405060, 0xFF708090, 0x01FFFFFF, 0xFE000000, 0x7F123456};

std::vector<uint32_t> AllOpaque(std::vector<uint32_t> pixels) {
  for (uint32_t& pixel : pixels) pixel |= 0xFF000000;
  return pixels;
}

TEST(PictureOpacityWin32, KeepsTheOpacityTheDecoderReports) {
  const std::vector<uint8_t> indices = {0, 1, 0, 1, 1, 1, 2, 0};
  const std::vector<uint8_t> opaqueIndices = {0, 2, 0, 2, 2, 2, 2, 0};
  const Case cases[] = {
      {"GIF with a transparent colour", L"transparent.gif", picture_files::Gif(4, 2, kColours, indices, 1), 4, 2,
       true, {kGreen, kMagentaGone, kGreen, kMagentaGone, kMagentaGone, kMagentaGone, kGrey, kGreen}},
      {"GIF whose transparent colour is not used", L"unused.gif", picture_files::Gif(4, 2, kColours, opaqueIndices, 1),
       4, 2, false, {kGreen, kGrey, kGreen, kGrey, kGrey, kGrey, kGrey, kGreen}},
      {"GIF without a transparent colour", L"opaque.gif", picture_files::Gif(4, 2, kColours, indices, std::nullopt),
       4, 2, false, {kGreen, 0xFFFF00FF, kGreen, 0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF, kGrey, kGreen}},
      {"BMP v5 with an alpha mask", L"v5.bmp", picture_files::Bmp32(3, 2, kAlphaPixels, BmpHeader::V5), 3, 2, true,
       kAlphaPixels},
      {"BMP v4 with an alpha mask", L"v4.bmp", picture_files::Bmp32(3, 2, kAlphaPixels, BmpHeader::V4), 3, 2, true,
       kAlphaPixels},
      {"BMP v5 whose every pixel is opaque", L"v5opaque.bmp",
       picture_files::Bmp32(3, 2, AllOpaque(kAlphaPixels), BmpHeader::V5), 3, 2, false, kAlphaPixels},
      {"BMP v5 without an alpha mask", L"v5nomask.bmp", picture_files::Bmp32(3, 2, kAlphaPixels, BmpHeader::V5, 0),
       3, 2, false, kAlphaPixels},
      {"plain 32-bit BMP", L"plain32.bmp", picture_files::Bmp32(3, 2, kAlphaPixels, BmpHeader::Info), 3, 2, false,
       kAlphaPixels},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = TempFile(c.file);
    Write(path, c.bytes);
    pictures::LoadedPicture picture;
    ASSERT_TRUE(pictures::LoadPictureFile(path, picture));
    DeleteFileW(path.c_str());
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    EXPECT_EQ(picture.hasAlpha, c.hasAlpha);
    ASSERT_EQ(picture.pixels.size(), c.want.size());
    const uint32_t compared = c.hasAlpha ? 0xFFFFFFFF : 0x00FFFFFF;
    for (size_t i = 0; i < c.want.size(); ++i)
      EXPECT_EQ(picture.pixels[i] & compared, c.want[i] & compared) << "pixel " << i;
  }
}

TEST(PictureOpacityWin32, AJpegHasNoOpacity) {
  const std::wstring path = TempFile(L"photo.jpg");
  ASSERT_TRUE(e2e::WriteJpeg(path, 64, 48, e2e::PhotoLikeRows(64, 48)));
  pictures::LoadedPicture picture;
  ASSERT_TRUE(pictures::LoadPictureFile(path, picture));
  DeleteFileW(path.c_str());
  EXPECT_EQ(picture.width, 64);
  EXPECT_FALSE(picture.hasAlpha);
}

}  // namespace
