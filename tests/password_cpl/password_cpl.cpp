// A stand-in for the Windows 9x password.cpl, for the end-to-end tests only. The answer
// comes from GLIMMER_TEST_PASSWORD in the saver's environment: "right", "wrong", or
// "absent" (the library then refuses to load, as on a system without it).
#include <windows.h>

namespace {

bool Answer(const wchar_t* want) {
  wchar_t value[32] = {};
  GetEnvironmentVariableW(L"GLIMMER_TEST_PASSWORD", value, 32);
  return lstrcmpiW(value, want) == 0;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && Answer(L"absent")) return FALSE;
  return TRUE;
}

// Counts its calls in GLIMMER_TEST_PASSWORD_CALLS's file, so a test can see it was asked.
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) {
  wchar_t log[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"GLIMMER_TEST_PASSWORD_CALLS", log, MAX_PATH)) {
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, "x", 1, &written, nullptr);
      CloseHandle(file);
    }
  }
  Sleep(300);  // a dialog takes a moment
  return Answer(L"right") ? 1 : 0;
}
