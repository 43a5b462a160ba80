#include "pictures/colour_transform.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pictures {
namespace {

// s15Fixed16 numbers of the sRGB colorants most sRGB profiles carry, and of D50.
constexpr int32_t kSrgbColorants[3][3] = {
    {0x6FA2, 0x38F5, 0x0390}, {0x6299, 0xB785, 0x18DA}, {0x24A0, 0x0F84, 0xB6CF}};
constexpr int32_t kD50Fixed[3] = {0xF6D6, 0x10000, 0xD32D};
// The sRGB curve: g, a, b, c, d of `para` function 3.
constexpr double kSrgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};

class IccWriter {
 public:
  void Put32(uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(uint8_t(value >> shift));
  }
  void Put16(uint16_t value) {
    bytes_.push_back(uint8_t(value >> 8));
    bytes_.push_back(uint8_t(value));
  }
  void PutText(const char* text) {
    for (; *text; ++text) bytes_.push_back(uint8_t(*text));
  }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Set32(size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = uint8_t(value >> (24 - 8 * i));
  }
  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

void PutXyz(IccWriter& out, const int32_t (&xyz)[3]) {
  out.PutText("XYZ ");
  out.Put32(0);
  for (int32_t value : xyz) out.Put32(uint32_t(value));
}

// A version 4 display profile: description, white point, colorants and one curve that the
// three curve tags share.
std::vector<uint8_t> MakeSrgbBytes() {
  IccWriter out;
  out.Put32(0);  // the size, set at the end
  out.Put32(0);
  out.Put32(0x04300000);
  out.PutText("mntrRGB XYZ ");
  for (int i = 0; i < 6; ++i) out.Put16(0);  // date: none
  out.PutText("acsp");
  while (out.Size() < 64) out.Put32(0);
  out.Put32(1);  // relative colorimetric
  for (int32_t value : kD50Fixed) out.Put32(uint32_t(value));
  while (out.Size() < 128) out.Put32(0);

  const char* const kNames[] = {"desc", "wtpt", "rXYZ", "gXYZ", "bXYZ", "rTRC", "gTRC", "bTRC"};
  constexpr size_t kTags = sizeof kNames / sizeof kNames[0];
  out.Put32(kTags);
  const size_t table = out.Size();
  for (const char* name : kNames) {
    out.PutText(name);
    out.Put32(0);
    out.Put32(0);
  }
  auto place = [&](size_t index, size_t start) {
    out.Set32(table + 12 * index + 4, uint32_t(start));
    out.Set32(table + 12 * index + 8, uint32_t(out.Size() - start));
    out.Align();
  };
  size_t start = out.Size();
  const char kDescription[] = "sRGB (built in)";
  out.PutText("mluc");
  out.Put32(0);
  out.Put32(1);
  out.Put32(12);
  out.PutText("enUS");
  out.Put32(2 * (sizeof kDescription - 1));
  out.Put32(28);
  for (const char* c = kDescription; *c; ++c) out.Put16(uint8_t(*c));
  place(0, start);
  start = out.Size();
  PutXyz(out, kD50Fixed);
  place(1, start);
  for (size_t i = 0; i < 3; ++i) {
    start = out.Size();
    PutXyz(out, kSrgbColorants[i]);
    place(2 + i, start);
  }
  start = out.Size();
  out.PutText("para");
  out.Put32(0);
  out.Put16(3);
  out.Put16(0);
  for (double value : kSrgbCurve) out.Put32(uint32_t(int32_t(std::lround(value * 65536))));
  for (size_t i = 5; i < kTags; ++i) {
    out.Set32(table + 12 * i + 4, uint32_t(start));
    out.Set32(table + 12 * i + 8, uint32_t(out.Size() - start));
  }
  out.Set32(0, uint32_t(out.Size()));
  return out.Take();
}

using Matrix3 = std::array<std::array<double, 3>, 3>;

// Columns red, green, blue: the XYZ of each primary at full strength.
Matrix3 ColorantMatrix(const MatrixProfile& profile) {
  Matrix3 m{};
  for (int column = 0; column < 3; ++column) {
    // A grey value lights all three alike, to the D50 white in all.
    const Xyz c = profile.grey ? Xyz{kD50.x / 3, kD50.y / 3, kD50.z / 3} : profile.colorants[column];
    m[0][column] = c.x;
    m[1][column] = c.y;
    m[2][column] = c.z;
  }
  return m;
}

std::optional<Matrix3> Inverse(const Matrix3& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!std::isfinite(det) || std::fabs(det) < 1e-9) return std::nullopt;
  Matrix3 inverse{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inverse[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
    }
  return inverse;
}

Matrix3 Product(const Matrix3& a, const Matrix3& b) {
  Matrix3 p{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) p[r][c] += a[r][k] * b[k][c];
  return p;
}

int32_t FloatBits(float value) {
  int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Linear values at which the device code steps up: code k takes the values from
// rounding[k - 1] (where the curve reaches the midpoint of k - 1 and k) on, as float bits.
using RoundingPoints = std::array<int32_t, 255>;

std::optional<RoundingPoints> RoundingPointsOf(const ToneCurve& curve) {
  RoundingPoints points{};
  for (int k = 1; k <= 255; ++k) {
    const float value = float(curve.Evaluate((k - 0.5) / 255));
    points[k - 1] = FloatBits(value > 0 ? value : 0.0f);  // never the bits of -0
    if (k > 1 && points[k - 1] < points[k - 2]) return std::nullopt;
  }
  return points;
}

constexpr int kFirstMantissaBits = 7;  // the split's 16 bits then hold any place in a cell
constexpr int kLastMantissaBits = 12;
constexpr int kFloatMantissaBits = 23;
constexpr int kDeepestOctave = 64;

// The cells for one channel, or nothing when a cell would hold two different points.
std::optional<std::vector<uint32_t>> CellsOf(const RoundingPoints& points, int32_t lowestBits, int shift,
                                             int octaves) {
  const size_t count = (size_t(octaves) << (kFloatMantissaBits - shift)) + 1;
  std::vector<uint32_t> cells(count);
  const int32_t width = int32_t{1} << shift;
  size_t next = 0;  // the first point above the current cell's start
  for (size_t i = 0; i < count; ++i) {
    const int32_t start = lowestBits + int32_t(i) * width;
    while (next < points.size() && points[next] <= start) ++next;
    const uint32_t base = uint32_t(next);
    uint32_t after = base;
    uint32_t split = 0;
    if (next < points.size() && points[next] < start + width) {
      const int32_t place = points[next];
      size_t last = next;
      while (last < points.size() && points[last] == place) ++last;
      if (last < points.size() && points[last] < start + width) return std::nullopt;
      after = uint32_t(last);
      split = uint32_t(place - start);
    }
    cells[i] = base | after << 8 | split << 16;
  }
  return cells;
}

// How many octaves below 1 the cells reach: every point that is not 0 lies above the
// lowest cell's start, so all values below it have the code of 0.
std::optional<int> OctavesFor(const std::array<RoundingPoints, 3>& points) {
  int32_t smallest = FloatBits(1.0f);
  for (const RoundingPoints& channel : points)
    for (int32_t point : channel)
      if (point > 0) smallest = std::min(smallest, point);
  for (int octaves = 1; octaves <= kDeepestOctave; ++octaves)
    if (FloatBits(std::ldexp(1.0f, -octaves)) < smallest) return octaves;
  return std::nullopt;
}

bool MakeCells(const MatrixProfile& destination, ColourTables& tables) {
  std::array<RoundingPoints, 3> points{};
  for (int c = 0; c < 3; ++c) {
    const auto channel = RoundingPointsOf(destination.curves[2 - c]);
    if (!channel) return false;
    points[c] = *channel;
  }
  const auto octaves = OctavesFor(points);
  if (!octaves) return false;
  tables.lowestBits = FloatBits(std::ldexp(1.0f, -*octaves));
  for (int mantissa = kFirstMantissaBits; mantissa <= kLastMantissaBits; ++mantissa) {
    tables.cellShift = kFloatMantissaBits - mantissa;
    bool fine = true;
    for (int c = 0; c < 3 && fine; ++c) {
      auto cells = CellsOf(points[c], tables.lowestBits, tables.cellShift, *octaves);
      fine = cells.has_value();
      if (fine) tables.cells[c] = std::move(*cells);
    }
    if (fine) return true;
  }
  return false;
}

bool Near(const Xyz& a, const Xyz& b, double tolerance) {
  return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance && std::fabs(a.z - b.z) <= tolerance;
}

}  // namespace

const std::vector<uint8_t>& SrgbProfileBytes() {
  static const std::vector<uint8_t> bytes = MakeSrgbBytes();
  return bytes;
}

const MatrixProfile& SrgbProfile() {
  static const MatrixProfile profile = *ReadIccProfile(SrgbProfileBytes().data(), SrgbProfileBytes().size())->matrix;
  return profile;
}

bool IsSrgb(const MatrixProfile& profile) {
  if (profile.grey) return false;
  const MatrixProfile& srgb = SrgbProfile();
  for (int c = 0; c < 3; ++c) {
    if (!Near(profile.colorants[c], srgb.colorants[c], 1.0 / 65536)) return false;
    for (int v = 0; v < 256; ++v)
      if (std::fabs(profile.curves[c].Evaluate(v / 255.0) - srgb.curves[c].Evaluate(v / 255.0)) > 0.5 / 255)
        return false;
  }
  return true;
}

bool IsSameProfile(const uint8_t* a, size_t aSize, const uint8_t* b, size_t bSize) {
  if (aSize != bSize) return false;
  auto same = [&](size_t from, size_t to) {
    from = std::min(from, aSize);
    to = std::min(to, aSize);
    return from >= to || std::memcmp(a + from, b + from, to - from) == 0;
  };
  return same(0, 24) && same(36, 84) && same(100, aSize);
}

std::optional<ColourTransform> ColourTransform::Make(const MatrixProfile& source,
                                                     const MatrixProfile& destination) {
  if (destination.grey) return std::nullopt;
  const auto inverse = Inverse(ColorantMatrix(destination));
  if (!inverse) return std::nullopt;
  ColourTransform transform;
  ColourTables& tables = transform.tables_;
  const Matrix3 rgb = Product(*inverse, ColorantMatrix(source));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) tables.matrix[r][c] = float(rgb[2 - r][2 - c]);
  for (int c = 0; c < 3; ++c)
    for (int v = 0; v < 256; ++v) tables.linear[c][v] = float(source.curves[2 - c].Evaluate(v / 255.0));
  if (!MakeCells(destination, tables)) return std::nullopt;
  return transform;
}

bool ColourAvx2Available() {
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available;
}

namespace {

// The plain form, one pixel at a time. The float steps are those of the vector kernels, in
// the same order: the products are rounded before each sum, and the clip is the vector max
// and min.
uint32_t ConvertPixel(const ColourTables& t, uint32_t pixel) {
  const float source[3] = {t.linear[0][pixel & 0xFF], t.linear[1][pixel >> 8 & 0xFF], t.linear[2][pixel >> 16 & 0xFF]};
  uint32_t converted = pixel & 0xFF000000;
  for (int c = 0; c < 3; ++c) {
    float value = t.matrix[c][0] * source[0] + t.matrix[c][1] * source[1];
    value = value + t.matrix[c][2] * source[2];
    value = value > 0 ? value : 0.0f;
    value = value < 1 ? value : 1.0f;
    int32_t place = FloatBits(value) - t.lowestBits;
    place &= ~(place >> 31);
    const uint32_t cell = t.cells[c][size_t(place >> t.cellShift)];
    const int32_t inCell = place & ((int32_t{1} << t.cellShift) - 1);
    const uint32_t code = inCell < int32_t(cell >> 16) ? cell & 0xFF : cell >> 8 & 0xFF;
    converted |= code << (8 * c);
  }
  return converted;
}

void ConvertPixelsScalar(const ColourTables& tables, uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) pixels[i] = ConvertPixel(tables, pixels[i]);
}

void ReadLinear(const ColourTables& t, const uint32_t* pixels, ColourBlock& block) {
  for (size_t i = 0; i < kColourBlock; ++i) {
    const uint32_t pixel = pixels[i];
    block.linear[0][i] = t.linear[0][pixel & 0xFF];
    block.linear[1][i] = t.linear[1][pixel >> 8 & 0xFF];
    block.linear[2][i] = t.linear[2][pixel >> 16 & 0xFF];
  }
}

void ReadCells(const ColourTables& t, ColourBlock& block) {
  for (int c = 0; c < 3; ++c) {
    const uint32_t* cells = t.cells[c].data();
    for (uint32_t& cell : block.cell[c]) cell = cells[cell];
  }
}

void ConvertBlock(const ColourTables& t, ColourSteps steps, ColourBlock& block, uint32_t* pixels) {
  ReadLinear(t, pixels, block);
  steps.toPlaces(t, block);
  ReadCells(t, block);
  steps.store(t, block, pixels);
}

// The last pixels go through a whole block of their own, so that every pixel takes the
// vector steps.
void ConvertInBlocks(const ColourTables& t, ColourSteps steps, uint32_t* pixels, size_t count) {
  ColourBlock block;
  size_t done = 0;
  for (; done + kColourBlock <= count; done += kColourBlock) ConvertBlock(t, steps, block, pixels + done);
  if (done == count) return;
  std::array<uint32_t, kColourBlock> rest{};
  std::memcpy(rest.data(), pixels + done, (count - done) * sizeof(uint32_t));
  ConvertBlock(t, steps, block, rest.data());
  std::memcpy(pixels + done, rest.data(), (count - done) * sizeof(uint32_t));
}

struct Sse2Constants {
  explicit Sse2Constants(const ColourTables& t)
      : lowest(_mm_set1_epi32(t.lowestBits)),
        inCellMask(_mm_set1_epi32((int32_t{1} << t.cellShift) - 1)),
        shift(_mm_cvtsi32_si128(t.cellShift)) {}
  __m128i lowest, inCellMask, shift;
  __m128i byte = _mm_set1_epi32(0xFF);
};

__m128i Sse2Code(const Sse2Constants& k, const ColourBlock& block, int c, size_t i) {
  const __m128i place = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&block.place[c][i]));
  const __m128i cell = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&block.cell[c][i]));
  const __m128i below = _mm_cmplt_epi32(_mm_and_si128(place, k.inCellMask), _mm_srli_epi32(cell, 16));
  const __m128i base = _mm_and_si128(cell, k.byte);
  const __m128i after = _mm_and_si128(_mm_srli_epi32(cell, 8), k.byte);
  return _mm_or_si128(_mm_and_si128(below, base), _mm_andnot_si128(below, after));
}

}  // namespace

void ToPlacesSse2(const ColourTables& t, ColourBlock& block) {
  const Sse2Constants k(t);
  for (size_t i = 0; i < kColourBlock; i += 4) {
    const __m128 source[3] = {_mm_loadu_ps(&block.linear[0][i]), _mm_loadu_ps(&block.linear[1][i]),
                              _mm_loadu_ps(&block.linear[2][i])};
    for (int c = 0; c < 3; ++c) {
      const auto& row = t.matrix[c];
      __m128 value = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(row[0]), source[0]), _mm_mul_ps(_mm_set1_ps(row[1]), source[1]));
      value = _mm_add_ps(value, _mm_mul_ps(_mm_set1_ps(row[2]), source[2]));
      value = _mm_min_ps(_mm_max_ps(value, _mm_setzero_ps()), _mm_set1_ps(1.0f));
      __m128i place = _mm_sub_epi32(_mm_castps_si128(value), k.lowest);
      place = _mm_andnot_si128(_mm_srai_epi32(place, 31), place);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(&block.place[c][i]), place);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(&block.cell[c][i]), _mm_srl_epi32(place, k.shift));
    }
  }
}

void StoreSse2(const ColourTables& t, const ColourBlock& block, uint32_t* pixels) {
  const Sse2Constants k(t);
  for (size_t i = 0; i < kColourBlock; i += 4) {
    __m128i* at = reinterpret_cast<__m128i*>(pixels + i);
    __m128i converted = _mm_and_si128(_mm_loadu_si128(at), _mm_set1_epi32(int32_t(0xFF000000)));
    converted = _mm_or_si128(converted, Sse2Code(k, block, 0, i));
    converted = _mm_or_si128(converted, _mm_slli_epi32(Sse2Code(k, block, 1, i), 8));
    converted = _mm_or_si128(converted, _mm_slli_epi32(Sse2Code(k, block, 2, i), 16));
    _mm_storeu_si128(at, converted);
  }
}

void ColourTransform::Apply(uint32_t* pixels, size_t count, ColourKernel kernel) const {
  if (kernel == ColourKernel::Scalar)
    ConvertPixelsScalar(tables_, pixels, count);
  else if (kernel != ColourKernel::Sse2 && ColourAvx2Available())
    ConvertInBlocks(tables_, {ToPlacesAvx2, StoreAvx2}, pixels, count);
  else
    ConvertInBlocks(tables_, {ToPlacesSse2, StoreSse2}, pixels, count);
}

void ColourTransform::Apply(uint8_t* rows, int32_t width, int32_t height, size_t stride,
                            ColourKernel kernel) const {
  for (int32_t y = 0; y < height; ++y)
    Apply(reinterpret_cast<uint32_t*>(rows + size_t(y) * stride), size_t(std::max(width, 0)), kernel);
}

}  // namespace pictures
