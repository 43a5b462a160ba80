// The colour profile's bytes as JPEG and BMP files carry them, whole and damaged.
#include "pictures/embedded_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

namespace {

// A profile of `size` bytes whose header gives that size, the rest counting up.
Bytes Profile(uint32_t size) {
  Bytes p(size);
  for (uint32_t i = 4; i < size; ++i) p[i] = static_cast<uint8_t>(i * 7);
  p[0] = static_cast<uint8_t>(size >> 24), p[1] = static_cast<uint8_t>(size >> 16);
  p[2] = static_cast<uint8_t>(size >> 8), p[3] = static_cast<uint8_t>(size);
  return p;
}

Bytes Chunk(const Bytes& part, int number, int count, const char* tag = "ICC_PROFILE") {
  Bytes body(tag, tag + 12);
  body.push_back(static_cast<uint8_t>(number));
  body.push_back(static_cast<uint8_t>(count));
  body.insert(body.end(), part.begin(), part.end());
  const size_t length = body.size() + 2;
  Bytes segment = {0xFF, 0xE2, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  segment.insert(segment.end(), body.begin(), body.end());
  return segment;
}

Bytes Part(const Bytes& profile, size_t from, size_t to) { return Bytes(profile.begin() + from, profile.begin() + to); }

Bytes Jpeg(const std::vector<Bytes>& segments) {
  Bytes out = {0xFF, 0xD8};
  for (const Bytes& s : segments) out.insert(out.end(), s.begin(), s.end());
  const Bytes scan = {0xFF, 0xDA, 0, 2};
  out.insert(out.end(), scan.begin(), scan.end());
  return out;
}

Bytes JpegProfileOf(const Bytes& file) {
  platform::MemoryBytes bytes(file.data(), file.size());
  return pictures::JpegProfile(bytes, pictures::JpegSegments(bytes));
}

void Put32(Bytes& at, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A BMP with a header of `headerSize` bytes, colour type `csType`, and the profile after a
// few pixel bytes, placed from the header's start.
Bytes Bmp(uint32_t headerSize, uint32_t csType, const Bytes& profile, uint32_t profileAt = 124 + 16) {
  Bytes file(14 + 124 + 16 + profile.size(), 0);
  file[0] = 'B', file[1] = 'M';
  Put32(file, 14, headerSize);
  Put32(file, 14 + 56, csType);
  Put32(file, 14 + 112, profileAt);
  Put32(file, 14 + 116, static_cast<uint32_t>(profile.size()));
  std::copy(profile.begin(), profile.end(), file.begin() + 14 + 124 + 16);
  return file;
}

}  // namespace

TEST(EmbeddedProfile, TheChainOfAJpegsColourProfileSegments) {
  const Bytes p = Profile(3000);
  const Bytes a = Part(p, 0, 1000), b = Part(p, 1000, 2000), c = Part(p, 2000, 3000);
  Bytes padded = p;
  padded.resize(3100, 0xEE);  // bytes past the header's size are not the profile's
  struct Case {
    const char* name;
    Bytes file;
    bool whole;
  };
  const Case cases[] = {
      {"one chunk", Jpeg({Chunk(p, 1, 1)}), true},
      {"three in order", Jpeg({Chunk(a, 1, 3), Chunk(b, 2, 3), Chunk(c, 3, 3)}), true},
      {"three out of order", Jpeg({Chunk(c, 3, 3), Chunk(a, 1, 3), Chunk(b, 2, 3)}), true},
      {"other APP2 between", Jpeg({Chunk(a, 1, 2), Chunk(b, 9, 9, "MPF\0\0\0\0\0\0\0\0"),
                                   Chunk(Part(p, 1000, 3000), 2, 2)}), true},
      {"padded past its size", Jpeg({Chunk(padded, 1, 1)}), true},
      {"a chunk missing", Jpeg({Chunk(a, 1, 3), Chunk(c, 3, 3)}), false},
      {"a number twice", Jpeg({Chunk(a, 1, 3), Chunk(a, 1, 3), Chunk(c, 3, 3)}), false},
      {"counts differ", Jpeg({Chunk(a, 1, 3), Chunk(b, 2, 2), Chunk(c, 3, 3)}), false},
      {"number 0", Jpeg({Chunk(p, 0, 1)}), false},
      {"number past the count", Jpeg({Chunk(p, 2, 1)}), false},
      {"shorter than its header says", Jpeg({Chunk(Part(p, 0, 2999), 1, 1)}), false},
      {"after the picture data starts", [&] {
         Bytes f = Jpeg({});
         const Bytes chunk = Chunk(p, 1, 1);
         f.insert(f.end(), chunk.begin(), chunk.end());
         return f;
       }(), false},
      {"none", Jpeg({}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JpegProfileOf(c.file), c.whole ? p : Bytes());
  }
}

TEST(EmbeddedProfile, AProfileLargerThanAnyPictureNeedsIsNotRead) {
  const Bytes big = Profile(pictures::kLargestProfileBytes + 1);
  std::vector<Bytes> chunks;
  const size_t step = 65000, count = (big.size() + step - 1) / step;
  for (size_t i = 0; i < count; ++i)
    chunks.push_back(Chunk(Part(big, i * step, std::min(big.size(), (i + 1) * step)), int(i + 1), int(count)));
  EXPECT_TRUE(JpegProfileOf(Jpeg(chunks)).empty());
  const Bytes bmp = Bmp(124, 0x4D424544, big);
  platform::MemoryBytes file(bmp.data(), bmp.size());
  EXPECT_TRUE(pictures::BmpProfile(file).empty());
}

TEST(EmbeddedProfile, OnlyAVersion5BmpThatEmbedsItsProfile) {
  const Bytes p = Profile(500);
  struct Case {
    const char* name;
    Bytes file;
    bool embedded;
  };
  const Case cases[] = {
      {"embedded after the pixels", Bmp(124, 0x4D424544, p), true},
      {"linked to a file", Bmp(124, 0x4C494E4B, p), false},
      {"calibrated", Bmp(124, 0, p), false},
      {"sRGB", Bmp(124, 0x73524742, p), false},
      {"version 4 header", Bmp(108, 0x4D424544, p), false},
      {"placed past the end", Bmp(124, 0x4D424544, p, 124 + 17), false},
      {"not a BMP", Jpeg({}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::MemoryBytes file(c.file.data(), c.file.size());
    EXPECT_EQ(pictures::BmpProfile(file), c.embedded ? p : Bytes());
  }
}
