// A window hook for the end-to-end tests only: set for every process by a test, it runs in
// each program whose windows receive messages, and in one started with GLIMMER_TEST_SHOWN
// in its environment it notes every top-level window that is being shown, one line each, in that
// file. A window shown and gone again between two looks of the test is noted as well.
#include <windows.h>

namespace {

// A child control shown inside a hidden window appears nowhere: only top-level windows count.
bool IsBeingShown(const CWPSTRUCT& message) {
  if (GetWindowLongPtrW(message.hwnd, GWL_STYLE) & WS_CHILD) return false;
  if (message.message == WM_SHOWWINDOW) return message.wParam != 0;
  if (message.message == WM_WINDOWPOSCHANGING)
    return (reinterpret_cast<const WINDOWPOS*>(message.lParam)->flags & SWP_SHOWWINDOW) != 0;
  return false;
}

void NoteShown() {
  wchar_t path[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"GLIMMER_TEST_SHOWN", path, MAX_PATH)) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, "shown\n", 6, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ShowWatchProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && IsBeingShown(*reinterpret_cast<const CWPSTRUCT*>(lParam))) NoteShown();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
