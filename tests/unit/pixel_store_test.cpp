#include "pictures/pixel_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "pictures/loaded_picture.h"

using pictures::PixelStore;

namespace {

constexpr size_t kMiB = size_t{1} << 20;

// Releases whatever block is kept.
void Drain() { PixelStore::Give(PixelStore::Take(0)); }

}  // namespace

TEST(PixelStore, TheBlockLetGoServesTheNextPictureItSuits) {
  struct Case {
    size_t given, taken;
    bool reused;
  };
  const Case cases[] = {
      {48 * kMiB, 48 * kMiB, true},
      {48 * kMiB, 24 * kMiB, true},       // exactly half
      {48 * kMiB, 24 * kMiB - 1, false},  // less than half: the large block is released
      {48 * kMiB, 48 * kMiB + 1, false},
      {kMiB, kMiB, true},
      {kMiB - 1, kMiB - 1, false},        // small blocks are not kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.given << " then " << c.taken);
    Drain();
    void* given = PixelStore::Take(c.given);
    std::memset(given, 0xA5, c.given);
    PixelStore::Give(given);
    EXPECT_EQ(PixelStore::KeptBytes(), c.given >= PixelStore::kKeptFrom ? c.given : 0);
    const size_t made = PixelStore::BlocksMade();
    void* taken = PixelStore::Take(c.taken);
    EXPECT_EQ(PixelStore::BlocksMade() == made, c.reused);
    if (c.reused) {
      EXPECT_EQ(taken, given);
    }
    // A block not reused is not kept either: only one picture's worth is ever held back.
    EXPECT_EQ(PixelStore::KeptBytes(), 0u);
    std::memset(taken, 0x5A, c.taken);
    PixelStore::Give(taken);
  }
  Drain();
}

TEST(PixelStore, TheTwoNewestBlocksAreKept) {
  Drain();
  void* first = PixelStore::Take(2 * kMiB);
  void* second = PixelStore::Take(3 * kMiB);
  void* third = PixelStore::Take(5 * kMiB);
  PixelStore::Give(first);
  PixelStore::Give(second);
  PixelStore::Give(third);  // the first goes
  EXPECT_EQ(PixelStore::KeptBytes(), 8 * kMiB);
  const size_t made = PixelStore::BlocksMade();
  void* again = PixelStore::Take(3 * kMiB);
  EXPECT_EQ(again, third);  // the newest that suits
  void* taken = PixelStore::Take(3 * kMiB);
  EXPECT_EQ(taken, second);
  EXPECT_EQ(PixelStore::BlocksMade(), made);
  PixelStore::Give(taken);
  EXPECT_EQ(PixelStore::KeptBytes(), 3 * kMiB);  // the block keeps its own size
  PixelStore::Give(again);
  EXPECT_EQ(PixelStore::KeptBytes(), 8 * kMiB);
  Drain();
}

// A photo turned upright is decoded into one block and turned into another; the next photo
// finds both, whether or not pictures that need no turn come between, so no photo after
// the first takes fresh pages from the system.
TEST(PixelStore, PhotosTurnedUprightShareTwoBlocksWithThePicturesBetween) {
  const auto load = [](bool turned) {
    pictures::LoadedPicture picture;
    picture.pixels.resize(4000 * 3000);
    if (!turned) return;
    pictures::PixelWords upright(picture.pixels.size());
    picture.pixels = std::move(upright);  // the decoded block is let go here
  };
  const std::vector<std::vector<bool>> shows = {
      {true, true, true, true}, {true, false, true, false, true}, {true, false, false, true, true, false}};
  for (const auto& show : shows) {
    Drain();
    load(true);
    const size_t made = PixelStore::BlocksMade();
    for (bool turned : show) load(turned);
    EXPECT_EQ(PixelStore::BlocksMade(), made) << testing::PrintToString(show);
  }
  Drain();
}

TEST(PixelStore, PicturesOneAfterAnotherShareOneBlock) {
  Drain();
  const uint32_t* first = nullptr;
  {
    pictures::LoadedPicture picture;
    picture.pixels.resize(4000 * 3000);
    first = picture.pixels.data();
  }
  const size_t made = PixelStore::BlocksMade();
  pictures::LoadedPicture next;
  next.pixels.resize(3000 * 3000);
  EXPECT_EQ(next.pixels.data(), first);
  EXPECT_EQ(PixelStore::BlocksMade(), made);
  next = {};
  Drain();
}
