// What the loader makes of a decoded frame, from the file's head: the size shown, the turn,
// the GIF screen, and the second buffer the limits must count.
#include "pictures/picture_plan.h"

#include <gtest/gtest.h>

#include <optional>

using pictures::GifScreen;
using pictures::Orientation;
using pictures::PictureHead;

TEST(PicturePlan, SizeTurnScreenAndSecondBuffer) {
  struct Case {
    const char* name;
    uint32_t frameWidth, frameHeight;
    PictureHead head;
    uint32_t width, height;
    Orientation turn;
    bool onScreen;
    uint64_t scratch;
  };
  const auto gif = [](GifScreen s) { return PictureHead{Orientation::AsStored, s, {}}; };
  const Case cases[] = {
      {"plain", 4000, 3000, {}, 4000, 3000, Orientation::AsStored, false, 0},
      {"half turn in place", 4000, 3000, {Orientation::Turn180, {}, {}}, 4000, 3000, Orientation::Turn180, false, 0},
      {"mirror in place", 4000, 3000, {Orientation::MirrorTopBottom, {}, {}}, 4000, 3000, Orientation::MirrorTopBottom, false, 0},
      {"quarter turn swaps", 4000, 3000, {Orientation::TurnRight, {}, {}}, 3000, 4000, Orientation::TurnRight, false, 12000000},
      {"transpose swaps", 1, 500, {Orientation::Transpose, {}, {}}, 500, 1, Orientation::Transpose, false, 500},
      {"offset GIF frame", 40, 30, gif({100, 80, 25, 15, 40, 30}), 100, 80, Orientation::AsStored, true, 1200},
      {"GIF frame at the corner, smaller", 40, 30, gif({100, 80, 0, 0, 40, 30}), 100, 80, Orientation::AsStored, true, 1200},
      {"GIF frame larger than its screen", 40, 30, gif({20, 20, 0, 0, 40, 30}), 20, 20, Orientation::AsStored, true, 1200},
      {"forged GIF screen", 1, 1, gif({65535, 65535, 0, 0, 1, 1}), 65535, 65535, Orientation::AsStored, true, 1},
      {"GIF frame filling its screen", 100, 80, gif({100, 80, 0, 0, 100, 80}), 100, 80, Orientation::AsStored, false, 0},
      {"decoder gives the screen already", 100, 80, gif({100, 80, 25, 15, 40, 30}), 100, 80, Orientation::AsStored, false, 0},
      {"decoder disagrees with the head", 41, 30, gif({100, 80, 25, 15, 40, 30}), 41, 30, Orientation::AsStored, false, 0},
      {"GIF screen of no size", 40, 30, gif({0, 0, 5, 5, 40, 30}), 40, 30, Orientation::AsStored, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto plan = pictures::PlanPicture(c.frameWidth, c.frameHeight, c.head);
    EXPECT_EQ(plan.width, c.width);
    EXPECT_EQ(plan.height, c.height);
    EXPECT_EQ(plan.turn, c.turn);
    EXPECT_EQ(plan.onScreen, c.onScreen);
    EXPECT_EQ(plan.scratchPixels, c.scratch);
  }
}

TEST(PicturePlan, TheHeadOfAJpegGivesItsOrientationAndOfAGifItsScreen) {
  const uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                          0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xDA};
  const PictureHead fromJpeg = pictures::ReadPictureHead(jpeg, sizeof(jpeg));
  EXPECT_EQ(fromJpeg.orientation, Orientation::TurnLeft);
  EXPECT_FALSE(fromJpeg.gif);
  const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 100, 0, 80, 0, 0, 0, 0, 0x2C, 25, 0, 15, 0, 40, 0, 30, 0, 0};
  const PictureHead fromGif = pictures::ReadPictureHead(gif, sizeof(gif));
  EXPECT_EQ(fromGif.orientation, Orientation::AsStored);
  ASSERT_TRUE(fromGif.gif);
  EXPECT_EQ(fromGif.gif->frameLeft, 25u);
}
