#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "drawing/bilinear.h"
#include "tests/unit/bilinear_reference.h"

using drawing::BilinerKernel;
using drawing::BilinerPicture;
using drawing::SourcePicture;
using platform::Point;
using platform::Size;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct CountingPump : platform::MessagePump {
  void PumpPending() override { ++count; }
  int count = 0;
};

// A picture with `padding` unused pixels at the end of each row.
struct TestPicture {
  TestPicture(int32_t w, int32_t h, int32_t padding = 0)
      : width(w), height(h), stride(size_t(w + padding) * 4), bytes(stride * h) {}
  void Set(int32_t x, int32_t y, uint32_t bgrx) { std::memcpy(&bytes[y * stride + x * 4], &bgrx, 4); }
  SourcePicture Source() const { return {true, width, height, bytes.data(), stride}; }
  int32_t width;
  int32_t height;
  size_t stride;
  std::vector<uint8_t> bytes;
};

uint32_t Bgrx(uint32_t blue, uint32_t green, uint32_t red, uint32_t unused = 0) {
  return blue | green << 8 | red << 16 | unused << 24;
}

uint32_t OutputPixel(const BilinerPicture& picture, int32_t x, int32_t y) {
  uint32_t value;
  std::memcpy(&value, &picture.pixels[(size_t(y) * picture.size.width + x) * 4], 4);
  return value;
}

std::vector<BilinerKernel> KernelsHere() {
  std::vector<BilinerKernel> kernels{BilinerKernel::Sse2};
  if (drawing::Avx2Available()) kernels.push_back(BilinerKernel::Avx2);
  return kernels;
}

TEST(PicturesBilinearDecimals, RoundTheExactBinaryValueHalvesToEven) {
  struct Case {
    double value;
    int64_t want;
  };
  const Case cases[] = {
      {799.0 / 20000, 399},    // 0.039949999...: just below the half
      {1080.0 / 768, 14062},   // 1.40625 exactly: a true tie, down to even
      {1875.0 / 20000, 938},   // 0.09375 exactly: a true tie, up to even
      {7.99, 79900},
      {0.36, 3600},
      {0.00005, 1},            // the double lies just above 0.00005
      {std::nextafter(0.00005, 0.0), 0},
      {0.0, 0},
      {-1.40625, -14062},
      {922337203685477.0, 9223372036854770000},
  };
  for (const Case& c : cases) EXPECT_EQ(drawing::ToTenThousandths(c.value), c.want) << c.value;
}

TEST(PicturesBilinearDecimals, ValuesBeyondTheFixedPointRangeFail) {
  for (double value : {1e15, -1e15, 1e300, std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN()})
    EXPECT_EQ(drawing::ToTenThousandths(value), std::nullopt) << value;
}

TEST(PicturesBilinearFit, KeepsTheAspectInBothDirections) {
  struct Case {
    Size picture, area, want;
    int64_t scale;
  };
  const Case cases[] = {
      {{100, 50}, {799, 599}, {799, 400}, 79900},      // R(399.5) = 400
      {{1024, 768}, {2048, 1536}, {2048, 1536}, 20000}, // exactly proportional
      {{800, 600}, {800, 600}, {800, 600}, 10000},
      {{4000, 3000}, {1920, 1080}, {1440, 1080}, 3600},
      {{1024, 768}, {1920, 1080}, {1440, 1080}, 14062},
      {{3000, 1}, {1023, 767}, {1023, 0}, 3410},
      {{1, 3000}, {1023, 767}, {0, 767}, 2557},
      {{1, 50}, {799, 599}, {12, 599}, 119800},
      {{20000, 300}, {799, 599}, {799, 12}, 399},
      {{100, 100}, {1000, 200}, {200, 200}, 20000},    // area wider than the picture
      {{100, 100}, {200, 1000}, {200, 200}, 20000},    // area taller than the picture
      {{2, 2}, {0, 0}, {0, 0}, 0},
      // 559 * 20000 / 20217 = 552.99995...: taken to four places it is 553, not below it,
      // so the scale comes from the height (0.0276) and not from the width (0.02765).
      {{20000, 20217}, {553, 559}, {553, 559}, 276},
  };
  for (const Case& c : cases) {
    const auto fit = drawing::FitBilinerPicture(c.picture, c.area);
    ASSERT_TRUE(fit) << c.picture.width << "x" << c.picture.height;
    EXPECT_EQ(fit->size, c.want) << c.picture.width << "x" << c.picture.height;
    EXPECT_EQ(fit->scaleTenThousandths, c.scale) << c.picture.width << "x" << c.picture.height;
  }
}

TEST(PicturesBilinearFit, FailingArithmeticEndsTheFit) {
  const std::pair<Size, Size> cases[] = {
      {{0, 5}, {800, 600}},      {{5, 0}, {800, 600}},   {{-3, 5}, {800, 600}},
      {{5, 5}, {-1, 600}},       {{1, 2}, {kMax, kMax}},  // the height would pass 32 bits
      {{kMax, 1}, {10, kMax}},   // the width at full height is past the fixed-point range
  };
  for (const auto& [picture, area] : cases)
    EXPECT_EQ(drawing::FitBilinerPicture(picture, area), std::nullopt)
        << picture.width << "x" << picture.height << " in " << area.width << "x" << area.height;
}

TEST(PicturesBilinearPosition, CentresWithHalvesToEven) {
  struct Case {
    Size area, fitted;
    Point want;
  };
  const Case cases[] = {
      {{799, 599}, {799, 400}, {0, 100}},   // 99.5 goes up to 100
      {{800, 600}, {599, 1}, {100, 300}},   // 100.5 goes down to 100; 299.5 up to 300
      {{1023, 767}, {1023, 500}, {0, 134}},
      {{1920, 1080}, {1440, 1080}, {240, 0}},
      {{1023, 767}, {1023, 0}, {0, 384}},
      {{0, 0}, {0, 0}, {0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(drawing::CentredPaintPosition(c.area, c.fitted), c.want)
        << c.fitted.width << "x" << c.fitted.height;
}

TEST(PicturesBilinearGetBiliner, WeighsRowsFirstAndRoundsHalvesToEven) {
  struct Case {
    int32_t p00, p10, p01, p11;
    double fx, fy;
    int32_t want;
  };
  const Case cases[] = {
      {10, 20, 30, 40, 0.25, 0.75, 28},  // 27.5
      {0, 1, 0, 1, 0.5, 0, 0},           // 0.5
      {1, 2, 1, 2, 0.5, 0, 2},           // 1.5
      {0, 0, 101, 0, 0, 0.5, 50},        // 50.5
      {0, 0, 103, 0, 0, 0.5, 52},        // 51.5
      {200, 100, 0, 50, 0, 0, 200},
      {0, 0, 0, 255, 0.9999, 0.9999, 255},
      {255, 255, 255, 255, 0.3, 0.7, 255},
      {7, 80, 190, 33, 0.1, 0.6, 110},   // 0.4 * 14.3 + 0.6 * 174.3 = 110.3
  };
  for (const Case& c : cases) {
    int32_t result = c.p00;
    EXPECT_EQ(drawing::GetBiliner(c.p00, c.p10, c.p01, c.p11, c.fx, c.fy, result), 0);
    EXPECT_EQ(result, c.want) << c.p00 << " " << c.p10 << " " << c.p01 << " " << c.p11;
  }
}

// The reference's fit, centred place and channel arithmetic are its own, so it checks the
// program's as well as the scaler; here all three meet the program's over many cases.
TEST(PicturesBilinearReference, OwnFitPlaceAndGetBilinerAgreeWithTheProgram) {
  std::mt19937 random(7);
  auto below = [&](uint32_t n) { return int32_t(random() % n); };
  for (int n = 0; n < 100000; ++n) {
    const uint32_t pictureRange = n % 3 == 0 ? 40 : n % 3 == 1 ? 4000 : 30000;
    const Size picture{1 + below(pictureRange), 1 + below(pictureRange)};
    const Size area{below(n % 2 ? 2000 : 50), below(n % 2 ? 2000 : 50)};
    const auto fit = drawing::FitBilinerPicture(picture, area);
    const auto want = bilinear_reference::FitToArea(picture.width, picture.height, area.width, area.height);
    ASSERT_EQ(fit.has_value(), want.has_value()) << picture.width << "x" << picture.height;
    if (!fit) continue;
    ASSERT_EQ(fit->size, want->size) << picture.width << "x" << picture.height << " in " << area.width << "x"
                                     << area.height;
    ASSERT_EQ(fit->scaleTenThousandths, want->scaleTenThousandths)
        << picture.width << "x" << picture.height << " in " << area.width << "x" << area.height;
    ASSERT_EQ(drawing::CentredPaintPosition(area, fit->size), bilinear_reference::CentredPosition(area, fit->size));
  }
  for (int n = 0; n < 100000; ++n) {
    const int32_t p[4] = {below(256), below(256), below(256), below(256)};
    // Fractions as the sampling makes them, with exact halves and quarters among them.
    const double fx = n % 4 == 0 ? below(4) / 4.0 : std::fmod(below(100000) * (1 / (1 + below(40000) / 10000.0)), 1);
    const double fy = n % 5 == 0 ? below(2) / 2.0 : std::fmod(below(100000) * (1 / (1 + below(40000) / 10000.0)), 1);
    int32_t got = p[0], want = p[0];
    ASSERT_EQ(drawing::GetBiliner(p[0], p[1], p[2], p[3], fx, fy, got), 0);
    ASSERT_EQ(bilinear_reference::GetBiliner(p[0], p[1], p[2], p[3], fx, fy, want), 0);
    ASSERT_EQ(got, want) << p[0] << " " << p[1] << " " << p[2] << " " << p[3] << " " << fx << " " << fy;
  }
}

TEST(PicturesBilinearReference, FourDecimalsAndNearestFromTheirDigits) {
  EXPECT_EQ(bilinear_reference::FourDecimals(1080.0 / 768), 14062);   // 1.40625: a tie, down to even
  EXPECT_EQ(bilinear_reference::FourDecimals(1875.0 / 20000), 938);   // 0.09375: a tie, up to even
  EXPECT_EQ(bilinear_reference::FourDecimals(799.0 / 20000), 399);    // 0.0399499999...
  EXPECT_EQ(bilinear_reference::FourDecimals(0.00005), 1);            // the double lies just above
  EXPECT_EQ(bilinear_reference::FourDecimals(-1.40625), -14062);
  EXPECT_EQ(bilinear_reference::Nearest(399.5), 400);
  EXPECT_EQ(bilinear_reference::Nearest(-2.5), -2);
  EXPECT_EQ(bilinear_reference::Nearest(767.25), 767);
  EXPECT_EQ(bilinear_reference::CentredPosition({799, 599}, {799, 400}), (Point{0, 100}));
  EXPECT_EQ(bilinear_reference::CentredPosition({800, 600}, {599, 1}), (Point{100, 300}));
  EXPECT_EQ(bilinear_reference::CentredPosition({10, 10}, {13, 15}), (Point{-2, -2}));  // -1.5, -2.5
}

// A 3 x 3 picture doubled: blue varies along the columns, green down the rows.
TEST(PicturesBilinearDraw, MirroredGridAndInteriorTestWorkedByHand) {
  TestPicture picture(3, 3);
  const uint32_t blue[] = {0, 100, 201};
  const uint32_t green[] = {10, 60, 255};
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 3; ++x) picture.Set(x, y, Bgrx(blue[x], green[y], 7, 0xAB));
  // Columns from the left: samples past the second-to-last grid column copy p00, so
  // 100 twice where interpolation would give 100 and 50; 150.5 goes to 150.
  const uint32_t wantBlue[] = {0, 0, 100, 100, 150, 201};
  const uint32_t wantGreen[] = {10, 35, 60, 60, 255, 255};
  for (BilinerKernel kernel : KernelsHere()) {
    CountingPump pump;
    const auto drawn = drawing::DrawBilinerPicture(picture.Source(), {6, 6}, pump, kernel);
    ASSERT_TRUE(drawn);
    ASSERT_EQ(drawn->size, (Size{6, 6}));
    EXPECT_EQ(pump.count, 6);
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(OutputPixel(*drawn, x, 0), Bgrx(wantBlue[x], 10, 7)) << "column " << x;
    for (int32_t y = 0; y < 6; ++y)
      EXPECT_EQ(OutputPixel(*drawn, 5, y), Bgrx(201, wantGreen[y], 7)) << "row " << y;
  }
}

// 799 / 20000 to four places is 0.0399, so the last column samples grid column 20001 of a
// 0..20000 grid; it takes the grid's last column, the picture's left edge.
TEST(PicturesBilinearDraw, SamplesPastTheGridTakeItsEdge) {
  TestPicture picture(20000, 300);
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 20000; ++x)
      picture.Set(x, y, x == 0 ? Bgrx(10, 20, 30, 0x99) : Bgrx(x & 0xFF, 200, 100, 0x99));
  ASSERT_GE(std::trunc(798 * (1 / (399 / 10000.0)) + 1), 20001.0);
  CountingPump pump;
  const auto want = bilinear_reference::DrawBilinerPicture(picture.Source(), {799, 599}, pump);
  ASSERT_TRUE(want);
  for (BilinerKernel kernel : KernelsHere()) {
    const auto drawn = drawing::DrawBilinerPicture(picture.Source(), {799, 599}, pump, kernel);
    ASSERT_TRUE(drawn);
    ASSERT_EQ(drawn->size, (Size{799, 12}));
    for (int32_t y = 0; y < 12; ++y) EXPECT_EQ(OutputPixel(*drawn, 0, y), Bgrx(10, 20, 30));
    EXPECT_EQ(drawn->pixels, want->pixels);
  }
}

TEST(PicturesBilinearDraw, UnreadablePixelsGiveABlackPictureOfTheFittedSize) {
  const SourcePicture unreadable{true, 100, 50, nullptr, 0};
  CountingPump pump;
  const auto drawn = drawing::DrawBilinerPicture(unreadable, {799, 599}, pump);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->size, (Size{799, 400}));
  EXPECT_EQ(drawn->position, (Point{0, 100}));
  EXPECT_EQ(drawn->pixels, drawing::PixelBytes(799 * 400 * 4, 0));
  EXPECT_EQ(pump.count, 400);
  CountingPump referencePump;
  EXPECT_EQ(drawn->pixels,
            bilinear_reference::DrawBilinerPicture(unreadable, {799, 599}, referencePump)->pixels);
}

TEST(PicturesBilinearDraw, AFittedSideOfZeroPaintsNothingButStillClears) {
  TestPicture picture(3000, 1);
  CountingPump pump;
  const auto drawn = drawing::DrawBilinerPicture(picture.Source(), {1023, 767}, pump);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->size, (Size{1023, 0}));
  EXPECT_EQ(drawn->position, (Point{0, 384}));
  EXPECT_TRUE(drawn->pixels.empty());
  EXPECT_EQ(pump.count, 0);
}

TEST(PicturesBilinearDraw, EndsWithoutDrawingWhenThePictureCannotBeUsed) {
  TestPicture small(2, 2);
  struct Case {
    const char* name;
    SourcePicture source;
    Size area;
  };
  SourcePicture narrowStride = small.Source();
  narrowStride.stride = 4;
  const Case cases[] = {
      {"not loaded", {false, 0, 0, nullptr, 0}, {800, 600}},
      {"zero width", {true, 0, 5, small.bytes.data(), 8}, {800, 600}},
      {"negative area", small.Source(), {-5, 600}},
      {"rows shorter than the width", narrowStride, {800, 600}},
      // The scale 1/30000 rounds to 0, and sampling steps by 1/s.
      {"scale of zero", {true, 30000, 20000, nullptr, 0}, {1, 1}},
      // Fits to 2^31 - 1 squared: refused, not allocated.
      {"output too large", small.Source(), {kMax, kMax}},
  };
  for (const Case& c : cases) {
    CountingPump pump;
    EXPECT_EQ(drawing::DrawBilinerPicture(c.source, c.area, pump), std::nullopt) << c.name;
    EXPECT_EQ(pump.count, 0) << c.name;
  }
}

// Random pictures with random padding and unused bytes, against the plain form.
class PicturesBilinearKernels : public testing::TestWithParam<BilinerKernel> {
 protected:
  void SetUp() override {
    if (GetParam() == BilinerKernel::Avx2 && !drawing::Avx2Available())
      GTEST_SKIP() << "no AVX2 on this processor";
  }

  void ExpectSameAsReference(Size size, Size area) {
    TestPicture picture(size.width, size.height, int32_t(random_() % 3));
    for (uint8_t& byte : picture.bytes) byte = uint8_t(random_());
    CountingPump pump;
    CountingPump referencePump;
    const auto drawn = drawing::DrawBilinerPicture(picture.Source(), area, pump, GetParam());
    const auto want = bilinear_reference::DrawBilinerPicture(picture.Source(), area, referencePump);
    const auto label = testing::Message() << size.width << "x" << size.height << " in "
                                          << area.width << "x" << area.height;
    ASSERT_TRUE(want) << label;
    ASSERT_TRUE(drawn) << label;
    EXPECT_EQ(drawn->size, want->size) << label;
    EXPECT_EQ(drawn->position, want->position) << label;
    EXPECT_TRUE(drawn->pixels == want->pixels) << label;
    EXPECT_EQ(pump.count, want->size.height) << label;
  }

  std::mt19937 random_{20240607};
};

TEST_P(PicturesBilinearKernels, EdgeShapesMatchThePlainForm) {
  const std::pair<Size, Size> cases[] = {
      {{100, 50}, {799, 599}},   {{1024, 768}, {512, 384}}, {{1, 1}, {640, 480}},
      {{1, 7}, {30, 40}},        {{7, 1}, {40, 30}},        {{1, 300}, {799, 599}},
      {{300, 1}, {799, 599}},    {{2, 2}, {5, 5}},          {{3, 5}, {301, 17}},
      {{640, 480}, {33, 17}},    {{50, 50}, {400, 60}},     {{50, 50}, {60, 400}},
      {{257, 3}, {3, 257}},      {{999, 777}, {1, 1}},
  };
  for (const auto& [size, area] : cases) ExpectSameAsReference(size, area);
}

TEST_P(PicturesBilinearKernels, RandomPicturesMatchThePlainForm) {
  for (int n = 0; n < 120; ++n) {
    const Size size{int32_t(1 + random_() % 90), int32_t(1 + random_() % 90)};
    const Size area{int32_t(1 + random_() % 300), int32_t(1 + random_() % 300)};
    ExpectSameAsReference(size, area);
  }
}

INSTANTIATE_TEST_SUITE_P(EachKernel, PicturesBilinearKernels,
                         testing::Values(BilinerKernel::Sse2, BilinerKernel::Avx2),
                         [](const testing::TestParamInfo<BilinerKernel>& info) {
                           return info.param == BilinerKernel::Avx2 ? "Avx2" : "Sse2";
                         });

}  // namespace
