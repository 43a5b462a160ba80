#pragma once
// Ending the saver: music off, cursor back, and the saver password where it is on.
#include <cstdint>
#include <optional>

namespace saver {

class EndSaverHost {
 public:
  virtual ~EndSaverHost() = default;
  virtual void StopMusic() = 0;
  virtual void RestoreCursor() = 0;
  virtual void HideCursor() = 0;
  virtual void PumpPending() = 0;
  // ScreenSaveUsePassword as a 32-bit number; nothing when the key or value cannot be read.
  virtual std::optional<uint32_t> UsePassword() = 0;
  virtual void SetScreenSaverRunning(bool running) = 0;
  virtual void SetTimer1Interval(uint32_t ms) = 0;
  // The password dialog's answer; nothing when password.cpl or its entry is missing.
  virtual std::optional<uint32_t> VerifyPassword() = 0;
  virtual void ActivateSaverWindow() = 0;
  [[noreturn]] virtual void EndProgram() = 0;
};

class SaverEnder {
 public:
  explicit SaverEnder(EndSaverHost& host) : host_(host) {}
  // Returns only after a wrong password or a cancelled dialog. While it runs (its own
  // message pump, the password dialog), further triggers are ignored.
  void EndSaver();
  bool Busy() const { return busy_; }

 private:
  EndSaverHost& host_;
  bool busy_ = false;
};

}  // namespace saver
