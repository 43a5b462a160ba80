// The AVX2 steps of the block kernel, eight pixels at a time. Only this file is compiled
// for AVX2, and it runs only after the processor has been asked.
#include <immintrin.h>

#include "pictures/colour_transform.h"

namespace pictures {
namespace {

#define GLIMMER_AVX2 __attribute__((target("avx2")))

GLIMMER_AVX2 inline __m256i Code(const ColourBlock& block, int c, size_t i, __m256i inCellMask) {
  const __m256i place = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&block.place[c][i]));
  const __m256i cell = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&block.cell[c][i]));
  const __m256i below = _mm256_cmpgt_epi32(_mm256_srli_epi32(cell, 16), _mm256_and_si256(place, inCellMask));
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const __m256i base = _mm256_and_si256(cell, byte);
  const __m256i after = _mm256_and_si256(_mm256_srli_epi32(cell, 8), byte);
  return _mm256_blendv_epi8(after, base, below);
}

}  // namespace

GLIMMER_AVX2 void ToPlacesAvx2(const ColourTables& t, ColourBlock& block) {
  const __m256i lowest = _mm256_set1_epi32(t.lowestBits);
  const __m128i shift = _mm_cvtsi32_si128(t.cellShift);
  for (size_t i = 0; i < kColourBlock; i += 8) {
    const __m256 blue = _mm256_loadu_ps(&block.linear[0][i]);
    const __m256 green = _mm256_loadu_ps(&block.linear[1][i]);
    const __m256 red = _mm256_loadu_ps(&block.linear[2][i]);
    for (int c = 0; c < 3; ++c) {
      const auto& row = t.matrix[c];
      __m256 value =
          _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(row[0]), blue), _mm256_mul_ps(_mm256_set1_ps(row[1]), green));
      value = _mm256_add_ps(value, _mm256_mul_ps(_mm256_set1_ps(row[2]), red));
      value = _mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
      __m256i place = _mm256_sub_epi32(_mm256_castps_si256(value), lowest);
      place = _mm256_andnot_si256(_mm256_srai_epi32(place, 31), place);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(&block.place[c][i]), place);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(&block.cell[c][i]), _mm256_srl_epi32(place, shift));
    }
  }
}

GLIMMER_AVX2 void StoreAvx2(const ColourTables& t, const ColourBlock& block, uint32_t* pixels) {
  const __m256i inCellMask = _mm256_set1_epi32((int32_t{1} << t.cellShift) - 1);
  for (size_t i = 0; i < kColourBlock; i += 8) {
    __m256i* at = reinterpret_cast<__m256i*>(pixels + i);
    __m256i converted = _mm256_and_si256(_mm256_loadu_si256(at), _mm256_set1_epi32(int32_t(0xFF000000)));
    converted = _mm256_or_si256(converted, Code(block, 0, i, inCellMask));
    converted = _mm256_or_si256(converted, _mm256_slli_epi32(Code(block, 1, i, inCellMask), 8));
    converted = _mm256_or_si256(converted, _mm256_slli_epi32(Code(block, 2, i, inCellMask), 16));
    _mm256_storeu_si256(at, converted);
  }
}

#undef GLIMMER_AVX2

}  // namespace pictures
