#pragma once
// The slow, plain form of the bilinear draw, kept as the oracle for the fast scaler:
// bounds-checked pixel grids filled through a bottom-up device-independent bitmap
// buffer, one GetBiliner call per channel and pixel, and the grid written back. The fit,
// the centred place and GetBiliner are its own, written plainly from the rules, so that it
// checks the program's as well.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "drawing/bilinear.h"

namespace bilinear_reference {

// The nearest whole number, a half going to the even one; nothing outside 32 bits.
inline std::optional<int32_t> Nearest(double x) {
  if (!std::isfinite(x)) return std::nullopt;
  const double below = std::floor(x);
  const double part = x - below;
  double whole = below + 1;
  if (part < 0.5 || (part == 0.5 && std::fmod(below, 2) == 0)) whole = below;
  if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(whole);
}

// A number to four decimal places, as a count of ten-thousandths: the double's exact decimal
// expansion is written out and cut after the fourth place, the rest settling the last place,
// exactly one half going to the even count.
inline std::optional<int64_t> FourDecimals(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  char text[1500];
  const auto written = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed, 1100);
  if (written.ec != std::errc()) return std::nullopt;
  const std::string digits(text, written.ptr);
  const size_t point = digits.find('.');
  const std::string whole = digits.substr(0, point);
  const std::string places = digits.substr(point + 1);
  if (whole.size() > 14) return std::nullopt;  // past 64 bits of ten-thousandths
  int64_t count = std::stoll(whole) * 10000 + std::stoll(places.substr(0, 4));
  const char fifth = places[4];
  const bool restIsZero = places.find_first_not_of('0', 5) == std::string::npos;
  if (fifth > '5' || (fifth == '5' && (!restIsZero || count % 2 != 0))) ++count;
  return value < 0 ? -count : count;
}

// Fits w x h into A x B keeping the aspect ratio, enlarging or reducing: first to the full
// width when A > B * w / h (that taken to four places), else to the full height, then the
// other way should the first overshoot. s is the scale, held to four places.
inline std::optional<drawing::BilinerFit> FitToArea(int64_t w, int64_t h, int64_t A, int64_t B) {
  if (w <= 0 || h <= 0 || A < 0 || B < 0) return std::nullopt;
  const auto widthAtFullHeight = FourDecimals(double(B) * w / h);
  if (!widthAtFullHeight) return std::nullopt;
  auto toWidth = [&]() -> std::optional<drawing::BilinerFit> {
    const auto nh = Nearest(double(A) * h / w);
    const auto s = FourDecimals(double(A) / w);
    if (!nh || !s) return std::nullopt;
    return drawing::BilinerFit{{int32_t(A), *nh}, *s};
  };
  auto toHeight = [&]() -> std::optional<drawing::BilinerFit> {
    const auto nw = Nearest(double(B) * w / h);
    const auto s = FourDecimals(double(B) / h);
    if (!nw || !s) return std::nullopt;
    return drawing::BilinerFit{{*nw, int32_t(B)}, *s};
  };
  if (A * 10000 > *widthAtFullHeight) {
    const auto fit = toWidth();
    if (fit && fit->size.height > B) return toHeight();
    return fit;
  }
  const auto fit = toHeight();
  if (fit && fit->size.width > A) return toWidth();
  return fit;
}

// Half of `twice`, a half going to the even neighbour.
inline int32_t HalfToEven(int64_t twice) {
  const int64_t below = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);
  if (below * 2 == twice || below % 2 == 0) return int32_t(below);
  return int32_t(below + 1);
}

// (A / 2 - nw / 2, B / 2 - nh / 2): a whole or half pixel, exact in single precision for
// every size up to 2^24, so the single-precision step of the paint call changes nothing.
inline platform::Point CentredPosition(platform::Size area, platform::Size fitted) {
  return {HalfToEven(int64_t{area.width} - fitted.width), HalfToEven(int64_t{area.height} - fitted.height)};
}

// Interpolates along the first grid index, then along the second: the weights (1 - fx)(1 - fy),
// fx(1 - fy), (1 - fx)fy and fx fy taken in two steps. The result goes to the nearest whole
// number, a half to the even one.
inline int16_t GetBiliner(int32_t p00, int32_t p10, int32_t p01, int32_t p11, double fx, double fy,
                          int32_t& result) {
  const double first = (1 - fx) * p00 + fx * p10;
  const double second = (1 - fx) * p01 + fx * p11;
  const auto value = Nearest((1 - fy) * first + fy * second);
  if (!value) return 1;
  result = *value;
  return 0;
}

// Bounds 0..lastColumn by 0..lastRow, all zero; an access outside them throws.
class PixelGrid {
 public:
  PixelGrid(int64_t lastColumn, int64_t lastRow)
      : lastColumn_(lastColumn), lastRow_(lastRow), cells_((lastColumn + 1) * (lastRow + 1)) {}
  uint32_t& At(int64_t column, int64_t row) {
    if (column < 0 || column > lastColumn_ || row < 0 || row > lastRow_)
      throw std::out_of_range("grid subscript");
    return cells_[row * (lastColumn_ + 1) + column];
  }

 private:
  int64_t lastColumn_;
  int64_t lastRow_;
  std::vector<uint32_t> cells_;
};

inline uint32_t PixelAt(const drawing::SourcePicture& picture, int64_t x, int64_t row) {
  uint32_t value;
  std::memcpy(&value, picture.pixels + row * picture.stride + x * 4, sizeof value);
  return value;
}

// W*H + 1 values, rows bottom-up: what reading the surface's scan lines hands back.
inline int32_t GetPicturePixels(const drawing::SourcePicture& picture, PixelGrid& grid) {
  const int64_t w = picture.width, h = picture.height;
  if (!picture.pixels) return -1;
  std::vector<uint32_t> buffer(w * h + 1);
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x < w; ++x) buffer[w * y + x] = PixelAt(picture, x, h - 1 - y);
  // x runs to W inclusive: column 0 takes the next row's first pixel and is never sampled.
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x <= w; ++x) grid.At(w - x, h - y) = buffer[w * y + x];
  return 0;
}

// Writes the grid into a top-down surface of W x H pixels.
inline int32_t SetPicturePixels(PixelGrid& grid, int64_t w, int64_t h,
                                drawing::PixelBytes& surface) {
  std::vector<uint32_t> buffer(w * h + 1);
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x <= w; ++x) buffer[w * y + x] = grid.At(w - x, h - y);
  surface.assign(w * h * 4, 0);
  for (int64_t y = 0; y < h; ++y)
    std::memcpy(surface.data() + (h - 1 - y) * w * 4, buffer.data() + w * y, w * 4);
  return 0;
}

inline int32_t ChannelOf(uint32_t pixel, int k) { return (pixel >> (8 * k)) & 0xFF; }

inline std::optional<drawing::BilinerPicture> DrawBilinerPicture(
    const drawing::SourcePicture& source, platform::Size area, platform::MessagePump& pump) {
  if (!source.loaded) return std::nullopt;
  const auto fit = FitToArea(source.width, source.height, area.width, area.height);
  if (!fit) return std::nullopt;
  const int64_t w = source.width, h = source.height;
  const int64_t nw = fit->size.width, nh = fit->size.height;
  const double s = double(fit->scaleTenThousandths) / drawing::kTenThousand;
  drawing::BilinerPicture picture;
  picture.size = fit->size;
  picture.position = CentredPosition(area, fit->size);
  try {
    PixelGrid sourceGrid(w, h);
    GetPicturePixels(source, sourceGrid);
    PixelGrid outputGrid(nw, nh);
    for (int64_t j = 0; j < nh; ++j) {
      for (int64_t i = 0; i < nw; ++i) {
        if (s == 0) throw std::domain_error("division by zero");
        const double sx = i * (1 / s) + 1;
        const double sy = j * (1 / s) + 1;
        int64_t ix = static_cast<int64_t>(sx);
        int64_t iy = static_cast<int64_t>(sy);
        const double fx = sx - ix;
        const double fy = sy - iy;
        const bool interior = ix < w - 1 && iy < h - 1;
        // A sample point past the grid takes its last element.
        ix = std::min(ix, w);
        iy = std::min(iy, h);
        uint32_t pixel = 0;
        for (int k = 0; k < 3; ++k) {
          const int32_t p00 = ChannelOf(sourceGrid.At(ix, iy), k);
          int32_t result = p00;
          if (interior &&
              GetBiliner(p00, ChannelOf(sourceGrid.At(ix + 1, iy), k),
                                   ChannelOf(sourceGrid.At(ix, iy + 1), k),
                                   ChannelOf(sourceGrid.At(ix + 1, iy + 1), k), fx, fy,
                                   result) != 0)
            result = p00;
          if (result < 0 || result > 255) throw std::overflow_error("channel value");
          pixel |= uint32_t(result) << (8 * k);
        }
        outputGrid.At(i + 1, j + 1) = pixel;
      }
      pump.PumpPending();
    }
    if (nw > 0 && nh > 0) SetPicturePixels(outputGrid, nw, nh, picture.pixels);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return picture;
}

}  // namespace bilinear_reference
