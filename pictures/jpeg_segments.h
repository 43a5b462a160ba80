#pragma once
// The marker segments at the head of a JPEG file (Exif data, colour profiles, ...), found by
// seeking from one segment to the next, so that a segment is found wherever the segments
// before it put it, without reading them.
#include <cstdint>
#include <vector>

#include "platform/ports.h"

namespace pictures {

struct JpegSegment {
  uint8_t marker = 0;       // the byte after 0xFF: 0xE1 for APP1, 0xE2 for APP2, ...
  uint64_t bodyOffset = 0;  // where the segment's content begins, after its length
  uint32_t bodySize = 0;    // at most 65533 bytes
};

// No file has more segments before its picture data; a hostile one is not walked further.
inline constexpr size_t kMaxJpegSegments = 1024;

// The segments of a JPEG file before its first start of scan, in file order, at most
// kMaxJpegSegments. Empty for a file that is no JPEG; the walk ends where the bytes end or
// no marker stands where one should. The last segment may run past the end of the file:
// its body then cannot be read.
std::vector<JpegSegment> JpegSegments(platform::ByteSource& file);

// A segment's content, or nothing when it cannot be read whole.
std::vector<uint8_t> SegmentBody(platform::ByteSource& file, const JpegSegment& segment);

}  // namespace pictures
