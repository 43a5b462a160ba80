#pragma once
// How a decoded first frame becomes the picture the show is given: a JPEG turned upright by
// its Exif orientation, a GIF's frame put on its logical screen. Decided from the file's
// first bytes and the frame's size, before any pixels are allocated.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pictures/exif_orientation.h"
#include "pictures/gif_screen.h"
#include "platform/ports.h"

namespace pictures {

// How many of a GIF's first bytes are read for its logical screen and first frame: room for
// the colour table and the extensions before the frame.
inline constexpr size_t kGifHeadBytes = 128 * 1024;

// What a file's first bytes say.
struct PictureHead {
  Orientation orientation = Orientation::AsStored;  // of a JPEG
  std::optional<GifScreen> gif;                     // of a GIF
  std::vector<uint8_t> profile;                     // the colour profile a JPEG or BMP carries
};

PictureHead ReadPictureHead(platform::ByteSource& file);
PictureHead ReadPictureHead(const uint8_t* bytes, size_t size);

struct PicturePlan {
  uint32_t width = 0, height = 0;  // of the picture shown
  Orientation turn = Orientation::AsStored;
  // The frame is put on the GIF's screen (head.gif) instead of being shown bare.
  bool onScreen = false;
  // A second buffer needed while the picture is made: the frame before it is put on its
  // screen, or the turned pixels.
  uint64_t scratchPixels = 0;
};

// A frame goes on its screen only when the decoder's frame is the one the head describes
// and the screen is more than that frame at (0, 0); a decoder that reports the screen's size
// has put it there itself, and a head that disagrees with the decoder is not trusted.
PicturePlan PlanPicture(uint32_t frameWidth, uint32_t frameHeight, const PictureHead& head);

}  // namespace pictures
