// The AVX2 kernel: one pixel's four channels per 256-bit register. Only this function is
// compiled for AVX2, and it runs only after the processor has been asked.
#include <immintrin.h>

#include <cstring>

#include "drawing/bilinear.h"

namespace drawing {
namespace {

#define GLIMMER_AVX2 __attribute__((target("avx2")))

// 2^52 + x with x below 2^32 is exact, and so is taking 2^52 away again; this widens
// bytes to doubles with one shuffle instead of two.
GLIMMER_AVX2 inline __m256d ToDoubles(const uint8_t* pixel) {
  int32_t bytes;
  std::memcpy(&bytes, pixel, sizeof bytes);
  const __m256i widened = _mm256_cvtepu8_epi64(_mm_cvtsi32_si128(bytes));
  const __m256i biased = _mm256_or_si256(widened, _mm256_set1_epi64x(0x4330000000000000));
  return _mm256_sub_pd(_mm256_castsi256_pd(biased), _mm256_set1_pd(4503599627370496.0));
}

// weightA * a + weightB * b, the two products rounded before the sum (no fused step).
GLIMMER_AVX2 inline __m256d Mix(__m256d weightA, __m256d a, __m256d weightB, __m256d b) {
  return _mm256_add_pd(_mm256_mul_pd(weightA, a), _mm256_mul_pd(weightB, b));
}

// cvtpd2dq rounds halves to even in the default mode, as the scalar form does.
GLIMMER_AVX2 inline __m128i RoundChannels(__m256d channels) { return _mm256_cvtpd_epi32(channels); }

GLIMMER_AVX2 inline void StorePixel(uint8_t* at, __m128i channels) {
  __m128i whole = _mm_packs_epi32(channels, channels);
  whole = _mm_packus_epi16(whole, whole);
  const int32_t pixel = _mm_cvtsi128_si32(whole) & 0x00FFFFFF;
  std::memcpy(at, &pixel, sizeof pixel);
}

// Output columns i .. i + 3 lie right to left, so `lowest` is where column i + 3 goes.
GLIMMER_AVX2 inline void StoreFourPixels(uint8_t* lowest, __m128i column0, __m128i column1,
                                         __m128i column2, __m128i column3) {
  const __m128i right = _mm_packs_epi32(column1, column0);
  const __m128i left = _mm_packs_epi32(column3, column2);
  const __m128i bytes = _mm_and_si128(_mm_packus_epi16(left, right), _mm_set1_epi32(0x00FFFFFF));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lowest), bytes);
}

struct RunWeights {
  __m256d fy;
  __m256d gy;
};

GLIMMER_AVX2 inline __m256d BlendOne(const BlendRun& run, RunWeights w, int32_t i) {
  const __m256d fx = _mm256_set1_pd(run.fx[i]);
  const __m256d gx = _mm256_set1_pd(run.gx[i]);
  const uint8_t* upper = run.upper + run.offsets[i];
  const uint8_t* lower = run.lower + run.offsets[i];
  const __m256d a = Mix(gx, ToDoubles(upper), fx, ToDoubles(upper - 4));
  const __m256d b = Mix(gx, ToDoubles(lower), fx, ToDoubles(lower - 4));
  return Mix(w.gy, a, w.fy, b);
}

GLIMMER_AVX2 inline __m256d BlendOne(const RowBlend& blend, RunWeights w, int32_t i) {
  const __m256d a = _mm256_loadu_pd(blend.upper + size_t(i) * 4);
  const __m256d b = _mm256_loadu_pd(blend.lower + size_t(i) * 4);
  return Mix(w.gy, a, w.fy, b);
}

// The lower row is made as it is blended, and kept for the output rows that follow.
struct FreshBlend {
  RowBlend blend;
  RowSpan lower;
  int32_t count;
  double fy, gy;
  uint8_t* rightmost;
};

GLIMMER_AVX2 inline __m256d BlendOne(const FreshBlend& run, RunWeights w, int32_t i) {
  const __m256d fx = _mm256_set1_pd(run.lower.fx[i]);
  const __m256d gx = _mm256_set1_pd(run.lower.gx[i]);
  const uint8_t* pixel = run.lower.row + run.lower.offsets[i];
  const __m256d b = Mix(gx, ToDoubles(pixel), fx, ToDoubles(pixel - 4));
  _mm256_storeu_pd(run.lower.out + size_t(i) * 4, b);
  const __m256d a = _mm256_loadu_pd(run.blend.upper + size_t(i) * 4);
  return Mix(w.gy, a, w.fy, b);
}

// Each pixel is rounded before the next is started, so that no 256-bit value outlives
// its pixel: GCC cannot align the Win64 stack for a 256-bit spill.
template <typename Run>
GLIMMER_AVX2 inline void BlendAll(const Run& run) {
  const RunWeights w{_mm256_set1_pd(run.fy), _mm256_set1_pd(run.gy)};
  int32_t i = 0;
  for (; i + 4 <= run.count; i += 4) {
    const __m128i column0 = RoundChannels(BlendOne(run, w, i));
    const __m128i column1 = RoundChannels(BlendOne(run, w, i + 1));
    const __m128i column2 = RoundChannels(BlendOne(run, w, i + 2));
    const __m128i column3 = RoundChannels(BlendOne(run, w, i + 3));
    StoreFourPixels(run.rightmost - size_t(i + 3) * 4, column0, column1, column2, column3);
  }
  for (; i < run.count; ++i)
    StorePixel(run.rightmost - size_t(i) * 4, RoundChannels(BlendOne(run, w, i)));
}

}  // namespace

GLIMMER_AVX2 void BlendRunAvx2(BlendRun run) { BlendAll(run); }

GLIMMER_AVX2 void AlongRowAvx2(RowSpan span) {
  for (int32_t i = 0; i < span.count; ++i) {
    const __m256d fx = _mm256_set1_pd(span.fx[i]);
    const __m256d gx = _mm256_set1_pd(span.gx[i]);
    const uint8_t* pixel = span.row + span.offsets[i];
    _mm256_storeu_pd(span.out + size_t(i) * 4, Mix(gx, ToDoubles(pixel), fx, ToDoubles(pixel - 4)));
  }
}

GLIMMER_AVX2 void BlendRowsAvx2(RowBlend blend) { BlendAll(blend); }

GLIMMER_AVX2 void BlendFreshRowAvx2(RowBlend blend, RowSpan lower) {
  BlendAll(FreshBlend{blend, lower, blend.count, blend.fy, blend.gy, blend.rightmost});
}

#undef GLIMMER_AVX2

}  // namespace drawing
