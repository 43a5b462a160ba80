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
  saver::SaverWindow* saver = nullptr;
  Launcher* launcher = nullptr;
};

Program& TheProgram();

}  // namespace app
