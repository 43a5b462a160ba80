#pragma once
// Bilinear smoothing of one picture into the display area: the fit, the centred place
// and the table-driven scaler. Pixels are 32-bit blue, green, red, unused.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "drawing/uninitialised_allocator.h"
#include "platform/geometry.h"
#include "platform/ports.h"

namespace drawing {

inline constexpr int64_t kTenThousand = 10000;

// A decoded picture as the scaler reads it: rows top-down, `stride` bytes apart.
struct SourcePicture {
  bool loaded = false;              // false: the file could not be loaded as a picture
  int32_t width = 0;
  int32_t height = 0;
  const uint8_t* pixels = nullptr;  // null: the size is known but the pixels could not be read
  size_t stride = 0;
  // Byte 3 is opacity: each pixel is smoothed as it would show over the cleared window's
  // black (OverBlack). Otherwise byte 3 is not read.
  bool hasAlpha = false;
};

using PixelBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// What to show: the saver window is cleared, then `pixels` painted at `position`.
struct BilinerPicture {
  platform::Size size;        // the fitted size; a side may be 0
  platform::Point position;   // top-left corner on the saver window
  // size.width * size.height pixels, rows top-down without gaps, byte 3 always 0;
  // empty when a side is 0.
  PixelBytes pixels;
};

struct BilinerFit {
  platform::Size size;
  int64_t scaleTenThousandths = 0;  // the scale factor s, fixed point with four decimals
};

// Automatic takes AVX2 where the processor has it; every kernel gives the same bytes.
enum class BilinerKernel { Automatic, Sse2, Avx2 };

// The number of ten-thousandths nearest to the exact binary value of `value`, a tie going
// to the even count. Nothing for a value that is not finite or does not fit 64 bits.
std::optional<int64_t> ToTenThousandths(double value);

// Nearest whole number, a tie going to the even one; nothing outside 32 bits.
std::optional<int32_t> RoundToInt32(double value);

// Fits picture into area keeping its aspect ratio, enlarging or reducing. Nothing when the
// arithmetic fails: a side of 0, a negative area, a value that overflows.
std::optional<BilinerFit> FitBilinerPicture(platform::Size picture, platform::Size area);

// Centres fitted in area; a half pixel goes to the even neighbour.
platform::Point CentredPaintPosition(platform::Size area, platform::Size fitted);

// Interpolates one 8-bit channel between the four neighbours p00, p10 (next along the
// first grid index), p01 and p11. Always succeeds: writes 0..255 to result, returns 0.
int16_t GetBiliner(int32_t p00, int32_t p10, int32_t p01, int32_t p11, double fx, double fy,
                   int32_t& result);

bool Avx2Available();

// Fits and scales source for the area A x B, pumping messages once per output row.
// Nothing when the routine ends early (picture not loaded, overflow, too large to hold):
// then the window is neither cleared nor painted and the show goes on. With a helper that
// has a thread, the helper's thread scales rows from the bottom while this thread scales
// from the top and pumps messages after each of its rows and while it waits for the
// helper; the bytes are the same either way.
std::optional<BilinerPicture> DrawBilinerPicture(const SourcePicture& source, platform::Size area,
                                                 platform::MessagePump& pump,
                                                 BilinerKernel kernel = BilinerKernel::Automatic,
                                                 platform::Worker* helper = nullptr);

// The vector kernels, shared by the scaler's own files. Output column i counts from the
// right edge: it samples the source pixel at byte offset offsets[i] of a row and that
// pixel's left neighbour 4 bytes before, and lands i pixels left of `rightmost`.

// Both steps of one output row at once, for rows whose source rows are not used again.
struct BlendRun {
  const uint8_t* upper = nullptr;
  const uint8_t* lower = nullptr;
  const ptrdiff_t* offsets = nullptr;
  const double* fx = nullptr;
  const double* gx = nullptr;  // 1 - fx
  double fy = 0;
  double gy = 0;               // 1 - fy
  int32_t count = 0;
  uint8_t* rightmost = nullptr;
};

// The first step alone, for a source row that several output rows share: four doubles
// (blue, green, red, unused) per output column into `out`.
struct RowSpan {
  const uint8_t* row = nullptr;
  const ptrdiff_t* offsets = nullptr;
  const double* fx = nullptr;
  const double* gx = nullptr;
  int32_t count = 0;
  double* out = nullptr;
};

// The second step from two rows made by the first.
struct RowBlend {
  const double* upper = nullptr;
  const double* lower = nullptr;
  double fy = 0;
  double gy = 0;
  int32_t count = 0;
  uint8_t* rightmost = nullptr;
};

// Taken by value: the kernels' byte stores could otherwise alias the fields.
struct Kernels {
  void (*blendRun)(BlendRun);
  void (*alongRow)(RowSpan);
  void (*blendRows)(RowBlend);
  void (*blendFreshRow)(RowBlend, RowSpan);  // makes the lower row (into lower.out) as it goes
};

void BlendRunSse2(BlendRun run);
void AlongRowSse2(RowSpan span);
void BlendRowsSse2(RowBlend blend);
void BlendFreshRowSse2(RowBlend blend, RowSpan lower);
void BlendRunAvx2(BlendRun run);
void AlongRowAvx2(RowSpan span);
void BlendRowsAvx2(RowBlend blend);
void BlendFreshRowAvx2(RowBlend blend, RowSpan lower);

}  // namespace drawing
