#pragma once
// The full-screen saver window: black, topmost, over every monitor.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drawing/paint.h"
#include "music/background_music.h"
#include "music/mci_channel_win32.h"
#include "music/mci_module.h"
#include "pictures/colour_plan.h"
#include "platform/base_window_win32.h"
#include "platform/monitors_win32.h"
#include "platform/ports.h"
#include "platform/random_generator.h"
#include "platform/win32_handles.h"
#include "platform/worker_win32.h"
#include "saver/cursor.h"
#include "saver/display_change.h"
#include "saver/end_saver.h"
#include "saver/input_watch.h"
#include "saver/monitors.h"
#include "settings/settings.h"
#include "show/slide_show.h"

namespace saver {

class SystemCursor : public platform::CursorDisplay {
 public:
  int Show(bool show) override { return ShowCursor(show ? TRUE : FALSE); }
};

class TickClock : public platform::Clock {
 public:
  uint32_t Ticks() override { return GetTickCount(); }
};

// An off-screen 32-bit picture of the whole window: drawing goes here first and is then
// copied to the screen, so nothing flickers.
class BackBuffer {
 public:
  void Resize(int width, int height);
  // A buffer made anew, with the old one's kept part copied to its place in it.
  void Remake(int width, int height, const std::optional<KeptPart>& kept);
  HDC Dc() const { return dc_.get(); }
  uint32_t* Pixels() const { return pixels_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  drawing::PaintTarget Target() const;
  void Clear();

 private:
  platform::UniqueMemoryDc dc_;
  platform::UniqueGdi<HBITMAP> bitmap_;
  HGDIOBJ original_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

class SaverWindow : public platform::BaseWindow<SaverWindow>,
                    public show::ShowHost,
                    public EndSaverHost,
                    public music::MusicTimer {
 public:
  static constexpr UINT kTimer1 = 1;
  static constexpr UINT kTimer2 = 2;
  static constexpr UINT kTimer3 = 3;
  static constexpr UINT kTimer1Interval = 100;
  static constexpr UINT kTimer3Interval = 10;
  // Compares the screens' metrics, for changes that no message announces.
  static constexpr UINT kDisplayTimer = 4;
  static constexpr UINT kDisplayTimerInterval = 250;

  SaverWindow();
  // owner is the program's hidden application window, which also owns the settings
  // dialog the no-folder notice opens; previousInstance ends the set-up at once.
  bool Create(HWND owner, bool previousInstance);
  // Shows the window; the set-up runs once the caller's own steps are done.
  void Show();
  bool IsVisible() const { return IsWindowVisible(Window()) != FALSE; }
  // The settings dialog closes the saver window when it saves or cancels: the window is
  // hidden, its music stopped and its picture list emptied, ready for a fresh start.
  void Close();
  std::vector<std::wstring>& List1() { return list1_; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void ReportNoFolder() override;

  // show::ShowHost
  void PumpPending() override;
  uint32_t Ticks() override { return GetTickCount(); }
  void WaitForMessageOrTimeout(uint32_t timeoutMs) override;
  bool LoadPicture(const std::wstring& path, pictures::LoadedPicture& picture) override;
  void ClearWindow() override;
  void PaintPicture(const pictures::LoadedPicture& picture, const show::Placement& placement) override;
  void ShowDrawing() override;
  void DrawBilinerPicture(const std::wstring& path, const pictures::LoadedPicture& picture) override;
  // 0 stops the timer.
  void SetTimer1Interval(uint32_t ms) override;
  void SetIdleTicks(int32_t ticks) override { watch_.SetIdleTicks(ticks); }
  platform::Size PrimaryScreenSize() override;
  void HideWindow() override { ShowWindow(Window(), SW_HIDE); }
  void ShowOnTop() override;
  const settings::SaverSettings& Settings() override { return record_; }
  bool FollowDisplayChange() override;

  // EndSaverHost
  void StopMusic() override;
  void RestoreCursor() override { cursor_.RestoreCursor(); }
  void HideCursor() override { cursor_.HideCursor(); }
  std::optional<uint32_t> UsePassword() override;
  void SetScreenSaverRunning(bool running) override;
  std::optional<uint32_t> VerifyPassword() override;
  void ActivateSaverWindow() override;
  [[noreturn]] void EndProgram() override;

  // music::MusicTimer, for Timer2
  void SetInterval(uint32_t intervalMs) override;

 private:
  static constexpr UINT kSetupMessage = WM_APP + 1;

  void OnSetup();
  void StretchOverDesk();
  void MoveOver(const platform::Rect& desk, HWND zOrder);
  void PutOnTop();
  void OnMovement(MovePair pair, POINT cursor);
  POINT CursorForPoll();
  void ShowBuffer(const RECT* area);
  void OnPaint();
  platform::Worker* RowHelper();

  SystemCursor systemCursor_;
  CursorKeeper cursor_;
  TickClock clock_;
  platform::RandomGenerator random_;
  InputWatch watch_;
  SaverEnder ender_;
  BackBuffer buffer_;
  MonitorErrors monitorErrors_;
  platform::SystemMonitors monitors_;
  DisplayWatch displayWatch_{monitors_};
  std::unique_ptr<music::MciChannelWin32> channel_;
  std::optional<music::BackgroundMusic> music_;
  // What was drawn into the buffer since it was last copied to the screen; set while a
  // picture is being composed.
  std::optional<RECT> drawn_;
  // Decodes pictures and paints or smooths half of each picture's rows; made with the show.
  std::optional<platform::ThreadWorker> worker_;
  // The screen's colours, which pictures with a colour profile are converted to.
  std::shared_ptr<const pictures::DisplayColours> displayColours_;
  settings::SaverSettings record_;
  std::wstring folder_, speed_, mouseM_;
  platform::Size display_;
  POINT origin_{};  // the window's top-left corner on the virtual screen
  // While the window is active it covers every monitor, so each cursor move reaches it
  // as WM_MOUSEMOVE; the 10 ms poll then reads this instead of asking the system, which
  // under Wine costs a server and an X round trip a tick.
  bool active_ = false;
  std::optional<POINT> knownCursor_;
  int32_t showStarted_ = 0;
  UINT timer1Interval_ = kTimer1Interval;
  std::vector<std::wstring> list1_;
  HWND owner_ = nullptr;
  bool previousInstance_ = false;
};

}  // namespace saver
