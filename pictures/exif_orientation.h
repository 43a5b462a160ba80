#pragma once
// The orientation a camera records in a JPEG's Exif data (tag 0x0112 of the first image
// directory): how the stored pixels must be turned to stand upright.
#include <cstddef>
#include <cstdint>

#include <vector>

#include "pictures/jpeg_segments.h"
#include "platform/ports.h"

namespace pictures {

// Exif orientation values; each names what the stored picture needs to stand upright.
enum class Orientation : uint8_t {
  AsStored = 1,
  MirrorLeftRight = 2,
  Turn180 = 3,
  MirrorTopBottom = 4,
  Transpose = 5,   // mirrored about the top-left to bottom-right diagonal
  TurnRight = 6,   // a quarter turn clockwise
  Transverse = 7,  // mirrored about the top-right to bottom-left diagonal
  TurnLeft = 8,    // a quarter turn counter-clockwise
};

// The orientation recorded in a JPEG file's first Exif segment, found by walking the file's
// segments however far into the file it lies. Anything else (no JPEG, no Exif segment, a
// value outside 1-8, a segment cut short by the end of the file, offsets or counts pointing
// outside the segment, a first directory inside the header) gives AsStored. Only the first
// image directory is read: an orientation in the thumbnail's directory is not the picture's.
Orientation ExifOrientation(platform::ByteSource& file);
// The same, from the segments already walked.
Orientation ExifOrientation(platform::ByteSource& file, const std::vector<JpegSegment>& segments);
Orientation ExifOrientation(const uint8_t* bytes, size_t size);

}  // namespace pictures
