// Pictures with colour profiles, as ImageMagick tags them (tools/test-pictures) and as the
// tests write them: shown in the screen's colours. The reference is the system's colour
// management, LittleCMS under Wine, applied to the decoder's own pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pictures/colour_plan.h"
#include "pictures/picture_loader_win32.h"
#include "pictures/system_colour_win32.h"
#include "tests/e2e/jpeg_files.h"

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

// A JPEG with the profile inserted in APP2 chunks, written in the order given.
std::string WithProfile(const Bytes& jpeg, const Bytes& profile, const std::vector<int>& order) {
  return e2e::WithIccProfile(std::string(jpeg.begin(), jpeg.end()), std::string(profile.begin(), profile.end()), order);
}

std::wstring Written(const std::wstring& name, const std::string& bytes) {
  const std::wstring path = kFolder + name;
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
  return path;
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
  const std::wstring brokenPath =
      Written(L"broken_profile.jpg", WithProfile(ReadAll(kFolder + L"photo_plain.jpg"), broken, {1}));
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
  const std::wstring path = Written(L"photo_swapped.jpg", WithProfile(ReadAll(kFolder + L"photo_plain.jpg"), swapped, {1}));
  EXPECT_LE(LargestDifference(Load(path, &adobeScreen), Reference(kFolder + L"photo_plain.jpg", swapped, adobe)), 1);
  DeleteFileW(path.c_str());
}

// ImageMagick splits a profile only above 65,519 bytes; a profile of three chunks, written
// out of order, is read whole.
TEST_F(ColourProfiles, AProfileInThreeChunksOutOfOrderIsReadWhole) {
  const std::wstring path =
      Written(L"photo_chunks.jpg", WithProfile(ReadAll(kFolder + L"photo_plain.jpg"), adobe, {2, 3, 1}));
  EXPECT_EQ(Load(path).pixels, Load(kFolder + L"photo_adobe.jpg").pixels);
  DeleteFileW(path.c_str());
}

namespace {

void Put16(Bytes& out, uint32_t v) { out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void Put32(Bytes& out, uint32_t v) { Put16(out, v >> 16), Put16(out, v & 0xFFFF); }

// A profile of the table kind that reads red as green and green as red, in linear light: an
// A2B0 of type lut16 whose 2 x 2 x 2 grid gives each corner the sum of the swapped sRGB
// colorants (connection space XYZ, 1.0 as 32768).
Bytes SwappingTableProfile() {
  const double colorants[3][3] = {{0.3851, 0.7169, 0.0971}, {0.4361, 0.2225, 0.0139}, {0.1431, 0.0606, 0.7141}};
  Bytes lut = {'m', 'f', 't', '2', 0, 0, 0, 0, 3, 3, 2, 0};
  for (int i = 0; i < 9; ++i) Put32(lut, i % 4 == 0 ? 0x10000 : 0);  // the identity matrix
  Put16(lut, 2), Put16(lut, 2);
  for (int i = 0; i < 3; ++i) Put16(lut, 0), Put16(lut, 0xFFFF);
  for (int corner = 0; corner < 8; ++corner)
    for (int xyz = 0; xyz < 3; ++xyz) {
      double sum = 0;
      for (int channel = 0; channel < 3; ++channel)
        if (corner >> (2 - channel) & 1) sum += colorants[channel][xyz];
      Put16(lut, uint32_t(sum * 32768 + 0.5));
    }
  for (int i = 0; i < 3; ++i) Put16(lut, 0), Put16(lut, 0xFFFF);
  Bytes white = {'X', 'Y', 'Z', ' ', 0, 0, 0, 0};
  for (double v : {0.9642, 1.0, 0.8249}) Put32(white, uint32_t(v * 65536 + 0.5));
  Bytes profile(128, 0);
  profile[8] = 2;
  for (auto [at, text] : {std::pair{12, "scnr"}, {16, "RGB "}, {20, "XYZ "}, {36, "acsp"}})
    std::copy(text, text + 4, profile.begin() + at);
  Put32(profile, 2);
  const uint32_t lutAt = 128 + 4 + 24, whiteAt = lutAt + uint32_t(lut.size());
  for (auto [tag, at, size] : {std::tuple{"A2B0", lutAt, uint32_t(lut.size())}, {"wtpt", whiteAt, 20u}}) {
    profile.insert(profile.end(), tag, tag + 4);
    Put32(profile, at), Put32(profile, size);
  }
  profile.insert(profile.end(), lut.begin(), lut.end());
  profile.insert(profile.end(), white.begin(), white.end());
  for (int i = 0; i < 4; ++i) profile[i] = uint8_t(profile.size() >> (24 - 8 * i));
  return profile;
}

}  // namespace

// Profiles built from tables go through the system's colour management: a profile whose
// table reads red as green, in linear light, shows the red quadrant green, each channel the
// sRGB encoding of the swapped stored value.
TEST_F(ColourProfiles, AProfileOfTablesIsAppliedByTheSystem) {
  const std::wstring path =
      Written(L"table_swap.jpg", WithProfile(ReadAll(kFolder + L"orient_1.jpg"), SwappingTableProfile(), {1}));
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
