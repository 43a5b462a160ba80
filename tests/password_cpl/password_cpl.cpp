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

// Appends bytes to the file that the environment variable names, if it names one.
void AppendTo(const wchar_t* variable, const void* bytes, DWORD size) {
  wchar_t path[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(variable, path, MAX_PATH)) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes, size, &written, nullptr);
  CloseHandle(file);
}

// Each copy that is loaded names itself, one line each, in GLIMMER_TEST_CPL_LOADS's file: a
// test can see which of several copies the saver took.
void NoteLoad(HINSTANCE module) {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  path[length++] = L'\n';
  AppendTo(L"GLIMMER_TEST_CPL_LOADS", path, length * sizeof(wchar_t));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  NoteLoad(module);
  return Answer(L"absent") ? FALSE : TRUE;
}

// Counts its calls in GLIMMER_TEST_PASSWORD_CALLS's file, so a test can see it was asked.
extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND) {
  AppendTo(L"GLIMMER_TEST_PASSWORD_CALLS", "x", 1);
  Sleep(300);  // a dialog takes a moment
  return Answer(L"right") ? 1 : 0;
}
