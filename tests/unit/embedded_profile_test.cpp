// The colour profile's bytes as JPEG and BMP files carry them, whole and damaged.
#include "pictures/embedded_profile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A profile of `size` bytes whose header gives that size.
std::string Profile(uint32_t size) {
  std::string p(size, 'p');
  for (int i = 0; i < 4; ++i) p[i] = char(size >> (24 - 8 * i));
  return p;
}

std::string Chunk(const std::string& part, int number, int count, std::string tag = "ICC_PROFILE") {
  tag.resize(12, '\0');
  const size_t length = 2 + 14 + part.size();
  return std::string("\xFF\xE2", 2) + char(length >> 8) + char(length) + tag + char(number) + char(count) + part;
}

std::string Jpeg(const std::vector<std::string>& segments, const std::string& afterScan = "") {
  std::string out = "\xFF\xD8";
  for (const std::string& s : segments) out += s;
  return out + std::string("\xFF\xDA\0\2", 4) + afterScan;
}

std::string Read(Bytes (*read)(platform::MemoryBytes&), const std::string& file) {
  platform::MemoryBytes bytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  const Bytes profile = read(bytes);
  return std::string(profile.begin(), profile.end());
}
Bytes FromJpeg(platform::MemoryBytes& file) { return pictures::JpegProfile(file, pictures::JpegSegments(file)); }
Bytes FromBmp(platform::MemoryBytes& file) { return pictures::BmpProfile(file); }

// A BMP whose header is `headerSize` bytes, of colour type `csType`, with the profile after
// 16 bytes of pixels, `profileAt` bytes from the header's start.
std::string Bmp(uint32_t headerSize, const char* csType, const std::string& profile, uint32_t profileAt = 140) {
  std::string file(14 + 124 + 16, '\0');
  file[0] = 'B', file[1] = 'M';
  const auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + i] = char(v >> (8 * i)); };
  put(14, headerSize);
  for (int i = 0; i < 4; ++i) file[14 + 56 + i] = csType[3 - i];  // the four letters as a little-endian number
  put(14 + 112, profileAt);
  put(14 + 116, uint32_t(profile.size()));
  return file + profile;
}

}  // namespace

TEST(EmbeddedProfile, TheChainOfAJpegsColourProfileSegments) {
  const std::string p = Profile(3000), a = p.substr(0, 1000), b = p.substr(1000, 1000), c = p.substr(2000);
  const std::string big = Profile(pictures::kLargestProfileBytes + 1);
  std::vector<std::string> bigChunks;
  for (size_t at = 0, n = 1; at < big.size(); at += 65000, ++n) bigChunks.push_back(Chunk(big.substr(at, 65000), n, 65));
  struct Case {
    const char* name;
    std::string file;
    bool whole;
  };
  const Case cases[] = {
      {"three in order", Jpeg({Chunk(a, 1, 3), Chunk(b, 2, 3), Chunk(c, 3, 3)}), true},
      {"out of order, other APP2 between", Jpeg({Chunk(c, 3, 3), Chunk(a, 1, 3), Chunk(b, 9, 9, "MPF"), Chunk(b, 2, 3)}),
       true},
      {"padded past its size", Jpeg({Chunk(p + "padding", 1, 1)}), true},
      {"a chunk missing", Jpeg({Chunk(a, 1, 3), Chunk(c, 3, 3)}), false},
      {"a number twice", Jpeg({Chunk(a, 1, 3), Chunk(a, 1, 3), Chunk(c, 3, 3)}), false},
      {"counts differ", Jpeg({Chunk(a, 1, 3), Chunk(b, 2, 2), Chunk(c, 3, 3)}), false},
      {"number 0", Jpeg({Chunk(p, 0, 1)}), false},
      {"number past the count", Jpeg({Chunk(p, 2, 1)}), false},
      {"shorter than its header says", Jpeg({Chunk(p.substr(0, 2999), 1, 1)}), false},
      {"after the picture data starts", Jpeg({}, Chunk(p, 1, 1)), false},
      {"over 4 MiB", Jpeg(bigChunks), false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(Read(FromJpeg, k.file), k.whole ? p : "");
  }
}

TEST(EmbeddedProfile, OnlyAVersion5BmpThatEmbedsItsProfile) {
  const std::string p = Profile(500);
  struct Case {
    const char* name;
    std::string file;
    bool embedded;
  };
  const Case cases[] = {
      {"embedded after the pixels", Bmp(124, "MBED", p), true},
      {"linked to a file", Bmp(124, "LINK", p), false},
      {"sRGB", Bmp(124, "sRGB", p), false},
      {"version 4 header", Bmp(108, "MBED", p), false},
      {"placed past the end", Bmp(124, "MBED", p, 141), false},
      {"over 4 MiB", Bmp(124, "MBED", Profile(pictures::kLargestProfileBytes + 1)), false},
      {"not a BMP", Jpeg({}), false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(Read(FromBmp, k.file), k.embedded ? p : "");
  }
}
