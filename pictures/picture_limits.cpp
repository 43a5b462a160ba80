#include "pictures/picture_limits.h"

namespace pictures {

bool DecodeAllowed(uint32_t width, uint32_t height, platform::MemoryStatus& memory, uint64_t scratchPixels) {
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) return false;
  if (scratchPixels > kLargestPixelCount) return false;
  const uint64_t picture = uint64_t{width} * height;
  if (picture > kLargestPixelCount) return false;
  const uint64_t pixels = picture + scratchPixels;
  const auto available = memory.AvailablePhysicalBytes();
  // Four bytes a pixel, at most a quarter of what is free: 16 bytes of free memory a pixel.
  return !available || pixels * 16 <= *available;
}

}  // namespace pictures
