#pragma once
// Decodes BMP, JPEG and GIF files (a GIF's first frame) into 32-bit pixels.
#include <string>

#include "pictures/loaded_picture.h"

namespace pictures {

// Nothing a file holds can make this crash or allocate without bound: the size is checked
// before any pixels are allocated. False leaves picture untouched.
bool LoadPictureFile(const std::wstring& path, LoadedPicture& picture);

// Larger pictures are refused: 65535 pixels along a side, 2^28 pixels in all (1 GiB).
inline constexpr uint32_t kLargestSide = 65535;
inline constexpr uint64_t kLargestPixelCount = uint64_t{1} << 28;

}  // namespace pictures
