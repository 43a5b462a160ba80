#pragma once
// Starting the real o_glmk.scr under test and looking at what it shows.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

std::wstring ScrPath();
std::wstring SettingsPath();
void RemoveSettings();
// Writes the settings file as the profile functions would: CR LF line ends, ANSI.
void WriteSettingsText(const std::string& text);
std::string ReadSettingsBytes();
// A settings file whose folder is the given one and whose other keys are as a fresh save.
std::string SettingsWithFolder(const std::string& folder, const std::string& extraLines = "");

class SaverProcess {
 public:
  explicit SaverProcess(const std::wstring& arguments);
  ~SaverProcess();
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  // True when the process ended within timeoutMs.
  bool WaitForExit(DWORD timeoutMs);
  bool Running() const;
  // A visible top-level window of this process with exactly this caption.
  HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const;
  HWND FindVisibleWindow(const std::wstring& caption) const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

std::wstring WindowText(HWND window);
std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className);
// Clicks a button through its own message, as a user's click would.
void ClickButton(HWND button);
COLORREF ScreenPixel(int x, int y);
void PressKey(WORD virtualKey);
void Sleep(DWORD ms);

}  // namespace e2e

namespace e2e {

// A 24-bit BMP file whose pixels come from colourAt(x, y) as RGB().
void WriteBmp(const std::wstring& path, int width, int height, COLORREF (*colourAt)(int x, int y, int w, int h));
void WriteSolidBmp(const std::wstring& path, int width, int height, COLORREF colour);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// A fresh, empty folder C:\glimmer_e2e\<name>.
std::wstring FreshFolder(const std::wstring& name);
std::string Narrow(const std::wstring& text);
void SetUsePassword(bool on);
void MoveCursor(int x, int y);
void Click(int x, int y);
// True when every colour component is within tolerance of want.
bool Near(COLORREF got, COLORREF want, int tolerance = 24);
// The whole screen at one moment, as 0x00RRGGBB values row by row.
std::vector<uint32_t> CaptureScreen(int width, int height);

}  // namespace e2e
