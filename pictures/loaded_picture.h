#pragma once
// A decoded picture, as the loader makes it and the show draws it.
#include <cstdint>
#include <vector>

namespace pictures {

// A picture at its natural size as 32-bit blue-green-red-unused pixels, row by row.
// A file that cannot be loaded leaves the 1 x 1 of a cleared loader.
struct LoadedPicture {
  int32_t width = 1;
  int32_t height = 1;
  std::vector<uint32_t> pixels;
};

}  // namespace pictures
