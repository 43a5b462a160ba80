#include "pictures/picture_limits.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/unit/fake_memory_status.h"

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;

}  // namespace

TEST(PictureLimits, DecodedPixelsMayTakeAQuarterOfTheMemoryFreeNow) {
  struct Case {
    uint32_t width, height;
    std::optional<uint64_t> available;
    bool allowed;
    int asked;
  };
  const Case cases[] = {
      {4000, 3000, 8 * kGiB, true, 1},
      {4000, 3000, 4000 * 3000 * 16, true, 1},        // exactly a quarter
      {4000, 3000, 4000 * 3000 * 16 - 1, false, 1},   // a byte less free
      {16384, 16384, 4 * kGiB, true, 1},              // 1 GiB of pixels: the largest count
      {16384, 16384, 4 * kGiB - 1, false, 1},
      {16384, 16384, 2 * kGiB, false, 1},             // the forged 18 KB file on a small machine
      {8000, 6000, 512 * kMiB, false, 1},
      {1, 1, 16, true, 1},
      {1, 1, 15, false, 1},
      {1, 1, 0, false, 1},
      {4000, 3000, std::nullopt, true, 1},            // the system cannot say: the other limits hold
      {16384, 16385, std::nullopt, false, 0},         // past 2^28 pixels, memory not asked
      {65536, 1, 64 * kGiB, false, 0},                // a side past 65535
      {1, 65536, 64 * kGiB, false, 0},
      {65535, 1, 64 * kGiB, true, 1},
      {0, 100, 64 * kGiB, false, 0},
      {100, 0, 64 * kGiB, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " with "
                                    << (c.available ? std::to_string(*c.available) : "unknown"));
    FakeMemory memory;
    memory.available = c.available;
    EXPECT_EQ(pictures::DecodeAllowed(c.width, c.height, memory), c.allowed);
    EXPECT_EQ(memory.asked, c.asked);
  }
}

// A second buffer needed while the picture is made (a quarter turn's, a GIF frame's before
// it is put on its screen) counts against the free memory with the picture.
TEST(PictureLimits, ASecondBufferCountsWithThePicture) {
  struct Case {
    uint32_t width, height;
    uint64_t scratch;
    std::optional<uint64_t> available;
    bool allowed;
    int asked;
  };
  const uint64_t photo = 4000 * 3000;
  const Case cases[] = {
      {3000, 4000, photo, 2 * photo * 16, true, 1},        // a turned photo and its stored pixels
      {3000, 4000, photo, 2 * photo * 16 - 1, false, 1},
      {3000, 4000, 0, 2 * photo * 16 - 1, true, 1},
      {100, 80, 1200, 9200 * 16, true, 1},                 // a GIF screen and its frame
      {100, 80, 1200, 9200 * 16 - 1, false, 1},
      {1, 1, uint64_t{1} << 28, 64 * kGiB, true, 1},       // the frame at the pixel-count limit
      {1, 1, (uint64_t{1} << 28) + 1, 64 * kGiB, false, 0},  // a forged frame past it
      {1, 1, uint64_t{65535} * 65535, std::nullopt, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " and " << c.scratch);
    FakeMemory memory;
    memory.available = c.available;
    EXPECT_EQ(pictures::DecodeAllowed(c.width, c.height, memory, c.scratch), c.allowed);
    EXPECT_EQ(memory.asked, c.asked);
  }
}
