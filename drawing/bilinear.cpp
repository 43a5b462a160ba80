#include "drawing/bilinear.h"

#include <emmintrin.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "drawing/opacity.h"
#include "drawing/row_sharing.h"
#include "pictures/pixel_transfer.h"

namespace drawing {

using pictures::Load32;
using pictures::Store32;

namespace {

using platform::Point;
using platform::Size;

// Far beyond any desktop, and it keeps a bad area from asking for gigabytes.
constexpr uint64_t kLargestOutputPixels = uint64_t{1} << 28;
constexpr uint32_t kColourBytes = 0x00FFFFFF;

// cvtsd2si rounds by the current mode, halves to even by default; mingw's nearbyint is a
// slow library call under Wine.
inline int32_t RoundHalfEven(double value) { return _mm_cvtsd_si32(_mm_set_sd(value)); }

std::optional<BilinerFit> FitToWidth(Size picture, Size area) {
  const auto height = RoundToInt32(static_cast<double>(area.width) * picture.height / picture.width);
  const auto scale = ToTenThousandths(static_cast<double>(area.width) / picture.width);
  if (!height || !scale) return std::nullopt;
  return BilinerFit{{area.width, *height}, *scale};
}

std::optional<BilinerFit> FitToHeight(Size picture, Size area) {
  const auto width = RoundToInt32(static_cast<double>(area.height) * picture.width / picture.height);
  const auto scale = ToTenThousandths(static_cast<double>(area.height) / picture.height);
  if (!width || !scale) return std::nullopt;
  return BilinerFit{{*width, area.height}, *scale};
}

// Sample positions along one output axis. The grid is 1-based, so index 1 is the first
// source pixel and an index may reach `sourceSize`; the four-decimal scale can carry the
// last samples of a strong reduction past it, and those take the grid's last element.
struct SampleAxis {
  std::vector<int32_t> index;
  std::vector<double> fraction;
  std::vector<double> complement;  // 1 - fraction
  int32_t interiorCount = 0;       // samples with index < sourceSize - 1 come first
};

SampleAxis BuildAxis(int32_t outputCount, int32_t sourceSize, double step) {
  SampleAxis axis;
  axis.index.resize(outputCount);
  axis.fraction.resize(outputCount);
  axis.complement.resize(outputCount);
  for (int32_t i = 0; i < outputCount; ++i) {
    const double position = i * step + 1;
    const double whole = std::trunc(position);
    const int32_t index = whole > sourceSize ? sourceSize : static_cast<int32_t>(whole);
    axis.index[i] = index;
    axis.fraction[i] = position - whole;
    axis.complement[i] = 1 - axis.fraction[i];
    // Positions grow with i, so the interior samples form a prefix.
    if (index < sourceSize - 1) axis.interiorCount = i + 1;
  }
  return axis;
}

inline __m128i WidenToInt32(const uint8_t* pixel) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(Load32(pixel)));
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
}

struct ChannelPairs {
  __m128d blueGreen;
  __m128d redUnused;
};

inline ChannelPairs ToDoubles(const uint8_t* pixel) {
  const __m128i channels = WidenToInt32(pixel);
  return {_mm_cvtepi32_pd(channels), _mm_cvtepi32_pd(_mm_unpackhi_epi64(channels, channels))};
}

// weightA * a + weightB * b, the two products rounded before the sum.
inline __m128d Mix(__m128d weightA, __m128d a, __m128d weightB, __m128d b) {
  return _mm_add_pd(_mm_mul_pd(weightA, a), _mm_mul_pd(weightB, b));
}

// Rounds the four channels (halves to even), byte 3 cleared.
inline void StorePixel(uint8_t* at, __m128d blueGreen, __m128d redUnused) {
  __m128i whole = _mm_unpacklo_epi64(_mm_cvtpd_epi32(blueGreen), _mm_cvtpd_epi32(redUnused));
  whole = _mm_packs_epi32(whole, whole);
  whole = _mm_packus_epi16(whole, whole);
  Store32(at, static_cast<uint32_t>(_mm_cvtsi128_si32(whole)) & kColourBytes);
}

// Pixels whose sample point is not interior take the grid value p00 unchanged.
void CopyNearest(const uint8_t* upper, const std::vector<ptrdiff_t>& offsets, int32_t first,
                 uint8_t* rightmost) {
  const auto count = static_cast<int32_t>(offsets.size());
  for (int32_t i = first; i < count; ++i)
    Store32(rightmost - size_t(i) * 4, Load32(upper + offsets[i]) & kColourBytes);
}

// One pixel's channels as doubles; aligned so that a 256-bit access never splits a
// cache line.
struct alignas(32) ChannelDoubles {
  double channel[4];
};
using ChannelRow = std::vector<ChannelDoubles>;

double* Channels(ChannelRow& row) { return row.empty() ? nullptr : row.front().channel; }

Kernels ChooseKernels(BilinerKernel kernel) {
  const bool wantAvx2 = kernel == BilinerKernel::Avx2 || kernel == BilinerKernel::Automatic;
  if (wantAvx2 && Avx2Available())
    return {BlendRunAvx2, AlongRowAvx2, BlendRowsAvx2, BlendFreshRowAvx2};
  return {BlendRunSse2, AlongRowSse2, BlendRowsSse2, BlendFreshRowSse2};
}

// The first step's results for the last two source rows, so that output rows that share
// a source row (every row when enlarging) compute it once, whether the rows are taken
// downwards or upwards.
class RowCache {
 public:
  explicit RowCache(int32_t count) : slots_{{-1, ChannelRow(count)}, {-1, ChannelRow(count)}} {}
  bool Holds(int32_t row) const { return slots_[0].row == row || slots_[1].row == row; }

  // Blends output row `blend` from source rows `upper` and `upper + 1`, making each unless
  // held; the lower one, when new, is made in the same pass.
  void BlendRows(int32_t upper, const uint8_t* upperPixels, const uint8_t* lowerPixels, RowSpan span,
                 RowBlend blend, const Kernels& kernels) {
    // A held upper row goes to slot 0 and a held lower row to slot 1.
    if (slots_[0].row == upper + 1 || (slots_[1].row == upper && slots_[0].row != upper))
      std::swap(slots_[0], slots_[1]);
    if (slots_[0].row != upper) {
      span.row = upperPixels;
      span.out = Channels(slots_[0].values);
      kernels.alongRow(span);
      slots_[0].row = upper;
    }
    blend.upper = Channels(slots_[0].values);
    blend.lower = Channels(slots_[1].values);
    if (slots_[1].row == upper + 1) {
      kernels.blendRows(blend);
      return;
    }
    span.row = lowerPixels;
    span.out = Channels(slots_[1].values);
    kernels.blendFreshRow(blend, span);
    slots_[1].row = upper + 1;
  }

 private:
  struct Slot {
    int32_t row;
    ChannelRow values;
  };
  Slot slots_[2];
};

// The source rows as the scaler reads them. A picture with opacity is read as it would show
// on the cleared window, each pixel over black; its rows are made so as they are needed, and
// the last two are kept, so that no copy of the whole picture is made.
class SourceRows {
 public:
  struct Pair {
    const uint8_t* upper;
    const uint8_t* lower;  // null when not asked for
  };

  explicit SourceRows(const SourcePicture& source) : source_(source) {
    if (source.hasAlpha)
      for (Slot& slot : slots_) slot.pixels.resize(size_t(source.width) * 4);
  }

  // Row `upper` and, when asked, the row below it.
  Pair Rows(int32_t upper, bool withLower) {
    if (!source_.hasAlpha) return {Own(upper), withLower ? Own(upper + 1) : nullptr};
    Slot* up = Holding(upper);
    Slot* low = withLower ? Holding(upper + 1) : nullptr;
    if (!up) {
      up = low ? Other(low) : FartherFrom(upper);
      Fill(*up, upper);
    }
    if (withLower && !low) {
      low = Other(up);
      Fill(*low, upper + 1);
    }
    return {up->pixels.data(), low ? low->pixels.data() : nullptr};
  }

 private:
  struct Slot {
    int32_t row = -1;
    PixelBytes pixels;
  };

  const uint8_t* Own(int32_t row) const { return source_.pixels + size_t(row) * source_.stride; }
  Slot* Holding(int32_t row) {
    for (Slot& slot : slots_)
      if (slot.row == row) return &slot;
    return nullptr;
  }
  Slot* Other(const Slot* slot) { return slot == &slots_[0] ? &slots_[1] : &slots_[0]; }
  // The slot whose row lies farther from `row`, an empty one first: the nearer one is the
  // likelier to be asked for again by a thread that walks the rows in order.
  Slot* FartherFrom(int32_t row) {
    auto distance = [row](const Slot& slot) {
      return slot.row < 0 ? std::numeric_limits<int64_t>::max() : std::abs(int64_t{slot.row} - row);
    };
    return distance(slots_[0]) >= distance(slots_[1]) ? &slots_[0] : &slots_[1];
  }
  void Fill(Slot& slot, int32_t row) {
    OverBlackRow(Own(row), slot.pixels.data(), size_t(source_.width));
    slot.row = row;
  }

  const SourcePicture& source_;
  Slot slots_[2];
};

// What each thread keeps from one row to its next.
struct ThreadRows {
  RowCache cache;
  SourceRows source;
};

// The tables of one scaling, read by both threads; each thread has its own ThreadRows.
class RowScaler {
 public:
  RowScaler(const SourcePicture& source, const BilinerFit& fit, double step, BilinerKernel kernel,
            uint8_t* output)
      : source_(source),
        outWidth_(fit.size.width),
        columns_(BuildAxis(fit.size.width, source.width, step)),
        rows_(BuildAxis(fit.size.height, source.height, step)),
        offsets_(fit.size.width),
        kernels_(ChooseKernels(kernel)),
        output_(output) {
    // The grid runs right to left: grid column c is source column width - c.
    for (int32_t i = 0; i < outWidth_; ++i)
      offsets_[i] = (ptrdiff_t{source.width} - columns_.index[i]) * 4;
  }

  ThreadRows MakeThreadRows() const { return {RowCache(columns_.interiorCount), SourceRows(source_)}; }

  // Output row j; `next` is the row this thread takes after it, so that a source row the
  // two share is computed once.
  void ScaleRow(int32_t j, int32_t next, ThreadRows& rows) const {
    RowCache& cache = rows.cache;
    const int32_t blended = columns_.interiorCount;
    uint8_t* rightmost = output_ + (size_t(j) * outWidth_ + outWidth_ - 1) * 4;
    // Grid row r is source row r - 1.
    const int32_t upperRow = rows_.index[j] - 1;
    const bool interiorRow = j < rows_.interiorCount;
    const auto [upper, lower] = rows.source.Rows(upperRow, interiorRow);
    if (!interiorRow) {
      CopyNearest(upper, offsets_, 0, rightmost);
      return;
    }
    const bool nextShares = next >= 0 && next < rows_.interiorCount &&
                            std::abs(rows_.index[next] - rows_.index[j]) <= 1;
    if (nextShares || cache.Holds(upperRow) || cache.Holds(upperRow + 1)) {
      RowSpan span;
      span.offsets = offsets_.data();
      span.fx = columns_.fraction.data();
      span.gx = columns_.complement.data();
      span.count = blended;
      cache.BlendRows(upperRow, upper, lower, span,
                      {nullptr, nullptr, rows_.fraction[j], rows_.complement[j], blended, rightmost},
                      kernels_);
    } else {
      kernels_.blendRun({upper, lower, offsets_.data(), columns_.fraction.data(),
                         columns_.complement.data(), rows_.fraction[j], rows_.complement[j], blended,
                         rightmost});
    }
    CopyNearest(upper, offsets_, blended, rightmost);
  }

 private:
  const SourcePicture& source_;
  int32_t outWidth_;
  SampleAxis columns_;
  SampleAxis rows_;
  std::vector<ptrdiff_t> offsets_;
  Kernels kernels_;
  uint8_t* output_;
};

}  // namespace

std::optional<int64_t> ToTenThousandths(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  if (value == 0) return 0;
  // |value| = mantissa * 2^exponent exactly, so the product with 10000 is exact in 128 bits.
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);
  const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  // From 2^53 on the count is past 2^63.
  if (exponent >= 0) return std::nullopt;
  const int shift = -exponent;
  const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * kTenThousand;
  if (shift >= 100) return 0;  // scaled < 2^67: far below one half
  unsigned __int128 count = scaled >> shift;
  const unsigned __int128 rest = scaled - (count << shift);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rest > half || (rest == half && (count & 1) != 0)) ++count;
  if (count > static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max()))
    return std::nullopt;
  const auto magnitude = static_cast<int64_t>(count);
  return value < 0 ? -magnitude : magnitude;
}

std::optional<int32_t> RoundToInt32(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double whole = std::nearbyint(value);
  if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(whole);
}

std::optional<BilinerFit> FitBilinerPicture(Size picture, Size area) {
  if (picture.width <= 0 || picture.height <= 0 || area.width < 0 || area.height < 0)
    return std::nullopt;
  // The area's width is compared with the width at full height taken to four decimals.
  const auto widthAtFullHeight =
      ToTenThousandths(static_cast<double>(area.height) * picture.width / picture.height);
  if (!widthAtFullHeight) return std::nullopt;
  if (int64_t{area.width} * kTenThousand > *widthAtFullHeight) {
    const auto fit = FitToWidth(picture, area);
    if (fit && fit->size.height > area.height) return FitToHeight(picture, area);
    return fit;
  }
  const auto fit = FitToHeight(picture, area);
  if (fit && fit->size.width > area.width) return FitToWidth(picture, area);
  return fit;
}

Point CentredPaintPosition(Size area, Size fitted) {
  // The paint call takes single-precision coordinates.
  const auto x = static_cast<float>(area.width / 2.0 - fitted.width / 2.0);
  const auto y = static_cast<float>(area.height / 2.0 - fitted.height / 2.0);
  return {static_cast<int32_t>(std::nearbyint(x)), static_cast<int32_t>(std::nearbyint(y))};
}

int16_t GetBiliner(int32_t p00, int32_t p10, int32_t p01, int32_t p11, double fx, double fy,
                   int32_t& result) {
  const double a = (1 - fx) * p00 + fx * p10;
  const double b = (1 - fx) * p01 + fx * p11;
  result = RoundHalfEven((1 - fy) * a + fy * b);
  return 0;
}

bool Avx2Available() {
#if defined(_WIN32) && !defined(__OPTIMIZE__)
  // GCC cannot align the Win64 stack to 32 bytes; an unoptimised build spills 256-bit
  // values there with aligned moves and faults.
  return false;
#else
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available;
#endif
}

void BlendRunSse2(BlendRun run) {
  const __m128d fy = _mm_set1_pd(run.fy);
  const __m128d gy = _mm_set1_pd(run.gy);
  for (int32_t i = 0; i < run.count; ++i) {
    const __m128d fx = _mm_set1_pd(run.fx[i]);
    const __m128d gx = _mm_set1_pd(run.gx[i]);
    const uint8_t* upper = run.upper + run.offsets[i];
    const uint8_t* lower = run.lower + run.offsets[i];
    const ChannelPairs p00 = ToDoubles(upper);
    const ChannelPairs p10 = ToDoubles(upper - 4);
    const ChannelPairs p01 = ToDoubles(lower);
    const ChannelPairs p11 = ToDoubles(lower - 4);
    const __m128d low = Mix(gy, Mix(gx, p00.blueGreen, fx, p10.blueGreen), fy,
                            Mix(gx, p01.blueGreen, fx, p11.blueGreen));
    const __m128d high = Mix(gy, Mix(gx, p00.redUnused, fx, p10.redUnused), fy,
                             Mix(gx, p01.redUnused, fx, p11.redUnused));
    StorePixel(run.rightmost - size_t(i) * 4, low, high);
  }
}

void AlongRowSse2(RowSpan span) {
  for (int32_t i = 0; i < span.count; ++i) {
    const __m128d fx = _mm_set1_pd(span.fx[i]);
    const __m128d gx = _mm_set1_pd(span.gx[i]);
    const uint8_t* pixel = span.row + span.offsets[i];
    const ChannelPairs p00 = ToDoubles(pixel);
    const ChannelPairs p10 = ToDoubles(pixel - 4);
    _mm_storeu_pd(span.out + size_t(i) * 4, Mix(gx, p00.blueGreen, fx, p10.blueGreen));
    _mm_storeu_pd(span.out + size_t(i) * 4 + 2, Mix(gx, p00.redUnused, fx, p10.redUnused));
  }
}

void BlendFreshRowSse2(RowBlend blend, RowSpan lower) {
  AlongRowSse2(lower);
  BlendRowsSse2(blend);
}

void BlendRowsSse2(RowBlend blend) {
  const __m128d fy = _mm_set1_pd(blend.fy);
  const __m128d gy = _mm_set1_pd(blend.gy);
  for (int32_t i = 0; i < blend.count; ++i) {
    const double* a = blend.upper + size_t(i) * 4;
    const double* b = blend.lower + size_t(i) * 4;
    const __m128d low = Mix(gy, _mm_loadu_pd(a), fy, _mm_loadu_pd(b));
    const __m128d high = Mix(gy, _mm_loadu_pd(a + 2), fy, _mm_loadu_pd(b + 2));
    StorePixel(blend.rightmost - size_t(i) * 4, low, high);
  }
}

std::optional<BilinerPicture> DrawBilinerPicture(const SourcePicture& source, Size area,
                                                 platform::MessagePump& pump,
                                                 BilinerKernel kernel, platform::Worker* helper) {
  if (!source.loaded) return std::nullopt;
  const auto fit = FitBilinerPicture({source.width, source.height}, area);
  if (!fit) return std::nullopt;
  if (source.pixels && source.stride < size_t(source.width) * 4) return std::nullopt;

  BilinerPicture picture;
  picture.size = fit->size;
  picture.position = CentredPaintPosition(area, fit->size);
  if (fit->size.width == 0 || fit->size.height == 0) return picture;
  // Sampling steps by 1/s: a scale that rounded to 0 ends the routine.
  if (fit->scaleTenThousandths == 0) return std::nullopt;
  const uint64_t pixelCount = uint64_t(fit->size.width) * uint64_t(fit->size.height);
  if (pixelCount > kLargestOutputPixels) return std::nullopt;
  try {
    picture.pixels.resize(size_t(pixelCount) * 4);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }

  const double scale = double(fit->scaleTenThousandths) / kTenThousand;
  const double step = 1 / scale;
  if (source.pixels) {
    const RowScaler scaler(source, *fit, step, kernel, picture.pixels.data());
    RunRows(fit->size.height, {1, helper}, pump, [&scaler] {
      return [&scaler, rows = scaler.MakeThreadRows()](int32_t j, int32_t next) mutable {
        scaler.ScaleRow(j, next, rows);
      };
    });
  } else {
    // Unreadable pixels leave the source all zero: a black picture of the fitted size.
    std::memset(picture.pixels.data(), 0, picture.pixels.size());
    for (int32_t j = 0; j < fit->size.height; ++j) pump.PumpPending();
  }
  return picture;
}

}  // namespace drawing
