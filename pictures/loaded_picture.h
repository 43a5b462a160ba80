#pragma once
// A decoded picture, as the loader makes it and the show draws it.
#include <cstdint>
#include <vector>

#include "pictures/pixel_store.h"

namespace pictures {

// 32-bit pixels whose storage is not zeroed first (the decoder fills every one) and comes
// from the PixelStore.
using PixelWords = std::vector<uint32_t, PixelAllocator<uint32_t>>;

// A picture at its natural size as 32-bit blue-green-red-unused pixels, row by row.
// A file that cannot be loaded leaves the 1 x 1 of a cleared loader.
struct LoadedPicture {
  int32_t width = 1;
  int32_t height = 1;
  PixelWords pixels;
};

}  // namespace pictures
