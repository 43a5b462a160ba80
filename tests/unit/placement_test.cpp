#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "show/placement.h"

using platform::Point;
using platform::Size;
using show::FitOptions;
using show::Placement;

namespace {

// The largest generator value: the last float below 1.
const float kAlmostOne = std::nextafter(1.0f, 0.0f);

const FitOptions kShrinkCentred{true, false, true};
const FitOptions kEnlargeCentred{true, true, true};
const FitOptions kShrinkRandom{true, false, false};
const FitOptions kNaturalRandom{false, false, false};
const FitOptions kNaturalCentred{false, false, true};
const FitOptions kEnlargeOnly{false, true, true};

// Scripted values, and the calls made, in order.
struct FakeRandom : platform::Random {
  explicit FakeRandom(std::vector<float> script) : values(std::move(script)) {}
  float Next() override {
    calls += "N";
    if (next < values.size()) return values[next++];
    ADD_FAILURE() << "more values drawn than scripted";
    return 0.0f;
  }
  void SeedFromClock() override { calls += "S"; }
  std::vector<float> values;
  size_t next = 0;
  std::string calls;
};

}  // namespace

TEST(ShowPlacement, FitsAndPlacesTable) {
  struct Case {
    const char* name;
    Size picture;
    Size area;
    FitOptions options;
    Size size;
    Point at;  // centred cases only
  };
  const Size primary{1023, 767};  // Multi 1 on a 1024 x 768 screen
  const Case cases[] = {
      {"wide, shrunk to the width", {2046, 1000}, primary, kShrinkCentred, {1023, 500}, {0, 134}},
      {"tall, shrunk to the height", {1000, 1534}, primary, kShrinkCentred, {500, 767}, {262, 0}},
      {"as wide as the area stays", {1023, 600}, primary, kShrinkCentred, {1023, 600}, {0, 84}},
      {"as wide, too high: half to even", {1023, 1534}, primary, kShrinkCentred, {512, 767}, {256, 0}},
      {"exactly the area", {1023, 767}, primary, kShrinkCentred, {1023, 767}, {0, 0}},
      {"small, enlarged", {400, 300}, primary, kEnlargeCentred, {1023, 767}, {0, 0}},
      {"small, not enlarged", {400, 300}, primary, kShrinkCentred, {400, 300}, {312, 234}},
      {"large, not shrunk, overhangs", {2000, 1500}, primary, kNaturalCentred, {2000, 1500}, {-488, -366}},
      {"large, enlarge alone does nothing", {2000, 1500}, primary, kEnlargeOnly, {2000, 1500}, {-488, -366}},
      {"Multi 0, shrunk to the screen", {2048, 1536}, {1024, 768}, kShrinkCentred, {1024, 768}, {0, 0}},
      {"Multi 0, wide", {4000, 1000}, {1024, 768}, kShrinkCentred, {1024, 256}, {0, 256}},
      {"area wider than the picture, enlarged", {100, 150}, {1920, 200}, kEnlargeCentred, {133, 200}, {894, 0}},
      {"area taller than the picture, enlarged", {150, 100}, {200, 1920}, kEnlargeCentred, {200, 133}, {0, 894}},
      {"area wider, picture too high", {100, 400}, {1920, 200}, kShrinkCentred, {50, 200}, {935, 0}},
      {"area taller, picture too wide", {400, 100}, {200, 1920}, kShrinkCentred, {200, 50}, {0, 935}},
      {"enlarged height 7.5 goes to 8", {2, 3}, {5, 9}, kEnlargeCentred, {5, 8}, {0, 0}},
      {"enlarged height 12.5 goes to 12", {2, 5}, {5, 13}, kEnlargeCentred, {5, 12}, {0, 0}},
      {"1 x 2 enlarged: width 383.5 goes to 384", {1, 2}, primary, kEnlargeCentred, {384, 767}, {320, 0}},
      {"2 x 1 enlarged: height 511.5 goes to 512", {2, 1}, primary, kEnlargeCentred, {1023, 512}, {0, 128}},
      {"1 x N shrunk to no width", {1, 3000}, primary, kShrinkCentred, {0, 767}, {512, 0}},
      {"N x 1 shrunk to no height", {3000, 1}, primary, kShrinkCentred, {1023, 0}, {0, 384}},
      {"1 x N kept", {1, 3000}, primary, kNaturalCentred, {1, 3000}, {511, -1116}},
      {"N x 2 shrunk keeps one row", {3000, 2}, primary, kShrinkCentred, {1023, 1}, {0, 383}},
      {"no pixels at all", {0, 500}, primary, kEnlargeCentred, {0, 0}, {512, 384}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(show::FitPicture(c.picture, c.area, c.options), c.size);
    const Placement placed = show::PlacePicture(c.picture, c.area, c.options, 0.3f, 0.6f);
    EXPECT_EQ(placed.size, c.size);
    EXPECT_EQ(placed.position, c.at);
  }
}

TEST(ShowPlacement, ASideOfZeroIsEmptyAndOthersAreNot) {
  const Size primary{1023, 767};
  EXPECT_TRUE(show::PlacePicture({1, 3000}, primary, kShrinkCentred, 0, 0).IsEmpty());
  EXPECT_TRUE(show::PlacePicture({3000, 1}, primary, kShrinkCentred, 0, 0).IsEmpty());
  EXPECT_TRUE(show::PlacePicture({0, 0}, primary, kShrinkCentred, 0, 0).IsEmpty());
  EXPECT_FALSE(show::PlacePicture({3000, 2}, primary, kShrinkCentred, 0, 0).IsEmpty());
  EXPECT_FALSE(show::PlacePicture({1, 2}, primary, kShrinkCentred, 0, 0).IsEmpty());
}

TEST(ShowPlacement, RandomPlaceSpansOneToTheRoomLeft) {
  struct Case {
    const char* name;
    Size picture;
    Size area;
    FitOptions options;
    Point lowest;   // r1 = r2 = 0
    Point highest;  // r1 = r2 = the largest value below 1
  };
  const Case cases[] = {
      {"small picture", {400, 300}, {1023, 767}, kNaturalRandom, {1, 1}, {623, 467}},
      {"filling the area leaves column and row 0 free", {2048, 1536}, {1024, 768}, kShrinkRandom, {1, 1}, {1, 1}},
      {"not shrunk: overhang of random depth", {2000, 1500}, {1023, 767}, kNaturalRandom, {1, 1}, {-976, -732}},
      {"one spare column", {1022, 766}, {1023, 767}, kNaturalRandom, {1, 1}, {1, 1}},
      {"two spare columns", {1021, 765}, {1023, 767}, kNaturalRandom, {1, 1}, {2, 2}},
      {"huge area", {2, 2}, {2000000000, 2000000000}, kNaturalRandom, {1, 1}, {1999999879, 1999999879}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(show::PlacePicture(c.picture, c.area, c.options, 0.0f, 0.0f).position, c.lowest);
    EXPECT_EQ(show::PlacePicture(c.picture, c.area, c.options, kAlmostOne, kAlmostOne).position,
              c.highest);
  }
}

TEST(ShowPlacement, FirstValueMovesAcrossAndSecondDown) {
  const Placement placed = show::PlacePicture({400, 300}, {1023, 767}, kNaturalRandom, 0.0f, 0.5f);
  EXPECT_EQ(placed.position, (Point{1, 234}));
  const Placement swapped = show::PlacePicture({400, 300}, {1023, 767}, kNaturalRandom, 0.5f, 0.0f);
  EXPECT_EQ(swapped.position, (Point{312, 1}));
}

TEST(ShowPlacement, GeneratorIsDrawnTwiceUnseededCentredOrNot) {
  for (const FitOptions& options : {kNaturalRandom, kNaturalCentred}) {
    SCOPED_TRACE(options.centred);
    FakeRandom random({0.5f, 0.25f, 0.75f});
    const Placement placed = show::PlacePicture({400, 300}, {1023, 767}, options, random);
    EXPECT_EQ(random.calls, "NN");
    EXPECT_EQ(random.next, 2u);
    const Point wanted = options.centred ? Point{312, 234} : Point{312, 117};
    EXPECT_EQ(placed.position, wanted);
  }
}
