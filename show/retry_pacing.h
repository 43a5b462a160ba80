#pragma once
// How long the show waits before it tries another picture while loads keep failing.
#include <cstdint>
#include <optional>

namespace show {

// When the pictures' folder is gone (a card pulled, a share lost, the files deleted),
// every load fails at once and, the pause since the last drawing being long over, each
// cycle would start the next without any wait, for hours. So a run of failed loads is
// timed. For its first one and a half seconds the cycles follow one another as before:
// a folder with damaged files among good ones keeps its pacing, and random choice gets
// hundreds of tries at the good ones (a failed decode takes about a millisecond). After
// that each try first waits a quarter of the time since, at most a quarter of a second,
// so that pictures come back soon after the folder does. The first picture that loads
// ends the run.
class RetryPacing {
 public:
  static constexpr uint32_t kFreeRunMs = 1500;
  static constexpr uint32_t kLongestWaitMs = 250;

  void LoadFailed(uint32_t now) {
    if (!runStart_) runStart_ = now;
  }
  void LoadSucceeded() { runStart_.reset(); }
  // Milliseconds to wait, from now, before the next try.
  uint32_t WaitBeforeTry(uint32_t now) const;

 private:
  std::optional<uint32_t> runStart_;
};

}  // namespace show
