// The loader on pictures as other programs write them (made by tools/test-pictures): Exif
// orientations, a progressive JPEG, GIFs whose frame is smaller than or off its screen,
// interlaced and transparent GIFs, a BMP with the version 5 header and alpha.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "pictures/picture_loader_win32.h"
#include "tests/unit/fake_memory_status.h"

namespace {

const std::wstring kFolder = L"C:\\glimmer_pictures\\";

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

class PictureFiles : public testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW((kFolder + L"ready").c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "needs the test-pictures fixture (ctest runs it)";
  }
  static pictures::LoadedPicture Load(const std::wstring& name) {
    pictures::LoadedPicture picture;
    EXPECT_TRUE(pictures::LoadPictureFile(kFolder + name, picture));
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
  std::ifstream in((kFolder + L"orient_6.jpg").c_str(), std::ios::binary);
  const std::string jpeg(std::istreambuf_iterator<char>(in), {});
  ASSERT_GT(jpeg.size(), 2u);
  const std::string filler = std::string("\xFF\xE2\xFF\xFF", 4) + std::string(65533, '\x5A');
  const std::wstring path = kFolder + L"exif_far.jpg";
  std::ofstream(path.c_str(), std::ios::binary) << jpeg.substr(0, 2) + filler + filler + jpeg.substr(2);
  const auto picture = Load(L"exif_far.jpg");
  DeleteFileW(path.c_str());
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
