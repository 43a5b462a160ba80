// Smoothing a picture with opacity: each pixel is taken as it would show over the cleared
// window's black before the scaler reads it; and a worker without a thread is not given rows.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "drawing/bilinear.h"
#include "tests/unit/bilinear_reference.h"
#include "tests/unit/inline_worker.h"
#include "tests/unit/paint_reference.h"
#include "tests/unit/std_thread_worker.h"

using drawing::BilinerKernel;
using platform::Size;

namespace {

struct CountingPump : platform::MessagePump {
  void PumpPending() override { ++count; }
  int count = 0;
};

// A picture whose byte 3 is opacity, in runs of transparent, opaque and partly opaque pixels.
struct AlphaPicture {
  AlphaPicture(Size size, std::mt19937& random)
      : width(size.width), height(size.height), stride(size_t(size.width + random() % 3) * 4) {
    bytes.resize(stride * height);
    for (uint8_t& byte : bytes) byte = uint8_t(random());
    for (int32_t y = 0; y < height; ++y) {
      uint8_t opacity = 0;
      for (int32_t x = 0; x < width; ++x) {
        if (random() % 4 == 0) {
          const uint8_t kinds[] = {0, 255, uint8_t(random())};
          opacity = kinds[random() % 3];
        }
        bytes[y * stride + x * 4 + 3] = opacity;
      }
    }
  }
  drawing::SourcePicture Source() const { return {true, width, height, bytes.data(), stride, true}; }
  // The same picture over black, without opacity: what the reference smooths.
  std::vector<uint8_t> OverBlack() const {
    std::vector<uint8_t> over(bytes.size());
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, &bytes[y * stride + x * 4], 4);
        pixel = paint_reference::OverBlack(pixel);
        std::memcpy(&over[y * stride + x * 4], &pixel, 4);
      }
    }
    return over;
  }
  int32_t width;
  int32_t height;
  size_t stride;
  std::vector<uint8_t> bytes;
};

std::vector<BilinerKernel> KernelsHere() {
  std::vector<BilinerKernel> kernels{BilinerKernel::Sse2};
  if (drawing::Avx2Available()) kernels.push_back(BilinerKernel::Avx2);
  return kernels;
}

class PicturesBilinearAlpha : public testing::Test {
 protected:
  void ExpectSmoothedOverBlack(Size size, Size area, platform::Worker* helper) {
    const AlphaPicture picture(size, random_);
    const std::vector<uint8_t> over = picture.OverBlack();
    const drawing::SourcePicture overSource{true, picture.width, picture.height, over.data(), picture.stride};
    CountingPump referencePump;
    const auto want = bilinear_reference::DrawBilinerPicture(overSource, area, referencePump);
    const auto label = testing::Message() << size.width << "x" << size.height << " in " << area.width << "x"
                                          << area.height << (helper ? " with a worker" : "");
    ASSERT_TRUE(want) << label;
    for (BilinerKernel kernel : KernelsHere()) {
      CountingPump pump;
      const auto drawn = drawing::DrawBilinerPicture(picture.Source(), area, pump, kernel, helper);
      ASSERT_TRUE(drawn) << label;
      EXPECT_EQ(drawn->size, want->size) << label;
      EXPECT_TRUE(drawn->pixels == want->pixels) << label;
    }
  }

  std::mt19937 random_{99};
};

TEST_F(PicturesBilinearAlpha, EdgeShapesAreSmoothedOverBlack) {
  const std::pair<Size, Size> cases[] = {
      {{100, 50}, {799, 599}}, {{1, 7}, {30, 40}},   {{7, 1}, {40, 30}},         {{2, 2}, {5, 5}},
      {{640, 480}, {33, 17}},  {{257, 3}, {3, 257}}, {{1500, 1000}, {640, 480}}, {{3, 300}, {500, 20}},
  };
  test_support::StdThreadWorker worker;
  for (const auto& [size, area] : cases) {
    ExpectSmoothedOverBlack(size, area, nullptr);
    ExpectSmoothedOverBlack(size, area, &worker);
  }
}

TEST_F(PicturesBilinearAlpha, RandomPicturesAreSmoothedOverBlack) {
  test_support::StdThreadWorker worker;
  for (int n = 0; n < 60; ++n) {
    const Size size{int32_t(1 + random_() % 90), int32_t(1 + random_() % 90)};
    const Size area{int32_t(1 + random_() % 300), int32_t(1 + random_() % 300)};
    ExpectSmoothedOverBlack(size, area, n % 2 ? &worker : nullptr);
  }
}

// Fully opaque, a picture with opacity smooths as the same picture without it; fully
// transparent, it is black.
TEST_F(PicturesBilinearAlpha, OpaqueAndTransparentExtremes) {
  AlphaPicture picture({37, 23}, random_);
  for (size_t i = 3; i < picture.bytes.size(); i += 4) picture.bytes[i] = 255;
  drawing::SourcePicture withoutAlpha = picture.Source();
  withoutAlpha.hasAlpha = false;
  CountingPump pump;
  const auto opaque = drawing::DrawBilinerPicture(picture.Source(), {200, 100}, pump);
  const auto plain = drawing::DrawBilinerPicture(withoutAlpha, {200, 100}, pump);
  ASSERT_TRUE(opaque && plain);
  EXPECT_TRUE(opaque->pixels == plain->pixels);

  for (size_t i = 3; i < picture.bytes.size(); i += 4) picture.bytes[i] = 0;
  const auto transparent = drawing::DrawBilinerPicture(picture.Source(), {200, 100}, pump);
  ASSERT_TRUE(transparent);
  EXPECT_TRUE(transparent->pixels == drawing::PixelBytes(transparent->pixels.size(), 0));
}

// A worker whose thread could not be started runs its job inline: given rows to share, it
// would scale them all before this thread handled a single message.
TEST_F(PicturesBilinearAlpha, AWorkerWithoutAThreadLeavesEveryRowToThisThread) {
  const AlphaPicture picture({200, 150}, random_);
  for (const bool hasAlpha : {false, true}) {
    drawing::SourcePicture source = picture.Source();
    source.hasAlpha = hasAlpha;
    test_support::InlineWorker threadless;
    CountingPump pump;
    const auto drawn = drawing::DrawBilinerPicture(source, {1024, 768}, pump, BilinerKernel::Sse2, &threadless);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(pump.count, drawn->size.height);
    EXPECT_EQ(threadless.begun, 0);
    CountingPump alonePump;
    const auto alone = drawing::DrawBilinerPicture(source, {1024, 768}, alonePump, BilinerKernel::Sse2);
    ASSERT_TRUE(alone);
    EXPECT_TRUE(drawn->pixels == alone->pixels);
  }
}

}  // namespace
