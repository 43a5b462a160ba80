#include "platform/program_win32.h"

#include <algorithm>
#include <atomic>

#include "res/texts.h"

namespace platform {

namespace {
std::atomic<bool> workerStarted{false};
}  // namespace

void NoteWorkerStarted() { workerStarted = true; }

void EndProgram() {
  if (workerStarted) TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);
}

// The launcher, the settings dialog and the folder browser hold controls (and say so
// with WS_EX_CONTROLPARENT); the saver window takes every key itself.
void DispatchOneMessage(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) EndProgram();
    DispatchOneMessage(msg);
  }
}

void RunModalLoop(HWND window) {
  MSG msg;
  while (IsWindow(window)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) EndProgram();
    DispatchOneMessage(msg);
  }
}

DWORD WaitForHandlesOrMessage(DWORD count, const HANDLE* handles, DWORD timeoutMs, MsgWaitCall call) {
  const DWORD woke = call(count, handles, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE | MWMO_ALERTABLE);
  if (woke != WAIT_FAILED) return woke;
  SleepEx(std::min(timeoutMs, kFailedWaitSleepMs), TRUE);
  if (count == 0) return WAIT_TIMEOUT;
  const DWORD signalled = WaitForMultipleObjects(count, handles, FALSE, 0);
  return signalled < WAIT_OBJECT_0 + count ? signalled : WAIT_TIMEOUT;
}

void ShowNoFolderMessage(const wchar_t* title) {
  MessageBoxW(nullptr, res::kNoFolderPrompt, title, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

}  // namespace platform
