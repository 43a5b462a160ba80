#include "pictures/jpeg_segments.h"

namespace pictures {
namespace {

constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;

// Markers that stand alone, without a length: the temporary marker and the restarts.
bool StandsAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

std::vector<JpegSegment> JpegSegments(platform::ByteSource& file) {
  std::vector<JpegSegment> segments;
  uint8_t bytes[4];
  if (file.ReadAt(0, bytes, 2) != 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) return segments;
  uint64_t at = 2;
  // Each pass moves on by at least one byte, and fill bytes are few: the pass count is
  // bounded with the segments.
  for (size_t passes = 0; segments.size() < kMaxJpegSegments && passes < 4 * kMaxJpegSegments; ++passes) {
    const size_t read = file.ReadAt(at, bytes, 4);
    if (read < 2 || bytes[0] != 0xFF) break;
    const uint8_t marker = bytes[1];
    if (marker == 0xFF) {  // a fill byte before the marker
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) break;
    if (StandsAlone(marker)) {
      at += 2;
      continue;
    }
    if (read < 4) break;
    const uint32_t length = uint32_t{bytes[2]} << 8 | bytes[3];
    if (length < 2) break;
    segments.push_back({marker, at + 4, length - 2});
    at += 2 + length;
  }
  return segments;
}

std::vector<uint8_t> SegmentBody(platform::ByteSource& file, const JpegSegment& segment) {
  std::vector<uint8_t> body(segment.bodySize);
  if (file.ReadAt(segment.bodyOffset, body.data(), body.size()) != body.size()) return {};
  return body;
}

}  // namespace pictures
