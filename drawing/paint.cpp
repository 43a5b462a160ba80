#include "drawing/paint.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "drawing/opacity.h"
#include "drawing/row_sharing.h"
#include "pictures/pixel_transfer.h"

namespace drawing {

using pictures::Load32;
using pictures::Store32;

namespace {

constexpr uint32_t kColour = 0x00FFFFFF;

// The part of [start, start + length) inside [0, limit), in 64 bits so that no sum of a
// position and a size can overflow.
struct Span {
  int64_t first = 0;
  int64_t end = 0;
  int64_t Length() const { return end - first; }
};

Span Clip(int32_t start, int32_t length, int32_t limit) {
  const int64_t first = std::max<int64_t>(0, start);
  const int64_t end = std::min<int64_t>(limit, int64_t{start} + length);
  return {first, std::max(first, end)};
}

// One output row from one source row; `columns` holds each painted pixel's source column.
void CopyRow(const uint8_t* from, const uint32_t* columns, int64_t count, uint8_t* to) {
  for (int64_t i = 0; i < count; ++i) Store32(to + i * 4, Load32(from + size_t{columns[i]} * 4) & kColour);
}

// BlendOver on the channels of two pixels, widened to 16-bit lanes.
inline __m128i BlendTwo(__m128i pixels, __m128i under) {
  const __m128i opacity = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pixels, 0xFF), 0xFF);
  const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(255), opacity);
  const __m128i mixed =
      _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(pixels, opacity), _mm_mullo_epi16(under, rest)), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(mixed, _mm_srli_epi16(mixed, 8)), 8);
}

// Four pixels at a time without a branch: each is mixed by BlendOver, which gives the
// colour itself at opacity 255, and the transparent ones then take the buffer's pixel back
// unchanged.
void BlendRow(const uint8_t* from, const uint32_t* columns, int64_t count, uint8_t* to) {
  const __m128i zero = _mm_setzero_si128();
  int64_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128i pixels = _mm_setr_epi32(static_cast<int>(Load32(from + size_t{columns[i]} * 4)),
                                          static_cast<int>(Load32(from + size_t{columns[i + 1]} * 4)),
                                          static_cast<int>(Load32(from + size_t{columns[i + 2]} * 4)),
                                          static_cast<int>(Load32(from + size_t{columns[i + 3]} * 4)));
    __m128i* at = reinterpret_cast<__m128i*>(to + i * 4);
    const __m128i under = _mm_loadu_si128(at);
    const __m128i low = BlendTwo(_mm_unpacklo_epi8(pixels, zero), _mm_unpacklo_epi8(under, zero));
    const __m128i high = BlendTwo(_mm_unpackhi_epi8(pixels, zero), _mm_unpackhi_epi8(under, zero));
    const __m128i mixed = _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(kColour));
    const __m128i transparent = _mm_cmpeq_epi32(_mm_srli_epi32(pixels, 24), zero);
    _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(transparent, under), _mm_andnot_si128(transparent, mixed)));
  }
  for (; i < count; ++i) {
    const uint32_t pixel = Load32(from + size_t{columns[i]} * 4);
    if (pixel >> 24 == 0) continue;
    uint8_t* at = to + i * 4;
    Store32(at, BlendOver(pixel, Load32(at)));
  }
}

bool Usable(const PaintSource& source) {
  return source.pixels && source.width > 0 && source.height > 0 && source.stride >= size_t(source.width) * 4;
}

bool Usable(const PaintTarget& target) {
  return target.pixels && target.width > 0 && target.height > 0 && target.stride >= size_t(target.width) * 4;
}

}  // namespace

int32_t SampledIndex(int64_t u, int32_t sourceSize, int32_t drawn) {
  // Below 2^63 for every u < drawn < 2^31 and sourceSize < 2^31.
  return static_cast<int32_t>((2 * u + 1) * sourceSize / (2 * int64_t{drawn}));
}

int32_t RowsBetweenPumps(int32_t rowWidth) {
  if (rowWidth <= 0) return 1;
  return static_cast<int32_t>(std::max<int64_t>(1, kPixelsBetweenPumps / rowWidth));
}

platform::Rect PaintPicture(const PaintSource& source, platform::Point position, platform::Size size,
                            const PaintTarget& target, platform::MessagePump& pump, platform::Worker* helper) {
  if (!Usable(source) || !Usable(target) || size.width <= 0 || size.height <= 0) return {};
  const Span across = Clip(position.x, size.width, target.width);
  const Span down = Clip(position.y, size.height, target.height);
  if (across.Length() == 0 || down.Length() == 0) return {};

  std::vector<uint32_t> columns;
  try {
    columns.resize(size_t(across.Length()));
  } catch (const std::bad_alloc&) {
    return {};
  }
  for (int64_t x = across.first; x < across.end; ++x)
    columns[size_t(x - across.first)] = uint32_t(SampledIndex(x - position.x, source.width, size.width));

  const auto paintRow = source.hasAlpha ? BlendRow : CopyRow;
  auto paintOne = [&](int32_t k, int32_t) {
    const int64_t y = down.first + k;
    const int32_t sourceRow = SampledIndex(y - position.y, source.height, size.height);
    paintRow(source.pixels + size_t(sourceRow) * source.stride, columns.data(), across.Length(),
             target.pixels + size_t(y) * target.stride + size_t(across.first) * 4);
  };
  const RowPacing pacing{RowsBetweenPumps(static_cast<int32_t>(across.Length())), helper};
  RunRows(static_cast<int32_t>(down.Length()), pacing, pump, [&paintOne] { return paintOne; });
  return {static_cast<int32_t>(across.first), static_cast<int32_t>(down.first), static_cast<int32_t>(across.end),
          static_cast<int32_t>(down.end)};
}

}  // namespace drawing
