// The colour transform on a 4000 x 3000 Adobe RGB picture to sRGB, with each kernel, against
// a memcpy of the same pixels timed in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "pictures/colour_transform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kPixels = size_t{4000} * 3000;

struct Prepared {
  std::vector<uint32_t> original;
  std::vector<uint32_t> pixels;
  std::optional<pictures::ColourTransform> transform;
  double memcpySeconds = 0;
};

Prepared& PreparedPixels() {
  static Prepared p = [] {
    Prepared made;
    std::ifstream in("/usr/share/color/icc/colord/AdobeRGB1998.icc", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto adobe = pictures::ReadIccProfile(bytes.data(), bytes.size());
    if (adobe && adobe->matrix)
      made.transform = pictures::ColourTransform::Make(*adobe->matrix, pictures::SrgbProfile());
    made.original.resize(kPixels);
    std::mt19937 random(25);
    for (uint32_t& pixel : made.original) pixel = random();
    made.pixels = made.original;
    int calls = 0;
    const auto start = Clock::now();
    do {
      std::memcpy(made.pixels.data(), made.original.data(), kPixels * 4);
      benchmark::ClobberMemory();
      ++calls;
    } while (Clock::now() - start < std::chrono::milliseconds(500));
    made.memcpySeconds = std::chrono::duration<double>(Clock::now() - start).count() / calls;
    return made;
  }();
  return p;
}

// Each conversion starts from the same pixels, copied back outside the timing.
void Convert(benchmark::State& state, pictures::ColourKernel kernel) {
  Prepared& p = PreparedPixels();
  if (!p.transform) {
    state.SkipWithError("no Adobe RGB profile (colord-data)");
    return;
  }
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(p.pixels.data(), p.original.data(), kPixels * 4);
    state.ResumeTiming();
    const auto start = Clock::now();
    p.transform->Apply(p.pixels.data(), kPixels, kernel);
    benchmark::ClobberMemory();
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
  }
  seconds /= double(state.iterations());
  state.counters["convert_ms"] = seconds * 1e3;
  state.counters["memcpy_ms"] = p.memcpySeconds * 1e3;
  state.counters["convert_per_memcpy"] = seconds / p.memcpySeconds;
  state.counters["ns_per_pixel"] = seconds * 1e9 / kPixels;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  using pictures::ColourKernel;
  benchmark::RegisterBenchmark("Scalar/4000x3000_AdobeRGB_to_sRGB", Convert, ColourKernel::Scalar)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Sse2/4000x3000_AdobeRGB_to_sRGB", Convert, ColourKernel::Sse2)
      ->Unit(benchmark::kMillisecond);
  if (pictures::ColourAvx2Available())
    benchmark::RegisterBenchmark("Avx2/4000x3000_AdobeRGB_to_sRGB", Convert, ColourKernel::Avx2)
        ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
