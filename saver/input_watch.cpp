#include "saver/input_watch.h"

#include <cstdlib>

#include "settings/settings.h"

namespace saver {

std::optional<double> SensitivityNumber(const std::wstring& mouseM) {
  return settings::NumberBeforeNul(mouseM);
}

void InputWatch::CheckMovement(MovePair pair, platform::Point cursor, bool windowVisible,
                               const std::wstring& mouseM, const std::function<void()>& endSaver) {
  if (!windowVisible) return;
  Memory& memory = memory_[static_cast<int>(pair)];
  if (idleTicks_ < 1 && memory.seen) {
    bool moved = std::abs(int64_t{cursor.x} - memory.last.x) > 2 || std::abs(int64_t{cursor.y} - memory.last.y) > 2;
    if (moved) {
      // A sensitivity that is no number cannot be compared, and that ends the saver.
      auto limit = SensitivityNumber(mouseM);
      if (!limit || *limit == static_cast<double>(mouseCount_)) endSaver();
      CountMouseMove();
    }
  }
  memory.seen = true;
  memory.last = cursor;
  idleTicks_ = 0;
}

}  // namespace saver
