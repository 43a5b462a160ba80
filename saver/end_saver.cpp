#include "saver/end_saver.h"

namespace saver {

void SaverEnder::EndSaver() {
  if (busy_) return;
  busy_ = true;
  host_.StopMusic();
  host_.RestoreCursor();
  host_.PumpPending();
  uint32_t usePassword = host_.UsePassword().value_or(0);
  if (usePassword == 0) {
    host_.SetScreenSaverRunning(false);
    host_.EndProgram();
  }
  host_.SetScreenSaverRunning(true);
  host_.SetTimer1Interval(0);
  auto answer = host_.VerifyPassword();
  // Where there is no password.cpl (every NT-family Windows) the saver simply ends; the
  // running flag goes off first, or the system would go on believing a saver runs.
  if (!answer || (*answer & 0xFFFF) != 0) {
    host_.SetScreenSaverRunning(false);
    host_.EndProgram();
  }
  host_.HideCursor();
  host_.SetTimer1Interval(100);
  host_.ActivateSaverWindow();
  busy_ = false;
}

}  // namespace saver
