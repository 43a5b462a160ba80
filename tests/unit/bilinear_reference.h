#pragma once
// The slow, plain form of the bilinear draw, kept as the oracle for the fast scaler:
// bounds-checked pixel grids filled through a bottom-up device-independent bitmap
// buffer, one GetBiliner call per channel and pixel, and the grid written back.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <vector>

#include "pictures/bilinear.h"

namespace bilinear_reference {

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

inline uint32_t PixelAt(const pictures::SourcePicture& picture, int64_t x, int64_t row) {
  uint32_t value;
  std::memcpy(&value, picture.pixels + row * picture.stride + x * 4, sizeof value);
  return value;
}

// W*H + 1 values, rows bottom-up: what reading the surface's scan lines hands back.
inline int32_t GetPicturePixels(const pictures::SourcePicture& picture, PixelGrid& grid) {
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
                                pictures::PixelBytes& surface) {
  std::vector<uint32_t> buffer(w * h + 1);
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x <= w; ++x) buffer[w * y + x] = grid.At(w - x, h - y);
  surface.assign(w * h * 4, 0);
  for (int64_t y = 0; y < h; ++y)
    std::memcpy(surface.data() + (h - 1 - y) * w * 4, buffer.data() + w * y, w * 4);
  return 0;
}

inline int32_t ChannelOf(uint32_t pixel, int k) { return (pixel >> (8 * k)) & 0xFF; }

inline std::optional<pictures::BilinerPicture> DrawBilinerPicture(
    const pictures::SourcePicture& source, platform::Size area, platform::MessagePump& pump) {
  if (!source.loaded) return std::nullopt;
  const auto fit = pictures::FitBilinerPicture({source.width, source.height}, area);
  if (!fit) return std::nullopt;
  const int64_t w = source.width, h = source.height;
  const int64_t nw = fit->size.width, nh = fit->size.height;
  const double s = double(fit->scaleTenThousandths) / pictures::kTenThousand;
  pictures::BilinerPicture picture;
  picture.size = fit->size;
  picture.position = pictures::CentredPaintPosition(area, fit->size);
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
              pictures::GetBiliner(p00, ChannelOf(sourceGrid.At(ix + 1, iy), k),
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
