#include "show/retry_pacing.h"

#include <algorithm>

namespace show {

uint32_t RetryPacing::WaitBeforeTry(uint32_t now) const {
  if (!runStart_) return 0;
  // Unsigned difference: the tick count may wrap during the run.
  const uint32_t age = now - *runStart_;
  if (age < kFreeRunMs) return 0;
  return std::min(kLongestWaitMs, (age - kFreeRunMs) / 4);
}

}  // namespace show
