#pragma once
// The notice that no pictures were found, from the saver window.

namespace saver {

class NoFolderHost {
 public:
  virtual ~NoFolderHost() = default;
  virtual void HideWindow() = 0;
  virtual void RestoreCursor() = 0;
  // Raises the cursor display count once more.
  virtual void ShowCursorOnce() = 0;
  // The information message; returns once the user has closed it.
  virtual void ShowNoFolderMessage() = 0;
  virtual void ShowSettingsDialogModeless() = 0;
};

// The saver window goes first: left visible and topmost it would cover the message and
// the settings dialog, and the user could get past neither.
void ReportNoFolder(NoFolderHost& host);

}  // namespace saver
