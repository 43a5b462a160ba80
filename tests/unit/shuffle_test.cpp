#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "platform/random_generator.h"
#include "show/shuffle.h"

using show::kNoEntry;
using show::ShufflePass;

namespace {

// Scripted values; records "S" for a seeding and "N" for a draw.
struct ScriptedRandom : platform::Random {
  explicit ScriptedRandom(std::vector<float> script) : values(std::move(script)) {}
  float Next() override {
    calls += "N";
    if (next < values.size()) return values[next++];
    ADD_FAILURE() << "more values drawn than scripted";
    return static_cast<float>(next++ % 7) / 7.0f;  // still varies, so no retry loop hangs
  }
  void SeedFromClock() override { calls += "S"; }
  std::vector<float> values;
  size_t next = 0;
  std::string calls;
};

// A clock that never moves: the generator must still vary from its own state.
struct StoppedClock : platform::Clock {
  uint32_t Ticks() override { return 777; }
};

bool IsPermutation(const std::vector<int32_t>& order) {
  std::vector<int32_t> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  std::vector<int32_t> wanted(order.size());
  std::iota(wanted.begin(), wanted.end(), 1);
  return sorted == wanted;
}

}  // namespace

// Three pictures from the start. First pass, nothing selected, y = floor(3r + 1):
//   x=1: 0.5 -> 2, swap -> 2 1 3;  x=2: 0.4 -> 2 = x, again; 0.9 -> 3 -> 2 3 1;
//   x=3: 0.0 -> 1 -> 1 3 2.  Shows entry 0, then entry 2.
// Third cycle selects position 3 (entry 1) and rebuilds with it in front, y = floor(2r + 2):
//   start 2 1 3;  x=1: 0.7 -> 3 -> 3 1 2;  x=2: 0.2 -> 2 = x, again; 0.6 -> 3 -> 3 2 1;
//   x=3: 0.1 -> 2 -> 3 1 2.  Shows entry 2, the picture of the cycle before.
TEST(ShowShuffle, ThreePicturesFromTheStart) {
  ScriptedRandom random({0.5f, 0.4f, 0.9f, 0.0f, 0.7f, 0.2f, 0.6f, 0.1f});
  ShufflePass pass;
  int selected = kNoEntry;

  selected = pass.Step(3, selected, random);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(pass.ShuffleOrder(), (std::vector<int32_t>{1, 3, 2}));
  EXPECT_EQ(pass.ShufflePos(), 1);
  EXPECT_EQ(random.calls, "SNSNSNSN");  // seeded before every draw, the retry too

  selected = pass.Step(3, selected, random);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(random.next, 4u);  // stepping inside a pass draws nothing

  selected = pass.Step(3, selected, random);
  EXPECT_EQ(selected, 2);
  EXPECT_EQ(pass.ShuffleOrder(), (std::vector<int32_t>{3, 1, 2}));
  EXPECT_EQ(pass.ShufflePos(), 1);
  EXPECT_EQ(random.next, 8u);
  EXPECT_EQ(random.calls, "SNSNSNSNSNSNSNSN");
}

TEST(ShowShuffle, PassNeverBeginsWithTheSelectedPicture) {
  StoppedClock clock;
  platform::RandomGenerator random(clock);
  ShufflePass pass;
  for (int n = 3; n <= 12; ++n) {
    for (int round = 0; round < 300; ++round) {
      const int selected = round % n;
      SCOPED_TRACE(testing::Message() << "n=" << n << " selected=" << selected);
      const int first = pass.All_Random(n, selected, random);
      ASSERT_NE(first, selected);
      ASSERT_EQ(first, pass.ShuffleOrder()[0] - 1);
      ASSERT_TRUE(IsPermutation(pass.ShuffleOrder()));
    }
  }
}

TEST(ShowShuffle, WithNothingSelectedAnyPictureMayComeFirst) {
  StoppedClock clock;
  platform::RandomGenerator random(clock);
  ShufflePass pass;
  std::vector<int> firsts(4, 0);
  for (int round = 0; round < 400; ++round) ++firsts[pass.All_Random(4, kNoEntry, random)];
  for (int count : firsts) EXPECT_GT(count, 40);
}

// Over many passes: each shows its positions 1 to N - 1 in order, and the next pass
// begins with a picture other than the one at the old pass's last position.
TEST(ShowShuffle, StepsWalkEachPassAndRebuildAtItsLastPosition) {
  for (int n : {3, 4, 7}) {
    SCOPED_TRACE(n);
    StoppedClock clock;
    platform::RandomGenerator random(clock);
    ShufflePass pass;
    int selected = pass.Step(n, kNoEntry, random);
    for (int round = 0; round < 200; ++round) {
      const std::vector<int32_t> order = pass.ShuffleOrder();
      ASSERT_TRUE(IsPermutation(order));
      ASSERT_EQ(selected, order[0] - 1);
      for (int position = 2; position < n; ++position) {
        selected = pass.Step(n, selected, random);
        ASSERT_EQ(selected, order[position - 1] - 1);
        ASSERT_EQ(pass.ShufflePos(), position);
      }
      selected = pass.Step(n, selected, random);
      ASSERT_NE(selected, order[n - 1] - 1);
      ASSERT_EQ(pass.ShufflePos(), 1);
    }
  }
}

TEST(ShowShuffle, FewPicturesAreStillShown) {
  struct Case {
    const char* name;
    int count;
    float firstDraw;
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"none", 0, 0.0f, {kNoEntry, kNoEntry, kNoEntry}},
      {"one", 1, 0.0f, {0, 0, 0, 0}},
      {"two, starting low", 2, 0.3f, {0, 1, 0, 1, 0, 1}},
      {"two, starting high", 2, 0.7f, {1, 0, 1, 0, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedRandom random({c.firstDraw});
    ShufflePass pass;
    int selected = kNoEntry;
    std::vector<int> shown;
    for (size_t i = 0; i < c.shown.size(); ++i) {
      selected = pass.Step(c.count, selected, random);
      shown.push_back(selected);
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_LE(random.next, 1u);
  }
}

TEST(ShowShuffle, TwoPicturesContinueFromTheOneOnScreen) {
  ScriptedRandom random({});
  ShufflePass pass;
  EXPECT_EQ(pass.Step(2, 1, random), 0);
  EXPECT_EQ(pass.Step(2, 0, random), 1);
  EXPECT_EQ(random.calls, "");
}
