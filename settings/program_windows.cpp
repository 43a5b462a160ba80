#include "settings/program_windows.h"

namespace settings {
namespace {

class NoOtherWindows : public ProgramWindows {
 public:
  void CloseSaverWindow() override {}
  void RunSaverAndCloseLauncher() override {}
  void EmptyPictureList() override {}
  void EndProgramIfNoWindowIsLeft() override {}
};

ProgramWindows*& Current() {
  static NoOtherWindows none;
  static ProgramWindows* current = &none;
  return current;
}

}  // namespace

void UseProgramWindows(ProgramWindows& windows) { Current() = &windows; }

ProgramWindows& TheProgramWindows() { return *Current(); }

}  // namespace settings
