#include "show/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace show {

namespace {

// Nearest whole number, halves to the even neighbour, whatever the FPU rounding mode.
int64_t Nearest(double value) {
  double down = std::floor(value);
  double fraction = value - down;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0.0)) down += 1.0;
  return static_cast<int64_t>(down);
}

int32_t ClampToInt32(int64_t value) {
  constexpr int64_t kLow = std::numeric_limits<int32_t>::min();
  constexpr int64_t kHigh = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(value, kLow, kHigh));
}

struct DrawSize {
  int64_t width;
  int64_t height;
};

// Sizes stay in 64 bits until the end, so a height that is about to be limited
// cannot overflow on the way.
void ScaleToWidth(DrawSize& draw, double w, double h, int64_t areaWidth) {
  draw.width = areaWidth;
  draw.height = Nearest(h * static_cast<double>(areaWidth) / w);
}

void LimitHeight(DrawSize& draw, double w, double h, int64_t areaHeight) {
  if (draw.height <= areaHeight) return;
  draw.height = areaHeight;
  draw.width = Nearest(w * static_cast<double>(areaHeight) / h);
}

// From 1 to the room left; 1 when there is none; an overhang of random depth when the
// picture is larger than the area.
int64_t RandomOffset(float r, int64_t extent, int64_t drawn) {
  const double slack = static_cast<double>(extent - drawn);
  return static_cast<int64_t>(std::floor(static_cast<double>(r) * slack + 1.0));
}

int64_t CentredOffset(int64_t extent, int64_t drawn) {
  return Nearest(static_cast<double>(extent - drawn) / 2.0);
}

int64_t Offset(bool centred, float r, int64_t extent, int64_t drawn) {
  return centred ? CentredOffset(extent, drawn) : RandomOffset(r, extent, drawn);
}

}  // namespace

platform::Size FitPicture(platform::Size picture, platform::Size area, const FitOptions& options) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const double w = picture.width;
  const double h = picture.height;
  const int64_t a = area.width;
  const int64_t b = area.height;
  DrawSize draw{picture.width, picture.height};
  const bool large = w >= a || h >= b;
  if (large && options.shrinkLarge) {
    if (w > a) ScaleToWidth(draw, w, h, a);
    LimitHeight(draw, w, h, b);
  } else if (!large && options.enlargeSmall) {
    ScaleToWidth(draw, w, h, a);
    LimitHeight(draw, w, h, b);
  }
  return {ClampToInt32(draw.width), ClampToInt32(draw.height)};
}

Placement PlacePicture(platform::Size picture, platform::Size area, const FitOptions& options,
                       float r1, float r2) {
  const platform::Size size = FitPicture(picture, area, options);
  const int64_t x = Offset(options.centred, r1, area.width, size.width);
  const int64_t y = Offset(options.centred, r2, area.height, size.height);
  return {{ClampToInt32(x), ClampToInt32(y)}, size};
}

Placement PlacePicture(platform::Size picture, platform::Size area, const FitOptions& options,
                       platform::Random& random) {
  const float r1 = random.Next();
  const float r2 = random.Next();
  return PlacePicture(picture, area, options, r1, r2);
}

}  // namespace show
