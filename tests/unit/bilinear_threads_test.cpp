// The scaler with its rows shared between the show's thread and a worker: the same bytes as
// the plain form, whichever thread is the faster.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "drawing/bilinear.h"
#include "tests/unit/bilinear_reference.h"
#include "tests/unit/std_thread_worker.h"

using drawing::BilinerKernel;
using platform::Size;

namespace {

// How the two threads are paced against each other.
enum class Pace { Even, SlowShowThread, SlowWorker };

struct Pump : platform::MessagePump {
  void PumpPending() override {
    ++count;
    if (sleepEachPump) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  int count = 0;
  bool sleepEachPump = false;
};

// A worker whose jobs start late, so that the show's thread takes most rows.
struct LateWorker : test_support::StdThreadWorker {
  void Begin(std::function<void()> job) override {
    StdThreadWorker::Begin([job] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      job();
    });
  }
};

class PicturesBilinearTwoThreads : public testing::TestWithParam<std::tuple<BilinerKernel, Pace>> {
 protected:
  void SetUp() override {
    if (Kernel() == BilinerKernel::Avx2 && !drawing::Avx2Available()) GTEST_SKIP() << "no AVX2 on this processor";
  }
  BilinerKernel Kernel() const { return std::get<0>(GetParam()); }
  Pace ThePace() const { return std::get<1>(GetParam()); }

  void ExpectSameAsReference(Size size, Size area) {
    const size_t stride = size_t(size.width + random_() % 3) * 4;
    std::vector<uint8_t> bytes(stride * size.height);
    for (uint8_t& byte : bytes) byte = uint8_t(random_());
    const drawing::SourcePicture source{true, size.width, size.height, bytes.data(), stride};
    const auto label = testing::Message() << size.width << "x" << size.height << " in " << area.width << "x"
                                          << area.height;
    Pump referencePump;
    const auto want = bilinear_reference::DrawBilinerPicture(source, area, referencePump);
    ASSERT_TRUE(want) << label;

    Pump pump;
    pump.sleepEachPump = ThePace() == Pace::SlowShowThread;
    test_support::StdThreadWorker evenWorker;
    LateWorker lateWorker;
    platform::Worker& worker = ThePace() == Pace::SlowWorker ? static_cast<platform::Worker&>(lateWorker) : evenWorker;
    const auto drawn = drawing::DrawBilinerPicture(source, area, pump, Kernel(), &worker);
    ASSERT_TRUE(drawn) << label;
    EXPECT_EQ(drawn->size, want->size) << label;
    EXPECT_EQ(drawn->position, want->position) << label;
    EXPECT_TRUE(drawn->pixels == want->pixels) << label;
    // This thread pumps once for each row it scales, and never more often than there are rows.
    EXPECT_LE(pump.count, want->size.height) << label;
  }

  std::mt19937 random_{1313};
};

TEST_P(PicturesBilinearTwoThreads, EdgeShapesMatchThePlainForm) {
  const std::pair<Size, Size> cases[] = {
      {{100, 50}, {799, 599}}, {{1024, 768}, {512, 384}}, {{1, 1}, {640, 480}}, {{1, 7}, {30, 40}},
      {{7, 1}, {40, 30}},      {{300, 1}, {799, 599}},    {{2, 2}, {5, 5}},     {{640, 480}, {33, 17}},
      {{50, 50}, {400, 60}},   {{50, 50}, {60, 400}},     {{257, 3}, {3, 257}}, {{999, 777}, {1, 1}},
      {{400, 300}, {1024, 768}}, {{1500, 1000}, {640, 480}},
  };
  for (const auto& [size, area] : cases) ExpectSameAsReference(size, area);
}

TEST_P(PicturesBilinearTwoThreads, RandomPicturesMatchThePlainForm) {
  for (int n = 0; n < 40; ++n) {
    const Size size{int32_t(1 + random_() % 90), int32_t(1 + random_() % 90)};
    const Size area{int32_t(1 + random_() % 300), int32_t(1 + random_() % 300)};
    ExpectSameAsReference(size, area);
  }
}

std::string CaseName(const testing::TestParamInfo<std::tuple<BilinerKernel, Pace>>& info) {
  static const char* const paces[] = {"Even", "SlowShowThread", "SlowWorker"};
  return std::string(std::get<0>(info.param) == BilinerKernel::Avx2 ? "Avx2" : "Sse2") +
         paces[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EachKernelAndPace, PicturesBilinearTwoThreads,
                         testing::Combine(testing::Values(BilinerKernel::Sse2, BilinerKernel::Avx2),
                                          testing::Values(Pace::Even, Pace::SlowShowThread, Pace::SlowWorker)),
                         CaseName);

// Messages that arrive while this thread waits for the worker are handled.
TEST(PicturesBilinearTwoThreadsWait, MessagesAreHandledWhileTheWorkerFinishes) {
  const Size size{200, 150};
  std::vector<uint8_t> bytes(size_t(size.width) * size.height * 4, 77);
  const drawing::SourcePicture source{true, size.width, size.height, bytes.data(), size_t(size.width) * 4};
  const int32_t rows = 768;  // 200 x 150 fitted into 1024 x 768
  struct CountingPump : platform::MessagePump {
    void PumpPending() override { ++count; }
    std::atomic<int> count{0};
  } pump;
  // The worker's job starts once this thread has scaled every row and pumped a few times
  // more while it waits; the job then finds no row left.
  struct WaitingWorker : test_support::StdThreadWorker {
    explicit WaitingWorker(const std::atomic<int>& pumps)
        : StdThreadWorker(std::chrono::milliseconds(1)), pumps_(pumps) {}
    void Begin(std::function<void()> job) override {
      StdThreadWorker::Begin([job, this] {
        const auto start = std::chrono::steady_clock::now();
        while (pumps_ < rows + 3) {
          if (std::chrono::steady_clock::now() - start > test_support::kJobTimeLimit)
            test_support::GiveUpWaiting("the show's thread did not pump while it waited");
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        job();
      });
    }
    const std::atomic<int>& pumps_;
  } worker(pump.count);
  const auto drawn = drawing::DrawBilinerPicture(source, {1024, 768}, pump, BilinerKernel::Sse2, &worker);
  ASSERT_TRUE(drawn);
  ASSERT_EQ(drawn->size.height, rows);
  EXPECT_EQ(worker.Begun(), 1);
  EXPECT_GE(pump.count, rows + 3);
  drawing::PixelBytes want(drawn->pixels.size());
  for (size_t i = 0; i < want.size(); i += 4) {
    want[i] = want[i + 1] = want[i + 2] = 77;
    want[i + 3] = 0;
  }
  EXPECT_TRUE(drawn->pixels == want);
}

// The show's thread handles messages once after each row it scales, and not while it
// waits for a worker that is done. A worker held back until this thread has scaled k rows
// then takes every row left, so this thread pumps exactly k times; without a worker it
// pumps once for every row.
TEST(PicturesBilinearTwoThreadsPumps, OnePumpForEachRowTheShowsThreadScaled) {
  const Size size{120, 90};
  std::vector<uint8_t> bytes(size_t(size.width) * size.height * 4);
  std::mt19937 random(77);
  for (uint8_t& byte : bytes) byte = uint8_t(random());
  const drawing::SourcePicture source{true, size.width, size.height, bytes.data(), size_t(size.width) * 4};
  const Size area{400, 300};
  const int32_t rows = 300;

  // Runs the job once released, and says when it has ended.
  struct HeldWorker : test_support::StdThreadWorker {
    void Begin(std::function<void()> job) override {
      StdThreadWorker::Begin([job, this] {
        Await(released);
        job();
        ended = true;
      });
    }
    static void Await(const std::atomic<bool>& flag) {
      const auto start = std::chrono::steady_clock::now();
      while (!flag) {
        if (std::chrono::steady_clock::now() - start > test_support::kJobTimeLimit)
          test_support::GiveUpWaiting("the other thread did not go on");
        std::this_thread::yield();
      }
    }
    std::atomic<bool> released{false};
    std::atomic<bool> ended{false};
  };
  // At its k-th pass, lets the worker take every row left and waits until it has.
  struct HandOverPump : platform::MessagePump {
    HandOverPump(HeldWorker& worker, int handOverAt) : worker(worker), handOverAt(handOverAt) {}
    void PumpPending() override {
      if (++count != handOverAt) return;
      worker.released = true;
      HeldWorker::Await(worker.ended);
    }
    HeldWorker& worker;
    int handOverAt;
    int count = 0;
  };

  Pump plainPump;
  const auto want = drawing::DrawBilinerPicture(source, area, plainPump, BilinerKernel::Sse2);
  ASSERT_TRUE(want);
  ASSERT_EQ(want->size.height, rows);
  EXPECT_EQ(plainPump.count, rows);
  for (int k : {1, 2, 17, rows / 2, rows - 1, rows}) {
    SCOPED_TRACE(k);
    HeldWorker worker;
    HandOverPump pump(worker, k);
    const auto drawn = drawing::DrawBilinerPicture(source, area, pump, BilinerKernel::Sse2, &worker);
    ASSERT_TRUE(drawn);
    EXPECT_TRUE(worker.ended);
    EXPECT_EQ(pump.count, k);
    EXPECT_TRUE(drawn->pixels == want->pixels);
  }
}

}  // namespace
