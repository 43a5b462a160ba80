#pragma once
// Converting a picture's pixels from the colours of its profile to those of the display, in
// place: source curves, one 3 x 3 matrix, the display's inverse curves (relative
// colorimetric, no black-point compensation), on straight 32-bit blue-green-red pixels
// whose byte 3 is left as it is.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/icc_profile.h"

namespace pictures {

// The program's own sRGB profile: the colorants sRGB profiles commonly give (adapted to
// D50) and the sRGB curve as `para` function 3. Its ICC bytes, and what they say.
const std::vector<uint8_t>& SrgbProfileBytes();
const MatrixProfile& SrgbProfile();

// A picture whose profile is sRGB in all but rounding is shown as stored: curves within
// 0.5/255 of sRGB's at all 256 inputs and colorants within 2^-16 of the built-in ones.
bool IsSrgb(const MatrixProfile& profile);

// The same profile saved at another time: equal bytes but for the header's date (bytes
// 24-35) and profile ID (bytes 84-99).
bool IsSameProfile(const uint8_t* a, size_t aSize, const uint8_t* b, size_t bSize);

// Automatic takes AVX2 where the processor has it; every kernel gives the same bytes.
enum class ColourKernel { Automatic, Scalar, Sse2, Avx2 };

// What the kernels work from; indices 0, 1, 2 are blue, green, red, the pixel's byte order.
struct ColourTables {
  // The source's linear light for each device value.
  std::array<std::array<float, 256>, 3> linear{};
  // Destination channel by source channel.
  std::array<std::array<float, 3>, 3> matrix{};
  // Back to device values without a search: a linear value's float bits less lowestBits
  // (0 below that) are cut into cells of 2^cellShift. Each cell's entry holds the code at
  // the cell's start (bits 0-7), the code from the split on (bits 8-15) and the split's
  // place in the cell (bits 16-31). The cells are made fine enough that no cell holds two
  // different rounding points, so the code is exact.
  std::array<std::vector<uint32_t>, 3> cells;
  int32_t lowestBits = 0;
  int32_t cellShift = 0;
};

class ColourTransform {
 public:
  // Nothing when the destination cannot be inverted: a grey one, colorants without an
  // inverse, a curve that falls anywhere or rises too steeply for the cells.
  static std::optional<ColourTransform> Make(const MatrixProfile& source, const MatrixProfile& destination);

  void Apply(uint32_t* pixels, size_t count, ColourKernel kernel = ColourKernel::Automatic) const;
  // Rows `stride` bytes apart (rows 4-byte aligned), each of width pixels; a band of a
  // picture is converted the same as the whole.
  void Apply(uint8_t* rows, int32_t width, int32_t height, size_t stride,
             ColourKernel kernel = ColourKernel::Automatic) const;

 private:
  ColourTables tables_;
};

bool ColourAvx2Available();

// The vector kernels take pixels a block at a time and read the tables with plain loads
// between their vector steps: many processors gather slowly, and every one loads fast.
inline constexpr size_t kColourBlock = 64;
struct ColourBlock {
  std::array<std::array<float, kColourBlock>, 3> linear;
  // A converted value's float bits less lowestBits, 0 below.
  std::array<std::array<int32_t, kColourBlock>, 3> place;
  // The cell's index, then its entry.
  std::array<std::array<uint32_t, kColourBlock>, 3> cell;
};

// The vector steps of one kernel: places and cell indices from linear values, then the
// converted pixels from the cells.
struct ColourSteps {
  void (*toPlaces)(const ColourTables&, ColourBlock&);
  void (*store)(const ColourTables&, const ColourBlock&, uint32_t* pixels);
};
void ToPlacesSse2(const ColourTables& tables, ColourBlock& block);
void StoreSse2(const ColourTables& tables, const ColourBlock& block, uint32_t* pixels);
void ToPlacesAvx2(const ColourTables& tables, ColourBlock& block);
void StoreAvx2(const ColourTables& tables, const ColourBlock& block, uint32_t* pixels);

}  // namespace pictures
