#pragma once
// Program-wide services every window uses: the message pump, the modal loop, the end of
// the program and the no-folder message.
#include <windows.h>

namespace platform {

// Ending the program ends the process at once: no closing events, nothing saved.
[[noreturn]] void EndProgram();
// From now on EndProgram terminates the process: ExitProcess would first stop the other
// threads and then run the libraries' detach code, which can deadlock on a lock that a
// stopped worker held.
void NoteWorkerStarted();

// Pumps every waiting message, letting the launcher and dialogs handle their keys.
void PumpPendingMessages();
// Dispatches one message; a key for one of the program's dialog windows moves the focus
// or presses a button there first.
void DispatchOneMessage(MSG& msg);
// Runs the program's messages until the modal window is gone.
void RunModalLoop(HWND window);

// The system's wait on handles and the message queue, as the program calls it; a test
// may hand in one that fails.
using MsgWaitCall = DWORD(WINAPI*)(DWORD, const HANDLE*, DWORD, DWORD, DWORD);
// The longest sleep that stands in for a wait the system could not do.
inline constexpr DWORD kFailedWaitSleepMs = 10;
// Sleeps until one of the handles is signalled, a message arrives or timeoutMs passes,
// and says which as MsgWaitForMultipleObjectsEx does (with the flags of the show's
// waits). A failed wait returns at once, so a caller that loops would spin: it sleeps
// instead (kFailedWaitSleepMs at most), then looks at the handles without waiting, and
// reports a signalled handle or WAIT_TIMEOUT.
DWORD WaitForHandlesOrMessage(DWORD count, const HANDLE* handles, DWORD timeoutMs,
                              MsgWaitCall call = MsgWaitForMultipleObjectsEx);

// The information-icon message that asks for a picture folder.
void ShowNoFolderMessage(const wchar_t* title);

}  // namespace platform
