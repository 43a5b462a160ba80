#include "saver/cursor.h"

namespace saver {

void CursorKeeper::HideCursor() {
  int count = display_.Show(false);
  savedCursorCount_ = count + 1;
  while (count >= 0) count = display_.Show(false);
}

void CursorKeeper::RestoreCursor() {
  int count = display_.Show(true);
  while (count < savedCursorCount_) count = display_.Show(true);
}

}  // namespace saver
