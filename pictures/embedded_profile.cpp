#include "pictures/embedded_profile.h"

#include <cstring>

namespace pictures {
namespace {

constexpr uint8_t kApp2 = 0xE2;
constexpr char kIccTag[] = "ICC_PROFILE";  // with its NUL, 12 bytes
constexpr size_t kIccTagBytes = sizeof kIccTag;
constexpr size_t kChunkHead = kIccTagBytes + 2;  // the tag, the chunk's number, the count

uint32_t BigEndian32(const uint8_t* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

uint32_t LittleEndian32(const uint8_t* at) {
  return uint32_t{at[3]} << 24 | uint32_t{at[2]} << 16 | uint32_t{at[1]} << 8 | at[0];
}

struct Chunk {
  uint64_t offset;  // of the chunk's profile bytes in the file
  uint32_t size;
};

// The BMP file header, then the version 5 header's fields that place its profile.
constexpr size_t kFileHeader = 14;
constexpr size_t kV5HeaderSize = 124;
constexpr size_t kCsTypeAt = kFileHeader + 56;
constexpr size_t kProfileDataAt = kFileHeader + 112;
constexpr size_t kProfileSizeAt = kFileHeader + 116;
constexpr uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'

std::vector<uint8_t> ReadExactly(platform::ByteSource& file, uint64_t offset, size_t size) {
  std::vector<uint8_t> bytes(size);
  if (file.ReadAt(offset, bytes.data(), size) != size) return {};
  return bytes;
}

}  // namespace

std::vector<uint8_t> JpegProfile(platform::ByteSource& file, const std::vector<JpegSegment>& segments) {
  std::vector<Chunk> chunks;  // by number, 1-based at index 0
  size_t count = 0, found = 0, total = 0;
  for (const JpegSegment& segment : segments) {
    if (segment.marker != kApp2 || segment.bodySize < kChunkHead) continue;
    uint8_t head[kChunkHead];
    if (file.ReadAt(segment.bodyOffset, head, kChunkHead) != kChunkHead) return {};
    if (std::memcmp(head, kIccTag, kIccTagBytes) != 0) continue;
    const size_t number = head[kIccTagBytes], chunkCount = head[kIccTagBytes + 1];
    if (chunkCount == 0 || number == 0 || number > chunkCount || (count != 0 && chunkCount != count)) return {};
    if (count == 0) {
      count = chunkCount;
      chunks.assign(count, Chunk{0, 0});
    }
    Chunk& chunk = chunks[number - 1];
    if (chunk.offset != 0) return {};  // a number twice
    chunk = {segment.bodyOffset + kChunkHead, segment.bodySize - static_cast<uint32_t>(kChunkHead)};
    total += chunk.size;
    if (total > kLargestProfileBytes) return {};
    ++found;
  }
  if (count == 0 || found != count) return {};
  std::vector<uint8_t> profile;
  profile.reserve(total);
  for (const Chunk& chunk : chunks) {
    const size_t at = profile.size();
    profile.resize(at + chunk.size);
    if (file.ReadAt(chunk.offset, profile.data() + at, chunk.size) != chunk.size) return {};
  }
  if (profile.size() < 4 || BigEndian32(profile.data()) > profile.size()) return {};
  profile.resize(BigEndian32(profile.data()));
  return profile;
}

std::vector<uint8_t> BmpProfile(platform::ByteSource& file) {
  const std::vector<uint8_t> head = ReadExactly(file, 0, kFileHeader + kV5HeaderSize);
  if (head.empty() || head[0] != 'B' || head[1] != 'M') return {};
  if (LittleEndian32(&head[kFileHeader]) < kV5HeaderSize) return {};
  if (LittleEndian32(&head[kCsTypeAt]) != kProfileEmbedded) return {};
  const uint32_t size = LittleEndian32(&head[kProfileSizeAt]);
  if (size == 0 || size > kLargestProfileBytes) return {};
  return ReadExactly(file, uint64_t{kFileHeader} + LittleEndian32(&head[kProfileDataAt]), size);
}

}  // namespace pictures
