#include "pictures/exif_orientation.h"

#include <cstring>
#include <vector>

#include "pictures/jpeg_segments.h"

namespace pictures {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntryBytes = 12;

// Reads the numbers of a TIFF block in the byte order its header names; every read is
// checked against the block's end.
class TiffBlock {
 public:
  TiffBlock(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool ReadHeader() {
    if (size_ < 8) return false;
    if (bytes_[0] == 'I' && bytes_[1] == 'I')
      bigEndian_ = false;
    else if (bytes_[0] == 'M' && bytes_[1] == 'M')
      bigEndian_ = true;
    else
      return false;
    return Short(2) == 42;
  }
  // Only offsets with 2 (or 4) bytes before the block's end may be read.
  bool Holds(size_t at, size_t count) const { return at <= size_ && count <= size_ - at; }
  uint16_t Short(size_t at) const {
    return bigEndian_ ? static_cast<uint16_t>(bytes_[at] << 8 | bytes_[at + 1])
                      : static_cast<uint16_t>(bytes_[at + 1] << 8 | bytes_[at]);
  }
  uint32_t Long(size_t at) const {
    return bigEndian_ ? uint32_t{Short(at)} << 16 | Short(at + 2) : uint32_t{Short(at + 2)} << 16 | Short(at);
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  bool bigEndian_ = false;
};

// The orientation entry of the first image directory. Only that directory is read, so no
// chain of directories can loop.
Orientation FromTiff(const uint8_t* bytes, size_t size) {
  TiffBlock tiff(bytes, size);
  if (!tiff.ReadHeader()) return Orientation::AsStored;
  // The first directory follows the 8-byte header; an offset into the header says nothing.
  const uint32_t directory = tiff.Long(4);
  if (directory < 8 || !tiff.Holds(directory, 2)) return Orientation::AsStored;
  const uint16_t entries = tiff.Short(directory);
  // At most 65535 entries of 12 bytes: no product here can overflow.
  if (!tiff.Holds(directory + 2, size_t{entries} * kEntryBytes)) return Orientation::AsStored;
  for (uint16_t i = 0; i < entries; ++i) {
    const size_t entry = directory + 2 + size_t{i} * kEntryBytes;
    if (tiff.Short(entry) != kOrientationTag) continue;
    if (tiff.Short(entry + 2) != kTypeShort || tiff.Long(entry + 4) != 1) return Orientation::AsStored;
    const uint16_t value = tiff.Short(entry + 8);
    return value >= 1 && value <= 8 ? static_cast<Orientation>(value) : Orientation::AsStored;
  }
  return Orientation::AsStored;
}

bool IsExifSegment(const uint8_t* body, size_t size) {
  return size >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0;
}

}  // namespace

Orientation ExifOrientation(platform::ByteSource& file) { return ExifOrientation(file, JpegSegments(file)); }

// The first Exif segment, wherever the segments before it put it.
Orientation ExifOrientation(platform::ByteSource& file, const std::vector<JpegSegment>& segments) {
  for (const JpegSegment& segment : segments) {
    if (segment.marker != 0xE1 || segment.bodySize < 6) continue;
    uint8_t start[6];
    if (file.ReadAt(segment.bodyOffset, start, sizeof start) != sizeof start || !IsExifSegment(start, sizeof start))
      continue;
    const std::vector<uint8_t> body = SegmentBody(file, segment);
    if (body.size() != segment.bodySize) return Orientation::AsStored;
    return FromTiff(body.data() + 6, body.size() - 6);
  }
  return Orientation::AsStored;
}

Orientation ExifOrientation(const uint8_t* bytes, size_t size) {
  platform::MemoryBytes file(bytes, size);
  return ExifOrientation(file);
}

}  // namespace pictures
