#pragma once
// What the Wine harnesses share: settings and picture files for the real o_glmk.scr, the
// saver's process, its window and the screen's centre.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

inline constexpr wchar_t kCaption[] = L"Glimmerdeck";
inline constexpr DWORD kWindowTimeoutMs = 20000;
inline constexpr DWORD kExitTimeoutMs = 5000;

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A small solid 24-bit BMP; the saver enlarges it to fill the screen.
inline std::string SolidBmp(int width, int height, COLORREF colour) {
  const int rowBytes = (width * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes) * height;
  std::string bytes(54 + imageBytes, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, 10, 54);
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<uint32_t>(width));
  Put32(bytes, 22, static_cast<uint32_t>(height));
  bytes[26] = 1;
  bytes[28] = 24;
  Put32(bytes, 34, imageBytes);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = 54 + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 3;
      bytes[at] = static_cast<char>(GetBValue(colour));
      bytes[at + 1] = static_cast<char>(GetGValue(colour));
      bytes[at + 2] = static_cast<char>(GetRValue(colour));
    }
  }
  return bytes;
}

inline std::wstring SettingsPath() {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\O_GLMK.INI";
}

// Pictures centred and enlarged; order "1" is file-name order, "0" random.
inline void WriteSettings(const std::string& folder, const std::string& speed, const std::string& order,
                          const std::string& biliner) {
  WriteBytes(SettingsPath(), "[Orvella_Glimmerdeck]\r\nFolder=" + folder + "\r\nSpeed=" + speed +
                                 "\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=1\r\nOderFileName=" + order +
                                 "\r\nBgmPlay=0\r\nBgmPlayName=\r\nKakudai=1\r\nRefresh=0\r\nBiliner=" + biliner +
                                 "\r\nSubFolder=0\r\nShaffle=0\r\nMulti=0\r\n");
}

class SaverProcess {
 public:
  explicit SaverProcess(const std::wstring& scrPath) {
    std::wstring line = L"\"" + scrPath + L"\" /S";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
      id_ = info.dwProcessId;
    }
  }
  // A saver still running here is one whose run failed: it is ended, not left behind.
  ~SaverProcess() {
    if (!process_) return;
    if (!detached_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, kExitTimeoutMs);
    }
    CloseHandle(process_);
  }
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }
  void Detach() { detached_ = true; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  bool detached_ = false;
};

// The visible "Glimmerdeck" window of the process, or of any process when processId is 0.
inline HWND FindSaverWindow(DWORD processId) {
  struct Request {
    DWORD processId;
    HWND found;
  } request{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* request = reinterpret_cast<Request*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t text[64] = {};
        GetWindowTextW(window, text, 64);
        if ((request->processId == 0 || owner == request->processId) && IsWindowVisible(window) &&
            lstrcmpW(text, kCaption) == 0) {
          request->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&request));
  return request.found;
}

inline bool WaitForSaverWindow(DWORD processId) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWindowTimeoutMs) {
    if (FindSaverWindow(processId)) return true;
    Sleep(20);
  }
  return false;
}

inline bool Near(COLORREF got, COLORREF want) {
  const int tolerance = 24;
  return std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
         std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
         std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
}

inline COLORREF ScreenCentrePixel() {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
  ReleaseDC(nullptr, screen);
  return colour;
}

// Milliseconds until the screen's centre shows the colour; negative when it does not
// within timeoutMs.
inline double MsUntilCentre(COLORREF colour, DWORD timeoutMs) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (;;) {
    const bool shown = Near(ScreenCentrePixel(), colour);
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (shown) return ms;
    if (ms > timeoutMs) return -1;
    Sleep(5);
  }
}

inline void PressKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace bench
