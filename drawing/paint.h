#pragma once
// Plain painting: a picture scaled by nearest neighbour into the saver window's off-screen
// buffer, over what the buffer holds. The same bytes on every system.
//
// Sampling: output column u of a picture drawn `drawn` pixels wide takes source column
// floor((2u + 1) * width / (2 * drawn)), the source pixel under the output pixel's centre;
// rows the same way. Opacity (byte 3, when the picture has it): 0 leaves the buffer's pixel
// as it is, 255 puts the picture's colour there, anything between mixes the two by
// BlendOver's rule. A picture without opacity puts its colour everywhere, whatever its
// byte 3 holds. Byte 3 of every pixel painted is 0.
#include <cstddef>
#include <cstdint>

#include "platform/geometry.h"
#include "platform/ports.h"

namespace drawing {

// A decoded picture: rows top-down, `stride` bytes apart.
struct PaintSource {
  const uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
  bool hasAlpha = false;  // byte 3 is opacity, 0 to 255, not premultiplied
};

// The buffer painted into: 32-bit blue, green, red, unused; rows top-down.
struct PaintTarget {
  uint8_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
};

// The source column (or row) for output column u of `drawn`, by the sampling rule above.
int32_t SampledIndex(int64_t u, int32_t sourceSize, int32_t drawn);

// How many of the window thread's rows it paints between two looks at its messages: a band
// of about kPixelsBetweenPumps pixels, at least one row. Under Wine a PeekMessage on an
// empty queue costs 30 to 110 us on these machines and a row of 1440 pixels about 12 us, so
// a look after every row would cost more than the painting; a band is about half a
// millisecond of painting, which no key notices.
inline constexpr int64_t kPixelsBetweenPumps = 65536;
int32_t RowsBetweenPumps(int32_t rowWidth);

// Paints source scaled to the rectangle at `position` of `size`, which may lie partly or
// wholly outside the target or be larger than it; only the part inside the target is
// touched. Returns that part (empty when nothing was painted: a side of 0, a picture whose
// rows are shorter than its width, a missing buffer). With a helper that has a thread, the
// helper paints rows from the bottom while this thread paints from the top and handles
// messages after each band of its rows and while it waits for the helper; the bytes are the
// same either way.
platform::Rect PaintPicture(const PaintSource& source, platform::Point position, platform::Size size,
                            const PaintTarget& target, platform::MessagePump& pump, platform::Worker* helper = nullptr);

}  // namespace drawing
