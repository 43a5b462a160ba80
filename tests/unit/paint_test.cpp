// Plain painting against its slow reference: sampling, clipping, opacity, and the rows
// shared with a worker.
#include "drawing/paint.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "drawing/opacity.h"
#include "tests/unit/inline_worker.h"
#include "tests/unit/paint_reference.h"
#include "tests/unit/std_thread_worker.h"

using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

struct CountingPump : platform::MessagePump {
  void PumpPending() override {
    ++count;
    if (sleepEachPump) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  int count = 0;
  bool sleepEachPump = false;
};

// What byte 3 of the test picture holds.
enum class Opacity { None, AllTransparent, AllOpaque, Random, Mixed };

const Opacity kEveryOpacity[] = {Opacity::None, Opacity::AllTransparent, Opacity::AllOpaque, Opacity::Random,
                                 Opacity::Mixed};

const char* Name(Opacity opacity) {
  static const char* const names[] = {"no opacity", "all transparent", "all opaque", "random", "mixed"};
  return names[static_cast<int>(opacity)];
}

// A picture and its padded rows as the painter reads them. Without opacity byte 3 is
// random all the same: it must not be read.
struct TestPicture {
  TestPicture(int32_t w, int32_t h, Opacity opacity, std::mt19937& random)
      : plain(w, h), stride(size_t(w + random() % 3) * 4), bytes(stride * h), hasAlpha(opacity != Opacity::None) {
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        uint32_t pixel = uint32_t(random());
        const uint32_t kinds[] = {0, 255, uint32_t(1 + random() % 254)};
        if (opacity == Opacity::AllTransparent) pixel &= 0x00FFFFFF;
        if (opacity == Opacity::AllOpaque) pixel |= 0xFF000000;
        if (opacity == Opacity::Mixed) pixel = (pixel & 0x00FFFFFF) | kinds[random() % 3] << 24;
        plain.At(x, y) = pixel;
        std::memcpy(&bytes[y * stride + x * 4], &pixel, 4);
      }
    }
  }
  drawing::PaintSource Source() const {
    return {bytes.data(), int32_t(plain.width), int32_t(plain.height), stride, hasAlpha};
  }
  paint_reference::Pixels plain;
  size_t stride;
  std::vector<uint8_t> bytes;
  bool hasAlpha;
};

// A buffer with earlier content in it, as with Refresh = 1, and its copy for the reference.
struct TestTarget {
  TestTarget(int32_t w, int32_t h, std::mt19937& random) : plain(w, h), stride(size_t(w) * 4), bytes(stride * h) {
    for (uint32_t& pixel : plain.values) pixel = uint32_t(random()) & 0x00FFFFFF;
    std::memcpy(bytes.data(), plain.values.data(), bytes.size());
  }
  drawing::PaintTarget Target() { return {bytes.data(), int32_t(plain.width), int32_t(plain.height), stride}; }
  bool SameAsReference() const { return std::memcmp(bytes.data(), plain.values.data(), bytes.size()) == 0; }
  paint_reference::Pixels plain;
  size_t stride;
  std::vector<uint8_t> bytes;
};

std::string Describe(Size picture, Point position, Size size, Size target, Opacity opacity) {
  return std::to_string(picture.width) + "x" + std::to_string(picture.height) + " drawn " + std::to_string(size.width) +
         "x" + std::to_string(size.height) + " at (" + std::to_string(position.x) + ", " + std::to_string(position.y) +
         ") into " + std::to_string(target.width) + "x" + std::to_string(target.height) + ", " + Name(opacity);
}

class PicturesPaint : public testing::Test {
 protected:
  // Paints one picture into `target` and its reference copy and compares every byte.
  void ExpectSameAsReference(Size picture, Point position, Size size, TestTarget& target, Opacity opacity,
                             platform::Worker* helper = nullptr, CountingPump* pump = nullptr) {
    const TestPicture source(picture.width, picture.height, opacity, random_);
    CountingPump ownPump;
    const Rect painted =
        drawing::PaintPicture(source.Source(), position, size, target.Target(), pump ? *pump : ownPump, helper);
    const Rect want = paint_reference::Paint(source.plain, source.hasAlpha, position, size, target.plain);
    const std::string label =
        Describe(picture, position, size, {int32_t(target.plain.width), int32_t(target.plain.height)}, opacity);
    EXPECT_EQ(painted, want) << label;
    EXPECT_TRUE(target.SameAsReference()) << label;
  }

  std::mt19937 random_{4711};
};

TEST_F(PicturesPaint, EachOutputPixelTakesTheSourcePixelUnderItsCentre) {
  struct Case {
    int32_t source, drawn;
    std::vector<int32_t> want;
  };
  const Case cases[] = {
      {3, 6, {0, 0, 1, 1, 2, 2}},  // doubled: each pixel twice
      {6, 3, {1, 3, 5}},           // halved: the second of each pair
      {5, 2, {1, 3}},              // centres at 1.25 and 3.75
      {2, 3, {0, 1, 1}},           // centres at 1/3, 1 and 5/3
      {1, 4, {0, 0, 0, 0}},
      {4, 1, {2}},
      {7, 7, {0, 1, 2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> got;
    for (int32_t u = 0; u < c.drawn; ++u) got.push_back(drawing::SampledIndex(u, c.source, c.drawn));
    EXPECT_EQ(got, c.want) << c.source << " into " << c.drawn;
  }
  // The largest sizes stay exact: no product overflows.
  const int32_t most = 2147483647;
  EXPECT_EQ(drawing::SampledIndex(most - 1, most, most), most - 1);
  EXPECT_EQ(drawing::SampledIndex(most - 1, 1, most), 0);
  EXPECT_EQ(drawing::SampledIndex(0, most, 1), most / 2);
}

// Every opacity, colour and colour below: the fast mix equals the plain formula.
TEST_F(PicturesPaint, BlendOverIsTheMixToTheNearestWholeNumberForEveryValue) {
  for (uint32_t a = 0; a < 256; ++a) {
    for (uint32_t c = 0; c < 256; ++c) {
      const uint32_t pixel = a << 24 | (c ^ 0x5A) << 16 | (255 - c) << 8 | c;
      for (uint32_t d = 0; d < 256; ++d) {
        const uint32_t under = (d * 7 & 0xFF) << 24 | d << 16 | (d ^ 0xA5) << 8 | (255 - d);
        const uint32_t got = drawing::BlendOver(pixel, under);
        if (got != paint_reference::Mix(pixel, under, a))
          FAIL() << std::hex << pixel << " over " << under << ": " << got;
      }
    }
  }
}

TEST_F(PicturesPaint, EdgeShapesAndPlacesMatchTheReference) {
  struct Case {
    Size picture;
    Point position;
    Size size;
  };
  const Size target{40, 30};
  const Case cases[] = {
      {{1, 30}, {3, 0}, {1, 30}},           // 1 x N at its own size
      {{1, 50}, {5, -7}, {3, 40}},          // 1 x N widened, over the top edge
      {{50, 1}, {-7, 5}, {40, 3}},          // N x 1 heightened, over the left edge
      {{3, 2}, {0, 0}, {40, 30}},           // enlarged to the whole buffer
      {{200, 150}, {11, 9}, {17, 11}},      // shrunk
      {{20, 20}, {-5, -9}, {20, 20}},       // over the top-left corner
      {{20, 20}, {35, 25}, {20, 20}},       // over the bottom-right corner
      {{64, 48}, {-100, -50}, {500, 400}},  // larger than the buffer on every side
      {{9, 9}, {40, 0}, {9, 9}},            // just right of the buffer: nothing
      {{9, 9}, {-20, 3}, {20, 9}},          // ends where the buffer starts: nothing
      {{9, 9}, {0, -9}, {9, 9}},            // just above the buffer: nothing
      {{9, 9}, {4, 4}, {0, 9}},             // a side of 0: nothing
      {{9, 9}, {4, 4}, {1, 1}},
      {{1, 1}, {0, 0}, {40, 30}},
      {{5000, 3}, {2, 2}, {33, 21}},  // a strong reduction
  };
  for (const Opacity opacity : kEveryOpacity) {
    for (const Case& c : cases) {
      TestTarget buffer(target.width, target.height, random_);
      ExpectSameAsReference(c.picture, c.position, c.size, buffer, opacity);
    }
  }
}

// Several pictures painted in a row over the same buffer, as with Refresh = 1.
TEST_F(PicturesPaint, RandomPicturesOverEarlierOnesMatchTheReference) {
  auto below = [this](uint32_t n) { return int32_t(random_() % n); };
  for (int n = 0; n < 150; ++n) {
    TestTarget buffer(1 + below(80), 1 + below(60), random_);
    for (int layer = 0; layer < 3; ++layer) {
      const Size picture{1 + below(60), 1 + below(60)};
      const Size size{below(150), below(150)};
      const Point position{below(200) - 100, below(160) - 80};
      ExpectSameAsReference(picture, position, size, buffer, kEveryOpacity[below(5)]);
    }
  }
}

TEST_F(PicturesPaint, UnusablePicturesAndBuffersPaintNothing) {
  const TestPicture picture(4, 4, Opacity::None, random_);
  struct Case {
    const char* name;
    drawing::PaintSource source;
    bool noBuffer;
  };
  drawing::PaintSource shortRows = picture.Source();
  shortRows.stride = 12;
  drawing::PaintSource noPixels = picture.Source();
  noPixels.pixels = nullptr;
  drawing::PaintSource noWidth = picture.Source();
  noWidth.width = 0;
  const Case cases[] = {
      {"rows shorter than the width", shortRows, false},
      {"no pixels", noPixels, false},
      {"a width of 0", noWidth, false},
      {"no buffer", picture.Source(), true},
  };
  for (const Case& c : cases) {
    TestTarget buffer(10, 10, random_);
    drawing::PaintTarget target = buffer.Target();
    if (c.noBuffer) target.pixels = nullptr;
    CountingPump pump;
    EXPECT_EQ(drawing::PaintPicture(c.source, {0, 0}, {10, 10}, target, pump), Rect{}) << c.name;
    EXPECT_TRUE(buffer.SameAsReference()) << c.name;
    EXPECT_EQ(pump.count, 0) << c.name;
  }
}

// The window's thread looks at its messages after each band of rows, and after the last.
TEST_F(PicturesPaint, MessagesAreHandledAfterEachBandOfRows) {
  struct Case {
    Size target;
    Size size;
  };
  const Case cases[] = {
      {{10, 2000}, {10, 2000}},  // narrow: many rows to a band
      {{20000, 3}, {20000, 3}},  // wide: a row to a band
      {{300, 700}, {300, 700}},
      {{300, 700}, {300, 1}},
  };
  for (const Case& c : cases) {
    TestTarget buffer(c.target.width, c.target.height, random_);
    const int32_t band = drawing::RowsBetweenPumps(c.size.width);
    const int want = (c.size.height + band - 1) / band;
    CountingPump alone;
    ExpectSameAsReference({7, 5}, {0, 0}, c.size, buffer, Opacity::Mixed, nullptr, &alone);
    EXPECT_EQ(alone.count, want) << c.size.width << "x" << c.size.height;
    // A worker without a thread would do every row at once, none of them between messages.
    test_support::InlineWorker threadless;
    CountingPump withThreadless;
    ExpectSameAsReference({7, 5}, {0, 0}, c.size, buffer, Opacity::Mixed, &threadless, &withThreadless);
    EXPECT_EQ(withThreadless.count, want) << c.size.width << "x" << c.size.height;
    EXPECT_EQ(threadless.begun, 0);
  }
  EXPECT_EQ(drawing::RowsBetweenPumps(1), drawing::kPixelsBetweenPumps);
  EXPECT_EQ(drawing::RowsBetweenPumps(1 << 30), 1);
}

// A worker whose jobs start late, so that the window's thread takes most rows.
struct LateWorker : test_support::StdThreadWorker {
  void Begin(std::function<void()> job) override {
    StdThreadWorker::Begin([job] {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      job();
    });
  }
};

TEST_F(PicturesPaint, RowsSharedWithAWorkerGiveTheSameBytes) {
  auto below = [this](uint32_t n) { return int32_t(random_() % n); };
  test_support::StdThreadWorker even;
  LateWorker late;
  for (int n = 0; n < 60; ++n) {
    TestTarget buffer(1 + below(300), 1 + below(300), random_);
    const Size picture{1 + below(400), 1 + below(400)};
    const Size size{below(400), below(400)};
    const Point position{below(200) - 100, below(200) - 100};
    CountingPump pump;
    pump.sleepEachPump = n % 3 == 1;  // the window's thread the slower of the two
    platform::Worker& worker = n % 3 == 2 ? static_cast<platform::Worker&>(late) : even;
    ExpectSameAsReference(picture, position, size, buffer, kEveryOpacity[n % 5], &worker, &pump);
    // Never more looks at the messages than the bands of all the rows.
    const int32_t rows = std::min(size.height, int32_t(buffer.plain.height));
    EXPECT_LE(pump.count, rows / drawing::RowsBetweenPumps(std::min<int32_t>(size.width, buffer.plain.width)) + 2);
  }
}

}  // namespace
