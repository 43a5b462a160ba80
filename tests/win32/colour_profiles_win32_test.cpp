// Pictures with colour profiles, as ImageMagick tags them (tools/test-pictures) and as the
// tests write them: shown in the screen's colours. The reference is the system's colour
// management, LittleCMS under Wine, applied to the decoder's own pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/colour_plan.h"
#include "pictures/picture_loader_win32.h"
#include "pictures/system_colour_win32.h"
#include "tests/e2e/jpeg_files.h"
#include "tests/unit/icc_test_profile.h"

namespace {

const std::wstring kFolder = L"C:\\glimmer_pictures\\";
const std::wstring kColord = L"Z:\\usr\\share\\color\\icc\\colord\\";
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

pictures::LoadedPicture Load(const std::wstring& path, const pictures::DisplayColours* display = nullptr) {
  pictures::LoadedPicture picture;
  pictures::SystemMemoryStatus memory;
  EXPECT_TRUE(pictures::LoadPictureFile(path, picture, memory, display));
  return picture;
}

// The largest difference of any channel of any pixel.
int LargestDifference(const pictures::LoadedPicture& a, const pictures::LoadedPicture& b) {
  if (a.pixels.size() != b.pixels.size()) return 256;
  int largest = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift : {0, 8, 16})
      largest = std::max(largest, std::abs(int(a.pixels[i] >> shift & 0xFF) - int(b.pixels[i] >> shift & 0xFF)));
  return largest;
}

// The decoder's own pixels of `plain`, converted by the system from `profile` to `display`.
pictures::LoadedPicture Reference(const std::wstring& plain, const Bytes& profile, const Bytes& display) {
  pictures::LoadedPicture picture = Load(plain);
  EXPECT_TRUE(pictures::ConvertBySystem(profile, false, display, picture.pixels.data(), picture.width, picture.height));
  return picture;
}

// The picture `from` again as `name`, with the profile in APP2 chunks written in the order given.
std::wstring Tagged(const std::wstring& from, const std::wstring& name, const Bytes& profile,
                    const std::vector<int>& order = {1}) {
  const Bytes jpeg = ReadAll(kFolder + from);
  std::ofstream((kFolder + name).c_str(), std::ios::binary)
      << e2e::WithIccProfile(std::string(jpeg.begin(), jpeg.end()), std::string(profile.begin(), profile.end()), order);
  return kFolder + name;
}

class ColourProfiles : public testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW((kFolder + L"ready").c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "needs the test-pictures fixture (ctest runs it)";
    adobe = ReadAll(kColord + L"AdobeRGB1998.icc");
    ASSERT_FALSE(adobe.empty());
  }
  Bytes adobe;
};

}  // namespace

// A profile that swaps red and green shows the stored red as green.
TEST_F(ColourProfiles, AFlatColourTaggedWithSwappedRedAndGreenShowsThemSwapped) {
  const auto picture = Load(kFolder + L"swapped.jpg");
  ASSERT_EQ(picture.width, 64);
  const uint32_t pixel = picture.pixels[24 * 64 + 32];
  EXPECT_NEAR(int(pixel >> 16 & 0xFF), 40, 3);
  EXPECT_NEAR(int(pixel >> 8 & 0xFF), 200, 3);
  EXPECT_NEAR(int(pixel & 0xFF), 60, 3);
}

TEST_F(ColourProfiles, AnAdobeRgbPhotoMatchesTheSystemsConversionOfItsPixels) {
  for (const wchar_t* kind : {L"jpg", L"bmp"}) {
    SCOPED_TRACE(testing::Message() << (kind[0] == L'j' ? "JPEG" : "BMP version 5"));
    const std::wstring plain = kFolder + L"photo_plain." + kind;
    const auto converted = Load(kFolder + L"photo_adobe." + kind);
    EXPECT_LE(LargestDifference(converted, Reference(plain, adobe, pictures::SrgbProfileBytes())), 1);
    EXPECT_GT(LargestDifference(converted, Load(plain)), 8);
  }
}

// sRGB, the display's own profile, a broken one and none: the decoder's pixels, unchanged.
TEST_F(ColourProfiles, PicturesInTheScreensColoursOrWithABrokenProfileShowTheirNumbers) {
  const auto plain = Load(kFolder + L"photo_plain.jpg");
  Bytes broken = adobe;
  broken[131] = 0xFF;  // a tag count far past the profile's end
  const std::wstring brokenPath = Tagged(L"photo_plain.jpg", L"broken_profile.jpg", broken);
  const pictures::DisplayColours adobeScreen = pictures::DisplayColoursFrom(adobe);
  EXPECT_EQ(Load(kFolder + L"photo_srgb.jpg").pixels, plain.pixels);
  EXPECT_EQ(Load(kFolder + L"photo_adobe.jpg", &adobeScreen).pixels, plain.pixels);
  EXPECT_EQ(Load(brokenPath).pixels, plain.pixels);
  DeleteFileW(brokenPath.c_str());
}

// On a screen of another profile, that profile is the destination.
TEST_F(ColourProfiles, AScreenWithAProfileOfItsOwnGetsItsColours) {
  const pictures::DisplayColours adobeScreen = pictures::DisplayColoursFrom(adobe);
  const Bytes swapped = ReadAll(kColord + L"SwappedRedAndGreen.icc");
  const std::wstring path = Tagged(L"photo_plain.jpg", L"photo_swapped.jpg", swapped);
  EXPECT_LE(LargestDifference(Load(path, &adobeScreen), Reference(kFolder + L"photo_plain.jpg", swapped, adobe)), 1);
  DeleteFileW(path.c_str());
}

// ImageMagick splits a profile only above 65,519 bytes; a profile of three chunks, written
// out of order, is read whole.
TEST_F(ColourProfiles, AProfileInThreeChunksOutOfOrderIsReadWhole) {
  const std::wstring path = Tagged(L"photo_plain.jpg", L"photo_chunks.jpg", adobe, {2, 3, 1});
  EXPECT_EQ(Load(path).pixels, Load(kFolder + L"photo_adobe.jpg").pixels);
  DeleteFileW(path.c_str());
}

namespace {

// A profile of the table kind that reads red as green and green as red, in linear light: an
// A2B0 of type lut16 whose 2 x 2 x 2 grid gives each corner the sum of the swapped sRGB
// colorants (connection space XYZ, 1.0 as 32768).
Bytes SwappingTableProfile() {
  const auto& c = test_support::kSrgbLike;
  const std::array<double, 3> swapped[3] = {c[1], c[0], c[2]};
  Bytes lut = {'m', 'f', 't', '2', 0, 0, 0, 0, 3, 3, 2, 0};
  const auto put16 = [&](uint32_t v) { lut.insert(lut.end(), {uint8_t(v >> 8), uint8_t(v)}); };
  for (int i = 0; i < 9; ++i) put16(i % 4 == 0), put16(0);  // the identity matrix
  put16(2), put16(2);
  for (int i = 0; i < 3; ++i) put16(0), put16(0xFFFF);
  for (int corner = 0; corner < 8; ++corner)
    for (int xyz = 0; xyz < 3; ++xyz) {
      double sum = 0;
      for (int channel = 0; channel < 3; ++channel) sum += (corner >> (2 - channel) & 1) * swapped[channel][xyz];
      put16(uint32_t(sum * 32768 + 0.5));
    }
  for (int i = 0; i < 3; ++i) put16(0), put16(0xFFFF);
  return test_support::IccBytes("RGB ", {{"A2B0", lut}, {"wtpt", test_support::XyzTag({0.9642, 1.0, 0.8249})}}, "scnr");
}

}  // namespace

// Profiles built from tables go through the system's colour management: a profile whose
// table reads red as green, in linear light, shows the red quadrant green, each channel the
// sRGB encoding of the swapped stored value.
TEST_F(ColourProfiles, AProfileOfTablesIsAppliedByTheSystem) {
  const std::wstring path = Tagged(L"orient_1.jpg", L"table_swap.jpg", SwappingTableProfile());
  const auto plain = Load(kFolder + L"orient_1.jpg");
  const auto picture = Load(path);
  DeleteFileW(path.c_str());
  ASSERT_EQ(picture.pixels.size(), plain.pixels.size());
  const auto encoded = [](uint32_t value) {
    const double x = value / 255.0;
    return int(std::lround(255 * (x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055)));
  };
  for (size_t at : {size_t{16 * 96 + 24}, size_t{16 * 96 + 72}, size_t{48 * 96 + 24}}) {  // red, green, blue
    const uint32_t stored = plain.pixels[at], shown = picture.pixels[at];
    SCOPED_TRACE(testing::Message() << std::hex << stored << " shown as " << shown);
    EXPECT_NEAR(int(shown >> 16 & 0xFF), encoded(stored >> 8 & 0xFF), 2);
    EXPECT_NEAR(int(shown >> 8 & 0xFF), encoded(stored >> 16 & 0xFF), 2);
    EXPECT_NEAR(int(shown & 0xFF), encoded(stored & 0xFF), 2);
    EXPECT_EQ(shown >> 24, stored >> 24);
  }
}
