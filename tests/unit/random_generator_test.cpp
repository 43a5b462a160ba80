#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/random_generator.h"

namespace {

struct FakeClock : platform::Clock {
  uint32_t Ticks() override {
    ++reads;
    return ticks;
  }
  uint32_t ticks = 0;
  int reads = 0;
};

std::vector<float> Draw(platform::RandomGenerator& random, int count) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i) values.push_back(random.Next());
  return values;
}

}  // namespace

TEST(PlatformRandom, BitsMapIntoZeroToBelowOne) {
  struct Case { uint64_t bits; float value; };
  const Case cases[] = {
      {0, 0.0f},
      {UINT64_MAX, 1.0f - 1.0f / 16777216.0f},  // all ones: the last float below 1
      {0x8000000000000000ull, 0.5f},
      {0x000000FFFFFFFFFFull, 0.0f},  // the low 40 bits do not reach a float
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    EXPECT_EQ(platform::UnitFloatFromBits(c.bits), c.value);
  }
  EXPECT_LT(platform::UnitFloatFromBits(UINT64_MAX), 1.0f);
}

TEST(PlatformRandom, ValuesStayInRangeAndSpreadEvenly) {
  FakeClock clock;
  platform::RandomGenerator random(clock);
  constexpr int kDraws = 100000;
  constexpr int kBuckets = 10;
  int buckets[kBuckets] = {};
  for (int i = 0; i < kDraws; ++i) {
    const float r = random.Next();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    ++buckets[static_cast<int>(r * kBuckets)];
  }
  for (int count : buckets) {
    EXPECT_GT(count, kDraws / kBuckets * 9 / 10);
    EXPECT_LT(count, kDraws / kBuckets * 11 / 10);
  }
}

TEST(PlatformRandom, SeedingReadsTheClockAndChangesTheSequence) {
  FakeClock clock;
  platform::RandomGenerator plain(clock);
  platform::RandomGenerator seeded(clock);
  clock.ticks = 123456;
  seeded.SeedFromClock();
  EXPECT_EQ(clock.reads, 1);
  EXPECT_NE(Draw(plain, 8), Draw(seeded, 8));
}

TEST(PlatformRandom, DifferentTicksGiveDifferentSequences) {
  FakeClock clock;
  platform::RandomGenerator a(clock);
  platform::RandomGenerator b(clock);
  a.Seed(1000);
  b.Seed(1001);
  EXPECT_NE(Draw(a, 8), Draw(b, 8));
}

TEST(PlatformRandom, SameStartAndSameSeedsRepeatExactly) {
  FakeClock clock;
  platform::RandomGenerator a(clock, 42);
  platform::RandomGenerator b(clock, 42);
  a.Seed(77);
  b.Seed(77);
  EXPECT_EQ(Draw(a, 16), Draw(b, 16));
}

// Seeding is done before every shuffle draw, often within one millisecond: the same
// reading must not bring the previous value back.
TEST(PlatformRandom, ReseedingWithTheSameReadingDrawsFreshValues) {
  FakeClock clock;
  clock.ticks = 5000;
  platform::RandomGenerator random(clock);
  std::vector<float> values;
  for (int i = 0; i < 50; ++i) {
    random.SeedFromClock();
    values.push_back(random.Next());
  }
  for (size_t i = 1; i < values.size(); ++i) EXPECT_NE(values[i], values[i - 1]) << i;
}
