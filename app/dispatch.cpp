#include "app/dispatch.h"

namespace app {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

}  // namespace

// The program name ends at its closing quote when it starts with one, else at the
// first blank (the rule Windows itself applies to argv[0]).
std::wstring ArgumentText(std::wstring_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return std::wstring(commandLine.substr(i));
}

namespace {

// The steps of each mode; modeChosen tells the failure route whether to stay silent.
AfterStart RunMode(StartMode mode, StartHost& host, bool& modeChosen) {
  host.CentreLauncher();
  switch (mode) {
    case StartMode::Run:
      if (host.FolderIsSaved())
        host.RunSaverAndCloseLauncher();
      else
        host.ShowNoFolderNotice();
      return AfterStart::RunMessageLoop;
    case StartMode::RunQuiet:
      if (host.FolderIsSaved())
        host.RunSaverAndCloseLauncher();
      else
        host.ShowLauncher();
      return AfterStart::RunMessageLoop;
    case StartMode::ChangePassword:
      host.StopTimer1();
      if (host.ChangeSaverPassword()) return AfterStart::EndProgram;
      host.ShowNoFolderNotice();
      return AfterStart::RunMessageLoop;
    case StartMode::Configure:
      host.StopTimer1();
      modeChosen = true;
      host.ShowLauncher();
      return AfterStart::RunMessageLoop;
    case StartMode::Preview:
      host.StopTimer1();
      modeChosen = true;
      return AfterStart::EndProgram;
  }
  return AfterStart::EndProgram;
}

}  // namespace

AfterStart Dispatch(StartMode mode, StartHost& host) {
  bool modeChosen = false;
  try {
    return RunMode(mode, host, modeChosen);
  } catch (...) {
  }
  try {
    if (modeChosen)
      host.ShowLauncher();
    else
      host.ShowNoFolderNotice();
    return AfterStart::RunMessageLoop;
  } catch (...) {
    return AfterStart::EndProgram;
  }
}

void LauncherRun(LauncherRunHost& host) {
  try {
    if (host.FolderIsSaved()) {
      host.RunSaverAndCloseLauncher();
      return;
    }
  } catch (...) {
  }
  host.ShowNoFolderMessage();
  host.ShowSettingsDialogModal();
}

StartMode ChooseMode(std::wstring_view argumentText) {
  std::wstring key;
  for (wchar_t c : argumentText.substr(0, 2)) key += Upper(c);
  if (key == L"/S") return StartMode::Run;
  if (key == L"-S") return StartMode::RunQuiet;
  if (key == L"/A" || key == L"-A") return StartMode::ChangePassword;
  if (key == L"/C" || key == L"-C" || key.empty()) return StartMode::Configure;
  return StartMode::Preview;
}

}  // namespace app
