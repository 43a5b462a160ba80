#include "pictures/gif_screen.h"

#include <algorithm>
#include <cstring>

namespace pictures {
namespace {

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImageDescriptor = 0x2C;

uint32_t Little16(const uint8_t* at) { return uint32_t{at[0]} | uint32_t{at[1]} << 8; }

// The size of a colour table that a packed-fields byte announces, 0 when it has none.
size_t ColourTableBytes(uint8_t packed) { return (packed & 0x80) ? size_t{3} << ((packed & 0x07) + 1) : 0; }

// Past an extension's sub-blocks (each a length byte and that many bytes, ended by a 0);
// nothing when the bytes end first.
std::optional<size_t> PastSubBlocks(const uint8_t* bytes, size_t size, size_t at) {
  while (at < size) {
    const size_t length = bytes[at];
    if (length == 0) return at + 1;
    at += 1 + length;
  }
  return std::nullopt;
}

}  // namespace

// Header (6 bytes), screen descriptor (7), the global colour table, then extensions until the
// first image descriptor. Every step moves forward, so the walk ends.
std::optional<GifScreen> ReadGifScreen(const uint8_t* bytes, size_t size) {
  if (size < 13 || (std::memcmp(bytes, "GIF87a", 6) != 0 && std::memcmp(bytes, "GIF89a", 6) != 0))
    return std::nullopt;
  GifScreen screen;
  screen.width = Little16(bytes + 6);
  screen.height = Little16(bytes + 8);
  size_t at = 13 + ColourTableBytes(bytes[10]);
  while (at < size) {
    if (bytes[at] == kImageDescriptor) {
      if (size - at < 10) return std::nullopt;
      screen.frameLeft = Little16(bytes + at + 1);
      screen.frameTop = Little16(bytes + at + 3);
      screen.frameWidth = Little16(bytes + at + 5);
      screen.frameHeight = Little16(bytes + at + 7);
      return screen;
    }
    if (bytes[at] != kExtension || size - at < 2) return std::nullopt;
    const auto next = PastSubBlocks(bytes, size, at + 2);
    if (!next) return std::nullopt;
    at = *next;
  }
  return std::nullopt;
}

void PlaceOnScreen(const uint32_t* frame, const GifScreen& screen, uint32_t* pixels) {
  std::fill(pixels, pixels + size_t{screen.width} * screen.height, 0u);
  const uint32_t left = std::min(screen.frameLeft, screen.width), top = std::min(screen.frameTop, screen.height);
  const uint32_t columns = std::min(screen.frameWidth, screen.width - left);
  const uint32_t rows = std::min(screen.frameHeight, screen.height - top);
  for (uint32_t y = 0; y < rows; ++y)
    std::memcpy(pixels + size_t{top + y} * screen.width + left, frame + size_t{y} * screen.frameWidth,
                size_t{columns} * 4);
}

}  // namespace pictures
