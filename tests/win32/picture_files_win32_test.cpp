// The loader on pictures as other programs write them (made by tools/test-pictures): Exif
// orientations, a progressive JPEG, GIFs whose frame is smaller than or off its screen,
// interlaced and transparent GIFs, a BMP with the version 5 header and alpha; and pictures
// with colour profiles, as ImageMagick tags them and as the tests write them, shown in the
// screen's colours, against the system's colour management (LittleCMS under Wine) applied
// to the decoder's own pixels.
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

#include "pictures/picture_loader_win32.h"
#include "pictures/system_colour_win32.h"
#include "tests/e2e/jpeg_files.h"
#include "tests/unit/fake_memory_status.h"
#include "tests/unit/icc_test_profile.h"

namespace {

const std::wstring kFolder = L"C:\\glimmer_pictures\\", kColord = L"Z:\\usr\\share\\color\\icc\\colord\\";
using pictures::LoadedPicture;
using test_support::Bytes;

struct Colour {
  int r, g, b;
};
const Colour kRed{220, 30, 30}, kGreen{30, 200, 60}, kBlue{40, 60, 230}, kWhite{240, 240, 240};

// The pattern every test picture shows upright: four quadrants of a width x height picture.
Colour QuadrantAt(int x, int y, int width, int height) {
  if (y < height / 2) return x < width / 2 ? kRed : kGreen;
  return x < width / 2 ? kBlue : kWhite;
}

bool Near(uint32_t pixel, Colour want, int tolerance) {
  const int b = pixel & 0xFF, g = (pixel >> 8) & 0xFF, r = (pixel >> 16) & 0xFF;
  return std::abs(r - want.r) <= tolerance && std::abs(g - want.g) <= tolerance && std::abs(b - want.b) <= tolerance;
}

std::string Hex(uint32_t pixel) {
  char text[16];
  std::snprintf(text, sizeof(text), "%08X", static_cast<unsigned>(pixel));
  return text;
}

Bytes ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A picture of the fixture again as `name`, with the profile in APP2 chunks written in the
// order given.
std::wstring Tagged(const std::wstring& name, const Bytes& profile, const std::vector<int>& order = {1},
                    const std::wstring& from = L"photo_plain.jpg") {
  const Bytes jpeg = ReadAll(kFolder + from);
  std::ofstream((kFolder + name).c_str(), std::ios::binary)
      << e2e::WithIccProfile(std::string(jpeg.begin(), jpeg.end()), std::string(profile.begin(), profile.end()), order);
  return name;
}

// The largest difference of any byte of any pixel.
int LargestDifference(const LoadedPicture& a, const LoadedPicture& b) {
  int largest = a.pixels.size() == b.pixels.size() ? 0 : 256;
  for (size_t i = 0; i < a.pixels.size() && largest < 256; ++i)
    for (int shift = 0; shift < 32; shift += 8)
      largest = std::max(largest, std::abs(int(a.pixels[i] >> shift & 0xFF) - int(b.pixels[i] >> shift & 0xFF)));
  return largest;
}

// The decoder's own pixels of a picture, converted by the system from `profile` to `display`.
LoadedPicture Converted(LoadedPicture picture, const Bytes& profile, const Bytes& display) {
  EXPECT_TRUE(pictures::ConvertBySystem(profile, false, display, picture.pixels.data(), picture.width, picture.height));
  return picture;
}

// A profile of the table kind that reads red as green and green as red, in linear light: an
// A2B0 of type lut16 whose 2 x 2 x 2 grid gives each corner the sum of the swapped sRGB
// colorants (connection space XYZ, 1.0 as 32768).
Bytes SwappingTableProfile() {
  const auto& c = test_support::kSrgbLike;
  Bytes lut = {'m', 'f', 't', '2', 0, 0, 0, 0, 3, 3, 2, 0};
  const auto put16 = [&](uint32_t v) { lut.push_back(uint8_t(v >> 8)), lut.push_back(uint8_t(v)); };
  const auto ramps = [&] { for (int i = 0; i < 3; ++i) put16(0), put16(0xFFFF); };
  for (int i = 0; i < 9; ++i) put16(i % 4 == 0), put16(0);  // the identity matrix
  put16(2), put16(2), ramps();
  for (int rgb = 0; rgb < 8; ++rgb)  // a corner's red, green and blue as bits 2, 1 and 0
    for (int i = 0; i < 3; ++i)
      put16(uint32_t(((rgb >> 2 & 1) * c[1][i] + (rgb >> 1 & 1) * c[0][i] + (rgb & 1) * c[2][i]) * 32768 + 0.5));
  ramps();
  return test_support::IccBytes("RGB ", {{"A2B0", lut}, {"wtpt", test_support::XyzTag({0.9642, 1.0, 0.8249})}}, "scnr");
}

class PictureFiles : public testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW((kFolder + L"ready").c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "needs the test-pictures fixture (ctest runs it)";
  }
  static pictures::LoadedPicture Load(const std::wstring& name, const pictures::DisplayColours* display = nullptr) {
    pictures::LoadedPicture picture;
    pictures::SystemMemoryStatus memory;
    EXPECT_TRUE(pictures::LoadPictureFile(kFolder + name, picture, memory, display));
    return picture;
  }
  // The quadrants of a width x height pattern at (left, top) of the picture: the middle of
  // each quadrant and the pixels two in from its corners (JPEG smears the edges between
  // colours a little). A quadrant where `skipWhite` holds is not looked at.
  static void ExpectQuadrants(const pictures::LoadedPicture& picture, int left, int top, int width, int height,
                              int tolerance, bool skipWhite = false) {
    const int hw = width / 2, hh = height / 2;
    for (int qy = 0; qy < 2; ++qy)
      for (int qx = 0; qx < 2; ++qx) {
        if (skipWhite && qx == 1 && qy == 1) continue;
        const int x0 = qx * hw, y0 = qy * hh;
        const int xs[] = {x0 + 2, x0 + hw / 2, x0 + hw - 3};
        const int ys[] = {y0 + 2, y0 + hh / 2, y0 + hh - 3};
        for (int y : ys)
          for (int x : xs) {
            const uint32_t pixel = picture.pixels[static_cast<size_t>(top + y) * picture.width + left + x];
            EXPECT_TRUE(Near(pixel, QuadrantAt(x, y, width, height), tolerance))
                << "at " << x << "," << y << ": " << Hex(pixel);
          }
      }
  }
};

}  // namespace

// Each value's stored picture is the pattern turned the other way; loaded, it stands upright
// at its upright size.
TEST_F(PictureFiles, AllEightExifOrientationsStandUpright) {
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE(testing::Message() << "orient_" << n << ".jpg");
    const auto picture = Load(L"orient_" + std::to_wstring(n) + L".jpg");
    ASSERT_EQ(picture.width, 96);
    ASSERT_EQ(picture.height, 64);
    EXPECT_FALSE(picture.hasAlpha);
    ExpectQuadrants(picture, 0, 0, 96, 64, 40);
  }
}

// Some editors write large colour profiles first: the Exif segment then begins past the
// first 128 KiB of the file, and the photo still stands upright.
TEST_F(PictureFiles, AnExifSegmentFarIntoTheFileStillTurnsThePhoto) {
  const auto picture = Load(Tagged(L"exif_far.jpg", Bytes(2 * 65519, 0x5A), {1, 2}, L"orient_6.jpg"));
  DeleteFileW((kFolder + L"exif_far.jpg").c_str());
  ASSERT_EQ(picture.width, 96);
  ASSERT_EQ(picture.height, 64);
  ExpectQuadrants(picture, 0, 0, 96, 64, 40);
}

TEST_F(PictureFiles, AProgressiveJpegOnItsSideStandsUpright) {
  const auto picture = Load(L"progressive_6.jpg");
  ASSERT_EQ(picture.width, 192);
  ASSERT_EQ(picture.height, 256);
  ExpectQuadrants(picture, 0, 0, 192, 256, 40);
}

// The frame at its place on its screen, every pixel; the rest of the screen transparent.
TEST_F(PictureFiles, AGifFrameSitsOnItsScreenClippedToIt) {
  struct Case {
    const wchar_t* name;
    int width, height, left, top;
  };
  for (const Case& c : {Case{L"offset.gif", 100, 80, 25, 15}, Case{L"outside.gif", 50, 40, 30, 20}}) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    const auto picture = Load(c.name);
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, c.height);
    EXPECT_TRUE(picture.hasAlpha);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const uint32_t pixel = picture.pixels[static_cast<size_t>(y) * c.width + x];
        const bool inFrame = x >= c.left && x < c.left + 40 && y >= c.top && y < c.top + 30;
        const bool right = inFrame ? Near(pixel, QuadrantAt(x - c.left, y - c.top, 40, 30), 0) && pixel >> 24 == 0xFF
                                   : pixel == 0;
        if (!right && wrong++ < 5) ADD_FAILURE() << "at " << x << "," << y << ": " << Hex(pixel);
      }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(PictureFiles, AnInterlacedGifHasItsRowsInOrder) {
  const auto picture = Load(L"interlaced.gif");
  ASSERT_EQ(picture.width, 64);
  ASSERT_EQ(picture.height, 48);
  int wrong = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      wrong += Near(picture.pixels[static_cast<size_t>(y) * 64 + x], QuadrantAt(x, y, 64, 48), 0) ? 0 : 1;
  EXPECT_EQ(wrong, 0);
}

// Their alpha is kept by the paint side; here their size and their opaque pixels.
TEST_F(PictureFiles, ATransparentGifAndABmpWithAlphaKeepTheirOpaquePixels) {
  for (const wchar_t* name : {L"transparent.gif", L"alpha_v5.bmp"}) {
    SCOPED_TRACE(testing::Message() << std::string(name, name + wcslen(name)));
    const auto picture = Load(name);
    ASSERT_EQ(picture.width, 64);
    ASSERT_EQ(picture.height, 48);
    ExpectQuadrants(picture, 0, 0, 64, 48, 0, true);
  }
}

// The second buffer a quarter turn or a GIF screen needs counts against the free memory.
TEST_F(PictureFiles, TheTurnsAndScreensSecondBufferCountsAgainstTheFreeMemory) {
  struct Case {
    const wchar_t* name;
    uint64_t needed;  // bytes of free memory: 16 a pixel, the picture's and the second buffer's
  };
  const Case cases[] = {
      {L"orient_6.jpg", 2 * 96 * 64 * 16},
      {L"orient_3.jpg", 96 * 64 * 16},
      {L"offset.gif", (100 * 80 + 40 * 30) * 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    for (uint64_t available : {c.needed, c.needed - 1}) {
      FakeMemory memory;
      memory.available = available;
      pictures::LoadedPicture picture;
      EXPECT_EQ(pictures::LoadPictureFile(kFolder + c.name, picture, memory), available == c.needed);
    }
  }
}

// A profile that swaps red and green shows the stored rgb(200, 40, 60) as rgb(40, 200, 60).
TEST_F(PictureFiles, AFlatColourTaggedWithSwappedRedAndGreenShowsThemSwapped) {
  const auto picture = Load(L"swapped.jpg");
  ASSERT_EQ(picture.width, 64);
  EXPECT_TRUE(Near(picture.pixels[24 * 64 + 32], {40, 200, 60}, 3)) << Hex(picture.pixels[24 * 64 + 32]);
}

// Converted within 1 of the system's conversion, and visibly changed; sRGB, the screen's own
// profile and a broken one leave the decoder's pixels exactly as they are.
TEST_F(PictureFiles, TaggedPhotosShowInTheScreensColours) {
  const Bytes adobe = ReadAll(kColord + L"AdobeRGB1998.icc"), swapped = ReadAll(kColord + L"SwappedRedAndGreen.icc");
  ASSERT_FALSE(adobe.empty() || swapped.empty());
  Bytes broken = adobe;
  broken[131] = 0xFF;  // a tag count far past the profile's end
  const pictures::DisplayColours adobeScreen = pictures::DisplayColoursFrom(adobe);
  const Bytes& srgb = pictures::SrgbProfileBytes();
  const LoadedPicture jpeg = Load(L"photo_plain.jpg"), bmp = Load(L"photo_plain.bmp");
  struct Case { std::wstring name; const pictures::DisplayColours* screen; LoadedPicture want; int within; };
  const Case cases[] = {
      {L"photo_adobe.jpg", nullptr, Converted(jpeg, adobe, srgb), 1},
      {L"photo_adobe.bmp", nullptr, Converted(bmp, adobe, srgb), 1},  // a version 5 BMP's profile
      {Tagged(L"photo_swapped.jpg", swapped), &adobeScreen, Converted(jpeg, swapped, adobe), 1},
      // ImageMagick splits a profile only above 65,519 bytes: three chunks, out of order.
      {Tagged(L"photo_chunks.jpg", adobe, {2, 3, 1}), nullptr, Load(L"photo_adobe.jpg"), 0},
      {L"photo_srgb.jpg", nullptr, jpeg, 0},
      {L"photo_adobe.jpg", &adobeScreen, jpeg, 0},
      {Tagged(L"broken_profile.jpg", broken), nullptr, jpeg, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name.c_str() << (c.screen ? " on an Adobe RGB screen" : ""));
    const LoadedPicture shown = Load(c.name, c.screen), &stored = c.name.back() == L'p' ? bmp : jpeg;
    EXPECT_LE(LargestDifference(shown, c.want), c.within);
    if (c.want.pixels != stored.pixels) {
      EXPECT_GT(LargestDifference(shown, stored), 8);
    }
  }
  for (const wchar_t* name : {L"photo_swapped.jpg", L"photo_chunks.jpg", L"broken_profile.jpg"})
    DeleteFileW((kFolder + name).c_str());
}

// Profiles built from tables go through the system's colour management: a profile whose
// table reads red as green, in linear light, shows the red quadrant green, each channel the
// sRGB encoding of the swapped stored value; the opacity as it was.
TEST_F(PictureFiles, AProfileOfTablesIsAppliedByTheSystem) {
  const auto picture = Load(Tagged(L"table_swap.jpg", SwappingTableProfile(), {1}, L"orient_1.jpg"));
  const auto plain = Load(L"orient_1.jpg");
  DeleteFileW((kFolder + L"table_swap.jpg").c_str());
  ASSERT_EQ(picture.pixels.size(), plain.pixels.size());
  const auto encoded = [](uint32_t value) {
    const double x = value / 255.0;
    return int(std::lround(255 * (x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055)));
  };
  for (size_t at : {size_t{16 * 96 + 24}, size_t{16 * 96 + 72}, size_t{48 * 96 + 24}}) {  // red, green, blue
    const uint32_t stored = plain.pixels[at], shown = picture.pixels[at];
    EXPECT_TRUE(Near(shown, {encoded(stored >> 8 & 0xFF), encoded(stored >> 16 & 0xFF), encoded(stored & 0xFF)}, 2))
        << Hex(stored) << " shown as " << Hex(shown);
    EXPECT_EQ(shown >> 24, stored >> 24);
  }
}
