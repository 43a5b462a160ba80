// A winmm.dll as a stranger might leave it beside the program (a downloads folder), for one
// end-to-end test: each copy that is loaded names itself, one line each, in the file
// GLIMMER_TEST_WINMM_LOADS names. Its media commands all fail.
// Lean: the full header declares the system's own mciSendStringW, which this one replaces.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

void NoteLoad(HINSTANCE module) {
  wchar_t report[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"GLIMMER_TEST_WINMM_LOADS", report, MAX_PATH)) return;
  wchar_t path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  path[length++] = L'\n';
  HANDLE file = CreateFileW(report, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, path, length * sizeof(wchar_t), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) NoteLoad(module);
  return TRUE;
}

// MCIERR_DEVICE_NOT_INSTALLED: nothing plays through this copy.
extern "C" __declspec(dllexport) DWORD WINAPI mciSendStringW(LPCWSTR, LPWSTR, UINT, HWND) { return 277; }
