// The bilinear scaler against its plain reference form and against a memcpy of the
// source picture, all timed in the same run and reported as ratios; on one thread and with
// its rows shared with a second ("x2"), as the saver draws.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "drawing/bilinear.h"
#include "tests/unit/bilinear_reference.h"
#include "tests/unit/std_thread_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::Size;

struct Case {
  const char* name;
  Size picture;
  Size area;
};

const Case kCases[] = {
    {"4000x3000_into_1920x1080", {4000, 3000}, {1920, 1080}},
    {"1024x768_into_1920x1080", {1024, 768}, {1920, 1080}},
    {"100x50_into_799x599", {100, 50}, {799, 599}},
};

struct NoPump : platform::MessagePump {
  void PumpPending() override {}
};

struct Prepared {
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> copy;
  drawing::SourcePicture source;
  double memcpySeconds = 0;
  double referenceSeconds = 0;
};

// Mean seconds per call over at least minSeconds and at least one call.
template <typename Work>
double MeanSeconds(Work work, double minSeconds) {
  int calls = 0;
  const auto start = Clock::now();
  double elapsed = 0;
  do {
    work();
    ++calls;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < minSeconds);
  return elapsed / calls;
}

// The picture and the two yardsticks, made once per case.
Prepared& PreparedFor(const Case& c) {
  static std::map<std::string, Prepared> prepared;
  auto [entry, isNew] = prepared.try_emplace(c.name);
  Prepared& p = entry->second;
  if (!isNew) return p;
  const size_t bytes = size_t(c.picture.width) * c.picture.height * 4;
  p.pixels.resize(bytes);
  p.copy.resize(bytes);
  std::mt19937 random(7);
  for (uint8_t& byte : p.pixels) byte = uint8_t(random());
  p.source = {true, c.picture.width, c.picture.height, p.pixels.data(), size_t(c.picture.width) * 4};
  p.memcpySeconds = MeanSeconds(
      [&] {
        std::memcpy(p.copy.data(), p.pixels.data(), bytes);
        benchmark::ClobberMemory();
      },
      0.5);
  NoPump pump;
  p.referenceSeconds = MeanSeconds(
      [&] {
        auto drawn = bilinear_reference::DrawBilinerPicture(p.source, c.area, pump);
        benchmark::DoNotOptimize(drawn);
      },
      1.0);
  return p;
}

// With two threads the rows are shared with a worker kept alive between calls, as the
// saver keeps its own.
void Scale(benchmark::State& state, const Case& c, drawing::BilinerKernel kernel, int threads) {
  Prepared& p = PreparedFor(c);
  NoPump pump;
  static test_support::StdThreadWorker worker;
  platform::Worker* helper = threads == 2 ? &worker : nullptr;
  const auto start = Clock::now();
  for (auto _ : state) {
    auto drawn = drawing::DrawBilinerPicture(p.source, c.area, pump, kernel, helper);
    benchmark::DoNotOptimize(drawn);
  }
  const double fastSeconds =
      std::chrono::duration<double>(Clock::now() - start).count() / double(state.iterations());
  state.counters["fast_ms"] = fastSeconds * 1e3;
  state.counters["memcpy_ms"] = p.memcpySeconds * 1e3;
  state.counters["reference_ms"] = p.referenceSeconds * 1e3;
  state.counters["fast_per_memcpy"] = fastSeconds / p.memcpySeconds;
  state.counters["reference_per_fast"] = p.referenceSeconds / fastSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const Case& c : kCases) {
    for (int threads : {1, 2}) {
      const std::string suffix = (threads == 2 ? "x2/" : "/") + std::string(c.name);
      benchmark::RegisterBenchmark(("Sse2" + suffix).c_str(), Scale, c, drawing::BilinerKernel::Sse2, threads)
          ->Unit(benchmark::kMillisecond);
      if (drawing::Avx2Available())
        benchmark::RegisterBenchmark(("Avx2" + suffix).c_str(), Scale, c, drawing::BilinerKernel::Avx2, threads)
            ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
