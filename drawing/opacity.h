#pragma once
// How a pixel with opacity meets what lies under it. Pixels are 32-bit blue, green, red and
// opacity (0 transparent, 255 opaque, not premultiplied); what lies under is blue, green,
// red and a byte that means nothing.
#include <cstddef>
#include <cstdint>

#include "pictures/pixel_transfer.h"

namespace drawing {

// Each colour channel becomes (colour * a + under * (255 - a) + 127) / 255 in whole
// numbers, a the pixel's opacity: the exact mix to the nearest whole number (the odd
// divisor leaves no halves). So opacity 255 gives the colour and 0 what was under it.
// Byte 3 of the result is 0.
inline uint32_t BlendOver(uint32_t pixel, uint32_t under) {
  const uint32_t a = pixel >> 24;
  const uint32_t b = 255 - a;
  // Blue and red side by side in 16-bit lanes, which no sum here overflows; then
  // (t + (t >> 8)) >> 8 with t = x + 128 is (x + 127) / 255 for every x up to 255 * 255.
  uint32_t blueRed = (pixel & 0x00FF00FF) * a + (under & 0x00FF00FF) * b + 0x00800080;
  uint32_t green = (pixel >> 8 & 0xFF) * a + (under >> 8 & 0xFF) * b + 0x80;
  blueRed = (blueRed + (blueRed >> 8 & 0x00FF00FF)) >> 8 & 0x00FF00FF;
  green = (green + (green >> 8)) >> 8;
  return blueRed | green << 8;
}

// The pixel over the black of a cleared window: its colour premultiplied by its opacity.
inline uint32_t OverBlack(uint32_t pixel) { return BlendOver(pixel, 0); }

// count pixels over black, from one row into another.
inline void OverBlackRow(const uint8_t* from, uint8_t* to, size_t count) {
  for (size_t i = 0; i < count; ++i) pictures::Store32(to + i * 4, OverBlack(pictures::Load32(from + i * 4)));
}

}  // namespace drawing
