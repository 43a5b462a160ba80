// Plain painting against a memcpy of the source picture, timed in the same run and reported
// as a ratio: a 4000 x 3000 picture shrunk into 1920 x 1080 (goal on two threads: at most
// 0.5), on one thread and with its rows shared with a second ("x2") as the saver paints;
// opaque, and with opacity (a quarter of the pixels transparent, a quarter partly opaque).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "drawing/paint.h"
#include "show/placement.h"
#include "tests/unit/std_thread_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::Size;

constexpr Size kPicture{4000, 3000};
constexpr Size kArea{1920, 1080};

struct NoPump : platform::MessagePump {
  void PumpPending() override {}
};

struct Prepared {
  std::vector<uint32_t> opaque;
  std::vector<uint32_t> withAlpha;
  std::vector<uint32_t> copy;
  std::vector<uint32_t> buffer;
  double memcpySeconds = 0;
};

Prepared& ThePictures() {
  static Prepared prepared = [] {
    Prepared p;
    const size_t count = size_t(kPicture.width) * kPicture.height;
    p.opaque.resize(count);
    p.withAlpha.resize(count);
    p.copy.resize(count);
    p.buffer.resize(size_t(kArea.width) * kArea.height);
    std::mt19937 random(7);
    const uint32_t opacities[] = {0, 0xFF, 0xFF, 0x80};
    for (size_t i = 0; i < count; ++i) {
      p.opaque[i] = uint32_t(random());
      p.withAlpha[i] = (p.opaque[i] & 0x00FFFFFF) | opacities[random() % 4] << 24;
    }
    int calls = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
      std::memcpy(p.copy.data(), p.opaque.data(), count * 4);
      benchmark::ClobberMemory();
      ++calls;
      elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < 0.5);
    p.memcpySeconds = elapsed / calls;
    return p;
  }();
  return prepared;
}

void Paint(benchmark::State& state, bool withAlpha, int threads) {
  Prepared& p = ThePictures();
  const std::vector<uint32_t>& pixels = withAlpha ? p.withAlpha : p.opaque;
  const drawing::PaintSource source{reinterpret_cast<const uint8_t*>(pixels.data()), kPicture.width, kPicture.height,
                                     size_t(kPicture.width) * 4, withAlpha};
  const drawing::PaintTarget target{reinterpret_cast<uint8_t*>(p.buffer.data()), kArea.width, kArea.height,
                                     size_t(kArea.width) * 4};
  const show::Placement place = show::PlacePicture(kPicture, kArea, {true, true, true}, 0.0f, 0.0f);
  NoPump pump;
  static test_support::StdThreadWorker worker;
  platform::Worker* helper = threads == 2 ? &worker : nullptr;
  const auto start = Clock::now();
  for (auto _ : state) {
    drawing::PaintPicture(source, place.position, place.size, target, pump, helper);
    benchmark::ClobberMemory();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count() / double(state.iterations());
  state.counters["paint_ms"] = seconds * 1e3;
  state.counters["memcpy_ms"] = p.memcpySeconds * 1e3;
  state.counters["paint_per_memcpy"] = seconds / p.memcpySeconds;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const bool withAlpha : {false, true})
    for (const int threads : {1, 2}) {
      const std::string name =
          std::string(withAlpha ? "WithOpacity" : "Opaque") + (threads == 2 ? "x2" : "") + "/4000x3000_into_1920x1080";
      benchmark::RegisterBenchmark(name.c_str(), Paint, withAlpha, threads)->Unit(benchmark::kMillisecond);
    }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
