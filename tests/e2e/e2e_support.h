#pragma once
// Starting the real o_glmk.scr under test and looking at what it shows.
#include <windows.h>

#include <string>
#include <utility>
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

// Environment variables changed for one started process only: name and value.
using EnvironmentChanges = std::vector<std::pair<std::wstring, std::wstring>>;

class SaverProcess {
 public:
  // Starts in workingDirectory when one is given, else in this program's own, with this
  // program's environment and the changes.
  explicit SaverProcess(const std::wstring& arguments, const std::wstring& workingDirectory = L"",
                        const EnvironmentChanges& environment = {});
  ~SaverProcess();
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  DWORD MainThreadId() const { return threadId_; }
  HANDLE Handle() const { return process_; }
  // True when the process ended within timeoutMs.
  bool WaitForExit(DWORD timeoutMs);
  bool Running() const;
  // A visible top-level window of this process with exactly this caption.
  HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const;
  HWND FindVisibleWindow(const std::wstring& caption) const;
  // True when no visible top-level window of this process is left.
  bool NoVisibleWindow() const;
  // The captions of this process's visible top-level windows, sorted.
  std::vector<std::wstring> VisibleCaptions() const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  DWORD threadId_ = 0;
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
// How each test of the running saver begins: no settings file, no saver password, the
// cursor resting in the middle of the 1024 x 768 screen.
void StartFresh();
void Click(int x, int y);
// True when every colour component is within tolerance of want.
bool Near(COLORREF got, COLORREF want, int tolerance = 24);
// The screen at one moment from (left, top) in virtual-screen pixels, as 0x00RRGGBB
// values row by row.
std::vector<uint32_t> CaptureScreen(int width, int height, int left = 0, int top = 0);

}  // namespace e2e

namespace e2e {

// Controls of another process, through the messages the system carries between processes.
// Each call waits at most kMessageTimeoutMs, so a hung program fails a test instead of hanging it.
inline constexpr DWORD kMessageTimeoutMs = 5000;
LRESULT SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring ControlText(HWND control);
void SetControlText(HWND control, const std::wstring& text);
// BM_CLICK that returns once the click and the rules it sets off are handled; only for
// buttons whose click opens no modal window.
void ClickAndWait(HWND button);
bool IsChecked(HWND checkBox);
int ScrollPosition(HWND bar);
void SetScrollPosition(HWND bar, int position);
std::vector<std::wstring> ListBoxItems(HWND list);
std::vector<std::wstring> ComboBoxItems(HWND combo);
// The nth child of this class with exactly this text, or null.
HWND ChildWithText(HWND parent, const std::wstring& className, const std::wstring& text, size_t nth = 0);
// True once the window is destroyed or hidden.
bool WaitUntilGone(HWND window, DWORD timeoutMs);

std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Where the settings go when the Windows folder refuses them: %LOCALAPPDATA%\VirtualStore\Windows.
std::wstring VirtualStoreSettingsPath();
void RemoveVirtualStoreSettings();
// The settings text with these keys' values changed; every key must be in the text.
std::string WithValues(std::string text, const std::vector<std::pair<std::string, std::string>>& values);
std::string WithoutKey(std::string text, const std::string& key);

// Clicks the launcher's 設定 and returns the settings dialog, or null.
HWND OpenSettingsFromLauncher(const SaverProcess& saver, DWORD timeoutMs = 15000);

// The settings dialog of a running o_glmk.scr; its controls found by their ids.
class SettingsDialog {
 public:
  explicit SettingsDialog(HWND window) : window_(window) {}
  HWND Window() const { return window_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  std::wstring FolderText() const;
  void SetFolderText(const std::wstring& text) const;
  void Toggle(int checkBoxId) const { ClickAndWait(Item(checkBoxId)); }
  bool Checked(int checkBoxId) const { return IsChecked(Item(checkBoxId)); }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  // Posts the button's click: its handler may run a modal window.
  void Press(int buttonId) const { ClickButton(Item(buttonId)); }
  bool PressAndWaitUntilClosed(int buttonId, DWORD timeoutMs = 5000) const;

 private:
  HWND window_;
};

// Milliseconds until the screen shows the colour at (x, y), looked at every 10 ms; -1 when
// it does not within timeoutMs.
int MsUntilColourAt(int x, int y, COLORREF colour, DWORD timeoutMs);
// Waits until the screen's centre shows the colour, as the show's first picture settles.
bool WaitForCentreColour(COLORREF colour, DWORD timeoutMs);

}  // namespace e2e

namespace e2e {

// This program's environment block with the changes made, ready for CreateProcessW.
std::wstring EnvironmentBlockWith(const EnvironmentChanges& changes);
// The system folder (C:\windows\system32).
std::wstring SystemFolder();
// A stand-in library built for the tests (password.cpl, mpr.dll), not beside the .scr.
std::wstring StandInPath(const std::wstring& name);

// A file copied to a place for the life of this object, and taken away again.
class PlacedFile {
 public:
  PlacedFile(const std::wstring& from, const std::wstring& to);
  ~PlacedFile();
  PlacedFile(const PlacedFile&) = delete;
  PlacedFile& operator=(const PlacedFile&) = delete;
  bool Placed() const { return placed_; }
  const std::wstring& Path() const { return to_; }

 private:
  std::wstring to_;
  bool placed_ = false;
};

// The stand-in password.cpl in the system folder, where the saver looks for it.
class SystemPasswordCpl : public PlacedFile {
 public:
  SystemPasswordCpl() : PlacedFile(StandInPath(L"password.cpl"), SystemFolder() + L"\\password.cpl") {}
};

// A UTF-16 text file as a stand-in wrote it; empty when there is none.
std::wstring ReadWideFile(const std::wstring& path);
// Waits until the file holds at least `count` bytes; false after timeoutMs.
bool WaitForFileSize(const std::wstring& path, size_t count, DWORD timeoutMs);
// A fresh, empty file name in the temporary folder.
std::wstring FreshTempFile(const std::wstring& name);

// Wine's per-program setting that makes o_glmk.scr, and no other program, look for a
// library's files (beside the program, in the system folder) before Wine's own, as Windows
// does; taken out again at the end.
class NativeLibraryForTheSaver {
 public:
  explicit NativeLibraryForTheSaver(const std::wstring& library);
  ~NativeLibraryForTheSaver();
  NativeLibraryForTheSaver(const NativeLibraryForTheSaver&) = delete;
  NativeLibraryForTheSaver& operator=(const NativeLibraryForTheSaver&) = delete;
  bool Set() const { return set_; }

 private:
  bool set_ = false;
};

// Notes every window that a program started with Environment() shows, from its very
// start: a window shown and ended again between two looks is noted as well. A window hook
// set for every program does it, in the program itself.
class WindowShowWatch {
 public:
  WindowShowWatch();
  ~WindowShowWatch();
  WindowShowWatch(const WindowShowWatch&) = delete;
  WindowShowWatch& operator=(const WindowShowWatch&) = delete;
  bool Watching() const { return hook_ != nullptr; }
  EnvironmentChanges Environment() const { return {{L"GLIMMER_TEST_SHOWN", report_}}; }
  // How many times a window was shown.
  size_t Shown() const;

 private:
  std::wstring report_;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
};

}  // namespace e2e
