#include "pictures/orientation.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace pictures {
namespace {

// 32 x 32 pixels are 4 KiB: one tile read and one written fit the first-level cache.
constexpr uint32_t kTile = 32;

// Where stored pixel (column, row) goes in the upright picture: start + column * columnStep
// + row * rowStep.
struct Mapping {
  ptrdiff_t start;
  ptrdiff_t columnStep;
  ptrdiff_t rowStep;
};

Mapping MappingFor(uint32_t width, uint32_t height, Orientation orientation) {
  const ptrdiff_t w = width, h = height;
  switch (orientation) {
    case Orientation::MirrorLeftRight: return {w - 1, -1, w};
    case Orientation::Turn180: return {(h - 1) * w + w - 1, -1, -w};
    case Orientation::MirrorTopBottom: return {(h - 1) * w, 1, -w};
    case Orientation::Transpose: return {0, h, 1};
    case Orientation::TurnRight: return {h - 1, h, -1};
    case Orientation::Transverse: return {(w - 1) * h + h - 1, -h, -1};
    case Orientation::TurnLeft: return {(w - 1) * h, -h, 1};
    case Orientation::AsStored: break;
  }
  return {0, 1, w};
}

void MirrorRows(uint32_t* pixels, uint32_t width, uint32_t height) {
  for (uint32_t y = 0; y < height; ++y) std::reverse(pixels + size_t{y} * width, pixels + size_t{y + 1} * width);
}

void SwapRows(uint32_t* pixels, uint32_t width, uint32_t height) {
  for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(pixels + size_t{top} * width, pixels + size_t{top + 1} * width, pixels + size_t{bottom} * width);
}

}  // namespace

bool SwapsSides(Orientation orientation) {
  return orientation == Orientation::Transpose || orientation == Orientation::TurnRight ||
         orientation == Orientation::Transverse || orientation == Orientation::TurnLeft;
}

uint64_t TurnBufferPixels(uint32_t width, uint32_t height, Orientation orientation) {
  return SwapsSides(orientation) ? uint64_t{width} * height : 0;
}

// Within a tile the stored rows are read down each column, so that the upright picture is
// written along its rows for the quarter turns.
void TurnInto(const uint32_t* from, uint32_t width, uint32_t height, Orientation orientation, uint32_t* to) {
  const Mapping map = MappingFor(width, height, orientation);
  for (uint32_t top = 0; top < height; top += kTile) {
    const uint32_t bottom = std::min(height, top + kTile);
    for (uint32_t left = 0; left < width; left += kTile) {
      const uint32_t right = std::min(width, left + kTile);
      for (uint32_t x = left; x < right; ++x) {
        ptrdiff_t out = map.start + static_cast<ptrdiff_t>(x) * map.columnStep + static_cast<ptrdiff_t>(top) * map.rowStep;
        for (size_t in = size_t{top} * width + x, end = size_t{bottom} * width; in < end; in += width, out += map.rowStep)
          to[out] = from[in];
      }
    }
  }
}

bool TurnUpright(LoadedPicture& picture, Orientation orientation) {
  const uint32_t width = static_cast<uint32_t>(picture.width), height = static_cast<uint32_t>(picture.height);
  if (picture.pixels.size() != size_t{width} * height) return false;
  switch (orientation) {
    case Orientation::AsStored: return true;
    case Orientation::MirrorLeftRight: MirrorRows(picture.pixels.data(), width, height); return true;
    case Orientation::Turn180: std::reverse(picture.pixels.begin(), picture.pixels.end()); return true;
    case Orientation::MirrorTopBottom: SwapRows(picture.pixels.data(), width, height); return true;
    default: break;
  }
  PixelWords upright;
  try {
    upright.resize(picture.pixels.size());
  } catch (const std::bad_alloc&) {
    return false;
  }
  TurnInto(picture.pixels.data(), width, height, orientation, upright.data());
  picture.pixels = std::move(upright);
  std::swap(picture.width, picture.height);
  return true;
}

}  // namespace pictures
