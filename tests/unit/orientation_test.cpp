// Turning pixels upright: the eight Exif orientations against the documents' table of where
// the stored first row and column end up, and against turns built from plain quarter turns.
#include "pictures/orientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using pictures::Orientation;

namespace {

struct Grid {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t{y} * width + x]; }
  bool operator==(const Grid& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
};

Grid Numbered(uint32_t width, uint32_t height) {
  Grid grid{width, height, std::vector<uint32_t>(size_t{width} * height)};
  std::mt19937 random(width * 1000 + height);
  for (uint32_t& p : grid.pixels) p = static_cast<uint32_t>(random());
  return grid;
}

Grid QuarterTurnClockwise(const Grid& in) {
  Grid out{in.height, in.width, std::vector<uint32_t>(in.pixels.size())};
  for (uint32_t y = 0; y < out.height; ++y)
    for (uint32_t x = 0; x < out.width; ++x) out.pixels[size_t{y} * out.width + x] = in.At(y, in.height - 1 - x);
  return out;
}

Grid MirroredLeftRight(const Grid& in) {
  Grid out = in;
  for (uint32_t y = 0; y < in.height; ++y)
    for (uint32_t x = 0; x < in.width; ++x) out.pixels[size_t{y} * in.width + x] = in.At(in.width - 1 - x, y);
  return out;
}

// Each orientation as quarter turns clockwise followed by a mirror or not.
Grid Reference(const Grid& stored, Orientation orientation) {
  struct Steps {
    int turns;
    bool mirror;
  };
  const Steps steps[] = {{0, false}, {0, true}, {2, false}, {2, true}, {1, true}, {1, false}, {3, true}, {3, false}};
  const Steps s = steps[static_cast<int>(orientation) - 1];
  Grid out = stored;
  for (int i = 0; i < s.turns; ++i) out = QuarterTurnClockwise(out);
  return s.mirror ? MirroredLeftRight(out) : out;
}

Grid Turned(const Grid& stored, Orientation orientation) {
  pictures::LoadedPicture picture;
  picture.width = static_cast<int32_t>(stored.width);
  picture.height = static_cast<int32_t>(stored.height);
  picture.pixels.assign(stored.pixels.begin(), stored.pixels.end());
  EXPECT_TRUE(pictures::TurnUpright(picture, orientation));
  Grid out{static_cast<uint32_t>(picture.width), static_cast<uint32_t>(picture.height), {}};
  out.pixels.assign(picture.pixels.begin(), picture.pixels.end());
  return out;
}

const uint32_t kSizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {2, 3}, {31, 33}, {32, 32}, {33, 65}, {100, 37}, {64, 97}};

}  // namespace

// The TIFF table: for each value, the visual side where the stored 0th row lies and the
// side where the stored 0th column lies. So the stored first pixel and the last pixel of
// the stored first row land on these corners of the upright picture.
TEST(Orientation, TheStoredFirstRowEndsWhereTheDocumentsSay) {
  struct Case {
    Orientation orientation;
    const char* rowAndColumn;
    int firstX, firstY;         // where stored (0, 0) lands; 1 means the far side
    int rowEndX, rowEndY;       // where stored (width - 1, 0) lands
  };
  const Case cases[] = {
      {Orientation::AsStored, "top, left", 0, 0, 1, 0},
      {Orientation::MirrorLeftRight, "top, right", 1, 0, 0, 0},
      {Orientation::Turn180, "bottom, right", 1, 1, 0, 1},
      {Orientation::MirrorTopBottom, "bottom, left", 0, 1, 1, 1},
      {Orientation::Transpose, "left, top", 0, 0, 0, 1},
      {Orientation::TurnRight, "right, top", 1, 0, 1, 1},
      {Orientation::Transverse, "right, bottom", 1, 1, 1, 0},
      {Orientation::TurnLeft, "left, bottom", 0, 1, 0, 0},
  };
  const Grid stored = Numbered(5, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.orientation) << ": 0th row " << c.rowAndColumn);
    const Grid upright = Turned(stored, c.orientation);
    const bool swapped = pictures::SwapsSides(c.orientation);
    EXPECT_EQ(upright.width, swapped ? 3u : 5u);
    EXPECT_EQ(upright.height, swapped ? 5u : 3u);
    EXPECT_EQ(upright.At(c.firstX * (upright.width - 1), c.firstY * (upright.height - 1)), stored.At(0, 0));
    EXPECT_EQ(upright.At(c.rowEndX * (upright.width - 1), c.rowEndY * (upright.height - 1)), stored.At(4, 0));
  }
}

// Every size around the tile's 32 pixels and the thin ones, each orientation, in place and
// through the second buffer, and TurnInto for all eight.
TEST(Orientation, EveryTurnEqualsTheQuarterTurnsAndMirrors) {
  for (const auto& size : kSizes)
    for (int value = 1; value <= 8; ++value) {
      const auto orientation = static_cast<Orientation>(value);
      SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1] << " orientation " << value);
      const Grid stored = Numbered(size[0], size[1]);
      const Grid want = Reference(stored, orientation);
      EXPECT_TRUE(Turned(stored, orientation) == want);
      Grid into{want.width, want.height, std::vector<uint32_t>(stored.pixels.size(), 0xDEADBEEF)};
      pictures::TurnInto(stored.pixels.data(), stored.width, stored.height, orientation, into.pixels.data());
      EXPECT_TRUE(into == want);
    }
}

// Only the turns that swap sides take a second buffer, of the picture's size.
TEST(Orientation, TheSecondBufferIsCountedForTheTurnsThatSwapSides) {
  for (int value = 1; value <= 8; ++value) {
    SCOPED_TRACE(value);
    const auto orientation = static_cast<Orientation>(value);
    EXPECT_EQ(pictures::TurnBufferPixels(4000, 3000, orientation), value >= 5 ? 12000000u : 0u);
    const Grid stored = Numbered(40, 30);
    pictures::LoadedPicture picture;
    picture.width = 40;
    picture.height = 30;
    picture.pixels.assign(stored.pixels.begin(), stored.pixels.end());
    const size_t before = pictures::PixelStore::BlocksMade();
    ASSERT_TRUE(pictures::TurnUpright(picture, orientation));
    EXPECT_EQ(pictures::PixelStore::BlocksMade() - before, value >= 5 ? 1u : 0u);
  }
}
