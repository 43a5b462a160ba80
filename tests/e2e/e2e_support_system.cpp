// Stand-in libraries in the system folder, environments for one process, files the
// stand-ins write, and the watch for windows being shown.
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>

#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

std::wstring UpperCase(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towupper(c));
  return text;
}

}  // namespace

std::wstring EnvironmentBlockWith(const EnvironmentChanges& changes) {
  std::map<std::wstring, std::pair<std::wstring, std::wstring>> variables;  // by upper-cased name
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      std::wstring text = entry;
      const size_t equals = text.find(L'=', 1);  // names such as "=C:" start with "="
      if (equals == std::wstring::npos) continue;
      variables[UpperCase(text.substr(0, equals))] = {text.substr(0, equals), text.substr(equals + 1)};
    }
    FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : changes) variables[UpperCase(name)] = {name, value};
  std::wstring block;
  for (const auto& [key, variable] : variables) block += variable.first + L"=" + variable.second + L'\0';
  block += L'\0';
  return block;
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

std::wstring StandInPath(const std::wstring& name) {
  std::wstring scr = ScrPath();
  return scr.substr(0, scr.find_last_of(L'\\') + 1) + GLIMMER_STAND_INS + L"\\" + name;
}

PlacedFile::PlacedFile(const std::wstring& from, const std::wstring& to) : to_(to) {
  placed_ = CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

PlacedFile::~PlacedFile() {
  if (placed_) DeleteFileW(to_.c_str());
}

std::wstring ReadWideFile(const std::wstring& path) {
  std::string bytes = ReadFileBytes(path);
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  return text;
}

bool WaitForFileSize(const std::wstring& path, size_t count, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (ReadFileBytes(path).size() < count) {
    if (GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
  return true;
}

std::wstring FreshTempFile(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + name;
  DeleteFileW(path.c_str());
  return path;
}

namespace {
const wchar_t kSaverOverrides[] = L"Software\\Wine\\AppDefaults\\" GLIMMER_SCR_NAME L"\\DllOverrides";
const wchar_t kSaverDefaults[] = L"Software\\Wine\\AppDefaults\\" GLIMMER_SCR_NAME;
}  // namespace

NativeLibraryForTheSaver::NativeLibraryForTheSaver(const std::wstring& library) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSaverOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  // Native first, then Wine's own: the order Windows itself keeps for every library.
  const wchar_t kNative[] = L"native,builtin";
  set_ = RegSetValueExW(key, library.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNative), sizeof(kNative)) ==
         ERROR_SUCCESS;
  RegCloseKey(key);
}

NativeLibraryForTheSaver::~NativeLibraryForTheSaver() { RegDeleteTreeW(HKEY_CURRENT_USER, kSaverDefaults); }

WindowShowWatch::WindowShowWatch() : report_(FreshTempFile(L"glimmer_shown.txt")) {
  module_ = LoadLibraryW(StandInPath(L"show_watch.dll").c_str());
  if (!module_) return;
  auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module_, "ShowWatchProc")));
  if (proc) hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc, module_, 0);
}

WindowShowWatch::~WindowShowWatch() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (module_) FreeLibrary(module_);
  DeleteFileW(report_.c_str());
}

size_t WindowShowWatch::Shown() const {
  std::string lines = ReadFileBytes(report_);
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), '\n'));
}

}  // namespace e2e
