#pragma once
// A GIF's logical screen and where its first frame sits on it. A frame may be smaller than
// the screen and lie anywhere on it, even partly outside; the rest of the screen is
// transparent.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace pictures {

struct GifScreen {
  uint32_t width = 0, height = 0;  // the logical screen
  uint32_t frameLeft = 0, frameTop = 0, frameWidth = 0, frameHeight = 0;
};

// The screen descriptor and the first image descriptor from the first `size` bytes of a
// GIF file; nothing when the bytes are no GIF or end before the first image descriptor.
std::optional<GifScreen> ReadGifScreen(const uint8_t* bytes, size_t size);

// Puts the frame's pixels (screen.frameWidth x screen.frameHeight, row by row) at their
// place on the screen's pixels (screen.width x screen.height), clipped to the screen; every
// other pixel becomes 0, transparent black.
void PlaceOnScreen(const uint32_t* frame, const GifScreen& screen, uint32_t* pixels);

}  // namespace pictures
