#pragma once
// What the whole program shares: its windows and the start-up facts.
#include <windows.h>

#include <cstdint>

namespace saver {
class SaverWindow;
}

namespace app {

class Launcher;

struct Program {
  HINSTANCE instance = nullptr;
  HWND appWindow = nullptr;      // hidden owner, captioned with the application title
  bool previousInstance = false;  // another process held the instance mutex first
  int16_t modeChosen = 0;
  saver::SaverWindow* saver = nullptr;
  Launcher* launcher = nullptr;
};

Program& TheProgram();

// Ending the program ends the process at once: no closing events, nothing saved.
[[noreturn]] void EndProgram();

// Pumps every waiting message, letting the launcher and dialogs handle their keys.
void PumpPendingMessages();
// Dispatches one message; a key for one of the program's dialog windows moves the focus
// or presses a button there first.
void DispatchOneMessage(MSG& msg);
// Runs the program's messages until the modal window is gone.
void RunModalLoop(HWND window);
// Ends the program when neither the launcher nor the saver window is on screen: a
// hidden saver window alone would keep an invisible process alive, and every later
// start would end at once as a second instance.
void EndProgramIfNoWindowIsLeft();

// The information-icon message that asks for a picture folder.
void ShowNoFolderMessage(const wchar_t* title);

}  // namespace app
