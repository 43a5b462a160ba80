#pragma once
// A decoded picture, as the loader makes it and the show draws it.
#include <cstdint>
#include <vector>

#include "pictures/pixel_store.h"

namespace pictures {

// 32-bit pixels whose storage is not zeroed first (the decoder fills every one) and comes
// from the PixelStore.
using PixelWords = std::vector<uint32_t, PixelAllocator<uint32_t>>;

// A picture at its natural size as 32-bit blue-green-red pixels, row by row, upright.
// A file that cannot be loaded leaves the 1 x 1 of a cleared loader.
struct LoadedPicture {
  int32_t width = 1;
  int32_t height = 1;
  PixelWords pixels;
  // True when byte 3 of each pixel is its opacity, 0 (transparent) to 255 (opaque), not
  // premultiplied; false when byte 3 means nothing and every pixel is opaque.
  bool hasAlpha = false;
};

}  // namespace pictures
