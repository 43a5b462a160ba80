#pragma once
// Turning decoded pixels upright by their Exif orientation.
#include <cstdint>

#include "pictures/exif_orientation.h"
#include "pictures/loaded_picture.h"

namespace pictures {

// The quarter turns and the diagonal mirrors swap width and height.
bool SwapsSides(Orientation orientation);

// The turns that cannot be done in the decoded pixels themselves need a second buffer of
// the picture's size while they run: these are its pixels, 0 for the others.
uint64_t TurnBufferPixels(uint32_t width, uint32_t height, Orientation orientation);

// Writes the width x height stored pixels upright into `to` (height x width for the
// orientations that swap sides). One pass over the pixels, a tile at a time, so that the
// rows read and the rows written both stay in the cache. The buffers must not overlap.
void TurnInto(const uint32_t* from, uint32_t width, uint32_t height, Orientation orientation, uint32_t* to);

// Turns the picture upright: the mirrors and the half turn in place, the others through a
// second buffer that then replaces the pixels. False (the picture as it was) when that
// buffer cannot be had.
bool TurnUpright(LoadedPicture& picture, Orientation orientation);

}  // namespace pictures
