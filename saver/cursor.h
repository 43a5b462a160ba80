#pragma once
// Hiding and restoring the mouse cursor through the system's display count.
#include "platform/ports.h"

namespace saver {

class CursorKeeper {
 public:
  explicit CursorKeeper(platform::CursorDisplay& display) : display_(display) {}

  // Lowers the count until it is below zero, whatever others did to it, and keeps
  // the count that was in force before.
  void HideCursor();
  // Raises the count back to the kept value, and always at least once.
  void RestoreCursor();
  int SavedCursorCount() const { return savedCursorCount_; }

 private:
  platform::CursorDisplay& display_;
  int savedCursorCount_ = 0;
};

}  // namespace saver
