#pragma once
// Mouse movement that ends the saver: counted movements past the user's sensitivity.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/geometry.h"

namespace saver {

// The window's own mouse-move events and the 10 ms cursor poll each keep their own memory
// of the last position, so one physical move may count twice.
enum class MovePair { MouseMoveEvent = 0, CursorPoll = 1 };

// The number in the sensitivity text, read up to its first NUL; nothing when it holds none.
std::optional<double> SensitivityNumber(const std::wstring& mouseM);

class InputWatch {
 public:
  // A movement check. endSaver runs before the movement is counted, and may return
  // (a wrong password); the count then goes on past the sensitivity.
  void CheckMovement(MovePair pair, platform::Point cursor, bool windowVisible, const std::wstring& mouseM,
                     const std::function<void()>& endSaver);
  void OnTimer1Tick() { ++idleTicks_; }
  // The show loop sets this to 100 twice a cycle, so the next check only re-arms.
  void SetIdleTicks(int32_t ticks) { idleTicks_ = ticks; }
  void Reset() { mouseCount_ = 0; }
  // The next check of each kind only remembers where the cursor is, as after the set-up.
  void ForgetPositions() { memory_[0] = memory_[1] = Memory{}; }
  void CountMouseMove() { ++mouseCount_; }
  int32_t MouseCount() const { return mouseCount_; }
  int32_t IdleTicks() const { return idleTicks_; }

 private:
  // A position is remembered with a flag rather than read as "seen" when both coordinates
  // are above 0: the primary monitor's top row and left column, and monitors left of or
  // above it, have coordinates of 0 or less, and movement there must count too.
  struct Memory {
    bool seen = false;
    platform::Point last;
  };
  Memory memory_[2];
  int32_t mouseCount_ = 0;
  int32_t idleTicks_ = 0;
};

}  // namespace saver
