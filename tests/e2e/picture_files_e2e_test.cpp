// The real saver on pictures as cameras and other programs write them (made by
// tools/test-pictures): a portrait photo stored on its side with its Exif orientation, and a
// GIF whose frame is smaller than its screen and off its corner, a picture with a colour
// profile.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
const std::wstring kPictures = L"C:\\glimmer_pictures\\";
const COLORREF kRed = RGB(220, 30, 30), kGreen = RGB(30, 200, 60), kBlue = RGB(40, 60, 230),
               kWhite = RGB(240, 240, 240), kBlack = RGB(0, 0, 0);

struct Spot {
  int x, y;
  COLORREF colour;
};

class PictureFilesShow : public testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesW((kPictures + L"ready").c_str()) == INVALID_FILE_ATTRIBUTES)
      GTEST_SKIP() << "needs the test-pictures fixture (ctest runs it)";
    e2e::StartFresh();
  }
  void TearDown() override { e2e::RemoveSettings(); }

  // Shows the one picture centred at its own size and checks the spots once the first
  // spot's colour has appeared.
  void ShowAndCheck(const wchar_t* name, const std::vector<Spot>& spots) {
    const std::wstring folder = e2e::FreshFolder(L"picture_files");
    ASSERT_TRUE(CopyFileW((kPictures + name).c_str(), (folder + L"\\" + name).c_str(), FALSE));
    e2e::WriteSettingsText(e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), {{"Cyuuou", "1"}}));
    e2e::SaverProcess saver(L"/S");
    ASSERT_NE(saver.WaitForWindow(kSaver, 15000), nullptr);
    EXPECT_GE(e2e::MsUntilColourAt(spots[0].x, spots[0].y, spots[0].colour, 15000), 0);
    for (const Spot& s : spots)
      EXPECT_TRUE(e2e::Near(e2e::ScreenPixel(s.x, s.y), s.colour))
          << "at " << s.x << "," << s.y << ": " << std::hex << e2e::ScreenPixel(s.x, s.y);
    e2e::PressKey('A');
    EXPECT_TRUE(saver.WaitForExit(3000));
  }
};

}  // namespace

// Stored 400 x 300 with orientation 6, the photo stands 300 x 400: centred on the 1024 x 768
// screen at (362, 184), its quadrants in their places and black on each side of it.
TEST_F(PictureFilesShow, APortraitPhotoStoredOnItsSideIsDrawnUprightAndCentred) {
  ShowAndCheck(L"portrait_6.jpg", {{437, 284, kRed},
                                   {587, 284, kGreen},
                                   {437, 484, kBlue},
                                   {587, 484, kWhite},
                                   {364, 186, kRed},
                                   {659, 581, kWhite},
                                   {361, 384, kBlack},
                                   {662, 384, kBlack},
                                   {512, 183, kBlack},
                                   {512, 584, kBlack}});
}

// The 100 x 80 screen is centred at (462, 344) and the 40 x 30 frame sits 25 right and 15
// down on it; the rest of the screen shows the cleared window.
TEST_F(PictureFilesShow, AGifFrameIsDrawnAtItsPlaceOnItsScreen) {
  ShowAndCheck(L"offset.gif", {{497, 366, kRed},
                               {517, 366, kGreen},
                               {500, 380, kBlue},
                               {517, 380, kWhite},
                               {486, 366, kBlack},
                               {497, 358, kBlack},
                               {527, 380, kBlack},
                               {464, 346, kBlack}});
}

// Stored as rgb(200, 40, 60) with a profile that swaps red and green, the 64 x 48 picture
// shows green, centred at (480, 360); black beside it.
TEST_F(PictureFilesShow, APictureWithAColourProfileShowsTheColoursItMeans) {
  ShowAndCheck(L"swapped.jpg", {{512, 384, RGB(40, 200, 60)}, {482, 362, RGB(40, 200, 60)}, {478, 384, kBlack}});
}
