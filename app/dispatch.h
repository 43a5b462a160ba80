#pragma once
// Which mode a command line selects.
#include <string>
#include <string_view>

namespace app {

enum class StartMode {
  Run,             // "/S": show the saver, or the no-folder notice when no folder is saved
  RunQuiet,        // "-S": show the saver, or just the launcher when no folder is saved
  ChangePassword,  // "/A", "-A"
  Configure,       // "/C", "-C", no arguments: the launcher
  Preview,         // "/P" and every other text: end at once
};

// The arguments after the program's own name and the blanks that separate them.
std::wstring ArgumentText(std::wstring_view commandLine);

// Only the first two characters count, upper-cased; the window handle that the shell
// appends to "/P" and "/C" is ignored.
StartMode ChooseMode(std::wstring_view argumentText);

// What the start-up dispatch does to the program's windows.
class StartHost {
 public:
  virtual ~StartHost() = default;
  virtual void CentreLauncher() = 0;
  // Whether a picture folder has been saved (Folder read with the default "none").
  virtual bool FolderIsSaved() = 0;
  // Shows the saver window and closes the launcher.
  virtual void RunSaverAndCloseLauncher() = 0;
  virtual void ShowLauncher() = 0;
  virtual void StopTimer1() = 0;
  // False where mpr.dll has no password change (every NT-family Windows).
  virtual bool ChangeSaverPassword() = 0;
  // The no-folder message, then the launcher and the settings dialog, modeless.
  virtual void ShowNoFolderNotice() = 0;
};

enum class AfterStart { RunMessageLoop, EndProgram };

// Runs the chosen mode. A failure on the way (an exception) takes the no-folder route:
// the notice, or, once configure or preview was chosen, silently on to the launcher, as a
// finished start-up would show it. A route that fails in turn ends the program rather than
// leave it running with nothing on screen.
AfterStart Dispatch(StartMode mode, StartHost& host);

// What the launcher's Run does to the program's windows.
class LauncherRunHost {
 public:
  virtual ~LauncherRunHost() = default;
  virtual bool FolderIsSaved() = 0;
  virtual void RunSaverAndCloseLauncher() = 0;
  virtual void ShowNoFolderMessage() = 0;
  virtual void ShowSettingsDialogModal() = 0;
};

// The launcher's Run: the saver with a saved folder; without one, or when reading the
// setting or showing the saver fails, the no-folder message and the settings dialog.
void LauncherRun(LauncherRunHost& host);

}  // namespace app
