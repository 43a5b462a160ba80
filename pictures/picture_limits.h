#pragma once
// Which picture sizes the loader decodes: decided from the frame's size before any pixels
// are allocated.
#include <cstdint>

#include "platform/ports.h"

namespace pictures {

// Larger pictures are refused: 65535 pixels along a side, 2^28 pixels in all (1 GiB).
inline constexpr uint32_t kLargestSide = 65535;
inline constexpr uint64_t kLargestPixelCount = uint64_t{1} << 28;

// True when a width x height picture may be decoded: no side of 0, within the side and
// pixel-count limits, and its 32-bit pixels, with the scratchPixels of a second buffer
// needed while it is made (also within the pixel-count limit), need at most a quarter of the
// physical memory free at this moment (asked only when the other limits hold; a system that
// cannot say leaves those limits alone), so that a forged size cannot push the machine into
// paging.
bool DecodeAllowed(uint32_t width, uint32_t height, platform::MemoryStatus& memory, uint64_t scratchPixels = 0);

}  // namespace pictures
