#include "tests/e2e/e2e_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <shlobj.h>

#include "platform/dib_win32.h"
#include "settings/settings_dialog_layout.h"

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

SaverProcess::SaverProcess(const std::wstring& arguments, const std::wstring& workingDirectory,
                           const EnvironmentChanges& environment) {
  std::wstring line = L"\"" + ScrPath() + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const wchar_t* directory = workingDirectory.empty() ? nullptr : workingDirectory.c_str();
  std::wstring block = environment.empty() ? std::wstring() : EnvironmentBlockWith(environment);
  void* env = environment.empty() ? nullptr : block.data();
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, env, directory,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
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

namespace {
struct AnyVisibleRequest {
  DWORD processId;
  bool found;
};

BOOL CALLBACK AnyVisibleProc(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<AnyVisibleRequest*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == request->processId && IsWindowVisible(window)) {
    request->found = true;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool SaverProcess::NoVisibleWindow() const {
  AnyVisibleRequest request{id_, false};
  EnumWindows(AnyVisibleProc, reinterpret_cast<LPARAM>(&request));
  return !request.found;
}

namespace {
struct CaptionsRequest {
  DWORD processId;
  std::vector<std::wstring> captions;
};

BOOL CALLBACK CaptionsProc(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<CaptionsRequest*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == request->processId && IsWindowVisible(window)) request->captions.push_back(WindowText(window));
  return TRUE;
}
}  // namespace

std::vector<std::wstring> SaverProcess::VisibleCaptions() const {
  CaptionsRequest request{id_, {}};
  EnumWindows(CaptionsProc, reinterpret_cast<LPARAM>(&request));
  std::sort(request.captions.begin(), request.captions.end());
  return request.captions;
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

namespace e2e {

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

void WriteBmp(const std::wstring& path, int width, int height, COLORREF (*colourAt)(int, int, int, int)) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes) * height;
  std::string file(54 + imageBytes, '\0');
  auto put32 = [&](size_t at, uint32_t v) { memcpy(&file[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { memcpy(&file[at], &v, 2); };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(34, imageBytes);
  for (int y = 0; y < height; ++y) {
    char* row = &file[54 + static_cast<size_t>(height - 1 - y) * rowBytes];
    for (int x = 0; x < width; ++x) {
      COLORREF c = colourAt(x, y, width, height);
      row[x * 3] = static_cast<char>(GetBValue(c));
      row[x * 3 + 1] = static_cast<char>(GetGValue(c));
      row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
  }
  WriteBytes(path, file);
}

namespace {
COLORREF solidColour = 0;
COLORREF Solid(int, int, int, int) { return solidColour; }

void RemoveFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveFolderTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}
}  // namespace

void WriteSolidBmp(const std::wstring& path, int width, int height, COLORREF colour) {
  solidColour = colour;
  WriteBmp(path, width, height, Solid);
}

std::wstring FreshFolder(const std::wstring& name) {
  CreateDirectoryW(L"C:\\glimmer_e2e", nullptr);
  std::wstring folder = L"C:\\glimmer_e2e\\" + name;
  RemoveFolderTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void StartFresh() {
  RemoveSettings();
  SetUsePassword(false);
  MoveCursor(500, 400);
}

std::string Narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

void SetUsePassword(bool on) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (on) {
    DWORD one = 1;
    RegSetValueExW(key, L"ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof(one));
  } else {
    RegDeleteValueW(key, L"ScreenSaveUsePassword");
  }
  RegCloseKey(key);
}

void MoveCursor(int x, int y) { SetCursorPos(x, y); }

void Click(int x, int y) {
  SetCursorPos(x, y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

bool Near(COLORREF got, COLORREF want, int tolerance) {
  return std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
         std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
         std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
}

std::vector<uint32_t> CaptureScreen(int width, int height, int left, int top) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = platform::TopDownDibInfo(width, height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
  memcpy(pixels.data(), bits, pixels.size() * 4);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace e2e

namespace e2e {

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeoutMs, &result)) {
    ADD_FAILURE() << "message " << message << " was not answered";
    return 0;
  }
  return static_cast<LRESULT>(result);
}

std::wstring ControlText(HWND control) {
  const LRESULT length = SendTo(control, WM_GETTEXTLENGTH);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendTo(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

void SetControlText(HWND control, const std::wstring& text) {
  SendTo(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ClickAndWait(HWND button) { SendTo(button, BM_CLICK); }

bool IsChecked(HWND checkBox) { return SendTo(checkBox, BM_GETCHECK) == BST_CHECKED; }

int ScrollPosition(HWND bar) { return static_cast<int>(SendTo(bar, SBM_GETPOS)); }

void SetScrollPosition(HWND bar, int position) { SendTo(bar, SBM_SETPOS, static_cast<WPARAM>(position), TRUE); }

namespace {
std::vector<std::wstring> Items(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
  std::vector<std::wstring> items;
  const LRESULT count = SendTo(control, countMessage);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendTo(control, lengthMessage, static_cast<WPARAM>(i));
    std::wstring text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
    const LRESULT got = SendTo(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    items.push_back(text);
  }
  return items;
}

struct TextRequest {
  const std::wstring* className;
  const std::wstring* text;
  size_t skip;
  HWND found;
};

BOOL CALLBACK TextProc(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<TextRequest*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpiW(name, request->className->c_str()) != 0 || WindowText(window) != *request->text) return TRUE;
  if (request->skip-- > 0) return TRUE;
  request->found = window;
  return FALSE;
}
}  // namespace

std::vector<std::wstring> ListBoxItems(HWND list) { return Items(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }

std::vector<std::wstring> ComboBoxItems(HWND combo) {
  return Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

HWND ChildWithText(HWND parent, const std::wstring& className, const std::wstring& text, size_t nth) {
  TextRequest request{&className, &text, nth, nullptr};
  EnumChildWindows(parent, TextProc, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(50);
  }
  return true;
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring VirtualStoreSettingsPath() {
  PWSTR local = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)))
    path = std::wstring(local) + L"\\VirtualStore\\Windows\\O_GLMK.INI";
  CoTaskMemFree(local);
  return path;
}

void RemoveVirtualStoreSettings() { DeleteFileW(VirtualStoreSettingsPath().c_str()); }

namespace {
// Where the value of key starts and ends in a CR LF settings text; npos when absent.
std::pair<size_t, size_t> ValueSpan(const std::string& text, const std::string& key) {
  const std::string marker = "\r\n" + key + "=";
  size_t at = text.find(marker);
  if (at == std::string::npos) return {std::string::npos, std::string::npos};
  size_t start = at + marker.size();
  return {start, text.find("\r\n", start)};
}
}  // namespace

std::string WithValues(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values) {
    auto [start, end] = ValueSpan(text, key);
    if (start == std::string::npos) {
      ADD_FAILURE() << "no key " << key << " in the settings text";
      continue;
    }
    text.replace(start, end - start, value);
  }
  return text;
}

std::string WithoutKey(std::string text, const std::string& key) {
  auto [start, end] = ValueSpan(text, key);
  if (start == std::string::npos) {
    ADD_FAILURE() << "no key " << key << " in the settings text";
    return text;
  }
  const size_t lineStart = start - key.size() - 1;
  text.erase(lineStart, end + 2 - lineStart);
  return text;
}

HWND OpenSettingsFromLauncher(const SaverProcess& saver, DWORD timeoutMs) {
  HWND launcher = saver.WaitForWindow(L"Glimmerdeck Information", timeoutMs);
  if (!launcher) return nullptr;
  HWND button = ChildWithText(launcher, L"Button", L"設定");
  if (!button) return nullptr;
  // Posted: the button's handler runs the dialog's modal loop and returns only when it closes.
  ClickButton(button);
  return saver.WaitForWindow(L"フォルダ・速度設定", 5000);
}

std::wstring SettingsDialog::FolderText() const { return ControlText(Item(settings::kText1)); }

void SettingsDialog::SetFolderText(const std::wstring& text) const { SetControlText(Item(settings::kText1), text); }

bool SettingsDialog::PressAndWaitUntilClosed(int buttonId, DWORD timeoutMs) const {
  Press(buttonId);
  return WaitUntilGone(window_, timeoutMs);
}

int MsUntilColourAt(int x, int y, COLORREF colour, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (Near(ScreenPixel(x, y), colour)) return static_cast<int>(GetTickCount() - start);
    ::Sleep(10);
  }
  return -1;
}

bool WaitForCentreColour(COLORREF colour, DWORD timeoutMs) {
  return MsUntilColourAt(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, colour, timeoutMs) >= 0;
}

}  // namespace e2e
