#include "tests/e2e/e2e_support.h"

#include <fstream>
#include <iterator>

namespace e2e {
namespace {

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

struct FindRequest {
  DWORD processId;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<FindRequest*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == request->processId && IsWindowVisible(window) && WindowText(window) == *request->caption) {
    request->found = window;
    return FALSE;
  }
  return TRUE;
}

struct ChildRequest {
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK ChildProc(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<ChildRequest*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpiW(name, request->className.c_str()) == 0) request->found.push_back(window);
  return TRUE;
}

}  // namespace

std::wstring ScrPath() { return ExeFolder() + GLIMMER_SCR_NAME; }

std::wstring SettingsPath() {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\O_GLMK.INI";
}

void RemoveSettings() { DeleteFileW(SettingsPath().c_str()); }

void WriteSettingsText(const std::string& text) {
  std::ofstream out(SettingsPath().c_str(), std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadSettingsBytes() {
  std::ifstream in(SettingsPath().c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string SettingsWithFolder(const std::string& folder, const std::string& extraLines) {
  return "[Orvella_Glimmerdeck]\r\nFolder=" + folder +
         "\r\nSpeed=10000\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=0\r\nOderFileName=0\r\nBgmPlay=0\r\n"
         "BgmPlayName=\r\nKakudai=0\r\nRefresh=0\r\nBiliner=0\r\nSubFolder=0\r\nShaffle=0\r\nMulti=0\r\n" +
         extraLines;
}

SaverProcess::SaverProcess(const std::wstring& arguments) {
  std::wstring line = L"\"" + ScrPath() + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

SaverProcess::~SaverProcess() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool SaverProcess::WaitForExit(DWORD timeoutMs) {
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool SaverProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND SaverProcess::FindVisibleWindow(const std::wstring& caption) const {
  FindRequest request{id_, &caption, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

HWND SaverProcess::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (HWND window = FindVisibleWindow(caption)) return window;
    ::Sleep(50);
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className) {
  ChildRequest request{className, {}};
  EnumChildWindows(parent, ChildProc, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

void PressKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void Sleep(DWORD ms) { ::Sleep(ms); }

}  // namespace e2e
