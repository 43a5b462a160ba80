#pragma once
// Shuffled passes over the catalogue: each pass is a random order of every picture,
// walked front to back and then rebuilt, never beginning with the picture on screen.
#include <cstdint>
#include <vector>

#include "platform/ports.h"

namespace show {

// A catalogue entry index; kNoEntry when nothing is selected.
inline constexpr int kNoEntry = -1;

class ShufflePass {
 public:
  // The show's choice in shuffle mode: takes the entry selected now and returns the
  // entry to select. The first call builds the first pass. Each pass shows its
  // positions 1 to N - 1: the last position is selected and replaced at once by the
  // first picture of the next pass, which is never that picture.
  // One picture is shown every time; two are shown alternately, starting at random.
  int Step(int entryCount, int selectedEntry, platform::Random& random);

  // Builds a new pass over entryCount entries and returns its first entry. With a
  // valid selectedEntry the pass does not begin with it. Fewer than three entries
  // leave no room for that rule, so no order is made and selectedEntry comes back.
  int All_Random(int entryCount, int selectedEntry, platform::Random& random);

  // 1-based picture numbers by position: element i is position i + 1.
  const std::vector<int32_t>& ShuffleOrder() const { return shuffleOrder_; }
  int32_t ShufflePos() const { return shufflePos_; }

 private:
  std::vector<int32_t> shuffleOrder_;
  int32_t shufflePos_ = 0;
  int32_t shuffleCount_ = 0;
};

}  // namespace show
