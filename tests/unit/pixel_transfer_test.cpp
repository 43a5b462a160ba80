#include "pictures/pixel_transfer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> StraightforwardExpansion(const uint8_t* from, size_t count) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < count; ++i) {
    out.push_back(from[3 * i]);
    out.push_back(from[3 * i + 1]);
    out.push_back(from[3 * i + 2]);
    out.push_back(0xFF);
  }
  return out;
}

}  // namespace

// Every count around the 16-pixel steps, at every misalignment of both ends, and nothing
// written past the last pixel or read past the last byte (the sanitizer checks the reads).
TEST(PixelTransfer, ExpansionEqualsTheStraightforwardLoop) {
  std::mt19937 random(1302);
  std::vector<size_t> counts;
  for (size_t n = 0; n <= 50; ++n) counts.push_back(n);
  counts.push_back(4000);
  counts.push_back(65535);
  for (size_t count : counts) {
    for (size_t misalign : {0, 1, 3, 7}) {
      SCOPED_TRACE(testing::Message() << count << " pixels, offset " << misalign);
      std::vector<uint8_t> source(misalign + count * 3);
      for (uint8_t& byte : source) byte = uint8_t(random());
      // Exactly sized, so that a read past the end shows under the address sanitizer.
      std::vector<uint8_t> exact(source.begin() + misalign, source.end());
      std::vector<uint8_t> out(misalign + count * 4 + 8, 0x5A);
      pictures::ExpandBgrToBgrx(exact.data(), out.data() + misalign, count);
      const std::vector<uint8_t> want = StraightforwardExpansion(exact.data(), count);
      EXPECT_TRUE(std::equal(want.begin(), want.end(), out.begin() + misalign));
      for (size_t i = 0; i < misalign; ++i) EXPECT_EQ(out[i], 0x5A);
      for (size_t i = misalign + count * 4; i < out.size(); ++i) EXPECT_EQ(out[i], 0x5A);
    }
  }
}

// One pixel short of opaque anywhere, around the block edges too, makes the picture one
// with opacity; colour bytes play no part.
TEST(PixelTransfer, EveryPixelOpaqueOnlyWhenEachOpacityIs255) {
  struct Case {
    size_t count;
    size_t notOpaqueAt;  // count: none
  };
  const Case cases[] = {{0, 0},       {1, 1},       {1, 0},       {4095, 4094}, {4096, 4096}, {4096, 4095},
                        {4097, 4096}, {10000, 10000}, {10000, 0}, {10000, 8191}, {10000, 9999}};
  std::mt19937 random(5);
  for (const Case& c : cases) {
    std::vector<uint32_t> pixels(c.count);
    for (uint32_t& pixel : pixels) pixel = 0xFF000000 | (uint32_t(random()) & 0x00FFFFFF);
    if (c.notOpaqueAt < c.count) pixels[c.notOpaqueAt] &= 0xFEFFFFFF;
    EXPECT_EQ(pictures::EveryPixelOpaque(pixels.data(), pixels.size()), c.notOpaqueAt >= c.count)
        << c.count << " pixels, " << c.notOpaqueAt;
  }
}

// A frame without opacity of its own, placed on a GIF's screen, is opaque there whatever its
// fourth byte held; its colours stay.
TEST(PixelTransfer, MakeOpaqueSetsOnlyTheOpacity) {
  std::vector<uint32_t> pixels = {0x00000000, 0x00123456, 0x7F654321, 0xFFABCDEF, 0x01FFFFFF};
  pictures::MakeOpaque(pixels.data(), pixels.size() - 1);
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF000000, 0xFF123456, 0xFF654321, 0xFFABCDEF, 0x01FFFFFF}));
  EXPECT_TRUE(pictures::EveryPixelOpaque(pixels.data(), pixels.size() - 1));
}
