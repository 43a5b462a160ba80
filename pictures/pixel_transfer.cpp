#include "pictures/pixel_transfer.h"

#include <emmintrin.h>

namespace pictures {
namespace {

// Four pixels at bytes 3k .. 3k + 2 of `packed` move to bytes 4k .. 4k + 2: pixel k moves
// k bytes up. SSE2 has no byte shuffle, so each pixel is shifted into place and masked.
inline __m128i WidenFour(__m128i packed) {
  const __m128i pixel0 = _mm_and_si128(packed, _mm_setr_epi32(0x00FFFFFF, 0, 0, 0));
  const __m128i pixel1 = _mm_and_si128(_mm_slli_si128(packed, 1), _mm_setr_epi32(0, 0x00FFFFFF, 0, 0));
  const __m128i pixel2 = _mm_and_si128(_mm_slli_si128(packed, 2), _mm_setr_epi32(0, 0, 0x00FFFFFF, 0));
  const __m128i pixel3 = _mm_and_si128(_mm_slli_si128(packed, 3), _mm_setr_epi32(0, 0, 0, 0x00FFFFFF));
  const __m128i unused = _mm_set1_epi32(static_cast<int>(uint32_t{kUnusedByte} << 24));
  return _mm_or_si128(_mm_or_si128(pixel0, pixel1), _mm_or_si128(_mm_or_si128(pixel2, pixel3), unused));
}

}  // namespace

void ExpandBgrToBgrx(const uint8_t* from, uint8_t* to, size_t count) {
  size_t i = 0;
  // Sixteen pixels are 48 bytes, three whole loads: nothing is read past the source.
  for (; i + 16 <= count; i += 16, from += 48, to += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 32));
    const __m128i pixels4to7 = _mm_or_si128(_mm_srli_si128(a, 12), _mm_slli_si128(b, 4));
    const __m128i pixels8to11 = _mm_or_si128(_mm_srli_si128(b, 8), _mm_slli_si128(c, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), WidenFour(a));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), WidenFour(pixels4to7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 32), WidenFour(pixels8to11));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 48), WidenFour(_mm_srli_si128(c, 4)));
  }
  for (; i < count; ++i, from += 3, to += 4) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
    to[3] = kUnusedByte;
  }
}

bool EveryPixelOpaque(const uint32_t* pixels, size_t count) {
  // A block at a time, so that the first transparent pixel ends the look soon after.
  constexpr size_t kBlock = 4096;
  for (size_t start = 0; start < count; start += kBlock) {
    const size_t end = start + kBlock < count ? start + kBlock : count;
    uint32_t all = 0xFFFFFFFF;
    for (size_t i = start; i < end; ++i) all &= pixels[i];
    if (all >> 24 != 0xFF) return false;
  }
  return true;
}

void MakeOpaque(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
}

}  // namespace pictures
