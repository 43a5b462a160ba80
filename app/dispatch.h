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

// The no-folder notice stays silent once configure, preview or no mode was chosen.
inline bool ModeChosenFor(StartMode mode) {
  return mode == StartMode::Configure || mode == StartMode::Preview;
}

}  // namespace app
