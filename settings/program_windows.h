#pragma once
// What the settings dialog and the folder browser do to the program's other windows. The
// program implements it at start, so that the settings windows never reach into the saver
// window or the launcher themselves.

namespace settings {

class ProgramWindows {
 public:
  virtual ~ProgramWindows() = default;
  // Hides the saver window, stops its music and empties its picture list.
  virtual void CloseSaverWindow() = 0;
  // Save-and-run: the saver window is shown and the launcher closed.
  virtual void RunSaverAndCloseLauncher() = 0;
  // A folder was confirmed: no list built for an earlier folder may survive the change.
  virtual void EmptyPictureList() = 0;
  // A hidden saver window alone would keep an invisible process alive, and every later
  // start would end at once as a second instance.
  virtual void EndProgramIfNoWindowIsLeft() = 0;
};

// Until the program sets its own, the settings windows act on no other window.
void UseProgramWindows(ProgramWindows& windows);
ProgramWindows& TheProgramWindows();

}  // namespace settings
