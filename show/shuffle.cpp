#include "show/shuffle.h"

#include <cmath>
#include <numeric>
#include <utility>

namespace show {

namespace {

bool IsEntry(int entry, int entryCount) { return entry >= 0 && entry < entryCount; }

// A position from lowest to count other than avoid, seeding before every draw so
// that each retry gets a fresh value.
int32_t DrawPositionOtherThan(int32_t avoid, int32_t lowest, int32_t count,
                              platform::Random& random) {
  const double span = static_cast<double>(count - lowest + 1);
  for (;;) {
    random.SeedFromClock();
    const double r = random.Next();
    // In double, so a value a hair below 1 still stays below count + 1.
    const auto y = static_cast<int32_t>(std::floor(r * span + lowest));
    if (y != avoid) return y;
  }
}

// One or two pictures: the one, or the one not on screen; the first of two at random.
int SmallCatalogueChoice(int entryCount, int selectedEntry, platform::Random& random) {
  if (entryCount <= 0) return kNoEntry;
  if (entryCount == 1) return 0;
  if (IsEntry(selectedEntry, entryCount)) return 1 - selectedEntry;
  random.SeedFromClock();
  return random.Next() < 0.5f ? 0 : 1;
}

}  // namespace

int ShufflePass::Step(int entryCount, int selectedEntry, platform::Random& random) {
  if (entryCount <= 2) return SmallCatalogueChoice(entryCount, selectedEntry, random);
  ++shufflePos_;
  if (shufflePos_ >= 1 && shufflePos_ <= static_cast<int32_t>(shuffleOrder_.size()))
    selectedEntry = shuffleOrder_[shufflePos_ - 1] - 1;
  if (shufflePos_ >= shuffleCount_) {
    shufflePos_ = 0;
    selectedEntry = All_Random(entryCount, selectedEntry, random);
  }
  return selectedEntry;
}

int ShufflePass::All_Random(int entryCount, int selectedEntry, platform::Random& random) {
  shuffleCount_ = entryCount;
  if (entryCount <= 2) return selectedEntry;
  const int32_t n = entryCount;
  shuffleOrder_.assign(n, 0);
  std::iota(shuffleOrder_.begin(), shuffleOrder_.end(), 1);
  const bool hasSelected = IsEntry(selectedEntry, entryCount);
  if (hasSelected) std::swap(shuffleOrder_[0], shuffleOrder_[selectedEntry]);
  // With a selected picture at position 1, position 1 only ever swaps with a later
  // one, so the selected picture always leaves the front.
  const int32_t lowest = hasSelected ? 2 : 1;
  for (int32_t x = 1; x <= n; ++x) {
    const int32_t y = DrawPositionOtherThan(x, lowest, n, random);
    std::swap(shuffleOrder_[x - 1], shuffleOrder_[y - 1]);
  }
  shufflePos_ = 1;
  return shuffleOrder_[0] - 1;
}

}  // namespace show
