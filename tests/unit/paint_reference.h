#pragma once
// The slow, plain form of painting, kept as the oracle for the fast painter and for the
// smoothing of pictures with opacity: every pixel of the buffer is visited, its centre taken
// back into the picture in floating point, and each channel mixed by the plain formula,
// opaque pixels included.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/geometry.h"

namespace paint_reference {

// 32-bit pixels, every access bounds-checked.
struct Pixels {
  Pixels(int64_t w, int64_t h) : width(w), height(h), values(size_t(w * h)) {}
  uint32_t& At(int64_t x, int64_t y) {
    if (x < 0 || x >= width || y < 0 || y >= height) throw std::out_of_range("pixel outside the picture");
    return values[size_t(y * width + x)];
  }
  uint32_t At(int64_t x, int64_t y) const { return const_cast<Pixels*>(this)->At(x, y); }
  int64_t width;
  int64_t height;
  std::vector<uint32_t> values;
};

inline uint32_t Channel(uint32_t pixel, int k) { return pixel >> (8 * k) & 0xFF; }

// colour * a + under * (255 - a) over 255, to the nearest whole number, for each channel;
// byte 3 of the result 0.
inline uint32_t Mix(uint32_t pixel, uint32_t under, uint32_t a) {
  uint32_t mixed = 0;
  for (int k = 0; k < 3; ++k) {
    const double exact = (double(Channel(pixel, k)) * a + double(Channel(under, k)) * (255 - a)) / 255;
    mixed |= uint32_t(std::floor(exact + 0.5)) << (8 * k);
  }
  return mixed;
}

inline uint32_t OverBlack(uint32_t pixel) { return Mix(pixel, 0, pixel >> 24); }

// The source pixel under the centre of output pixel u of `drawn`.
inline int64_t Sampled(int64_t u, int64_t sourceSize, int64_t drawn) {
  return int64_t(std::floor((double(u) + 0.5) * double(sourceSize) / double(drawn)));
}

// Paints source into the rectangle at `position` of `size` over target; returns the
// rectangle of the target inside it (empty: all zero).
inline platform::Rect Paint(const Pixels& source, bool hasAlpha, platform::Point position, platform::Size size,
                            Pixels& target) {
  platform::Rect painted{};
  bool any = false;
  for (int64_t y = 0; y < target.height; ++y) {
    for (int64_t x = 0; x < target.width; ++x) {
      const int64_t u = x - position.x, v = y - position.y;
      if (u < 0 || v < 0 || u >= size.width || v >= size.height) continue;
      if (!any) painted = {int32_t(x), int32_t(y), int32_t(x + 1), int32_t(y + 1)};
      any = true;
      painted.right = std::max(painted.right, int32_t(x + 1));
      painted.bottom = int32_t(y + 1);
      const uint32_t pixel = source.At(Sampled(u, source.width, size.width), Sampled(v, source.height, size.height));
      const uint32_t a = hasAlpha ? pixel >> 24 : 255;
      if (a == 0) continue;
      target.At(x, y) = Mix(pixel, target.At(x, y), a);
    }
  }
  return painted;
}

}  // namespace paint_reference
