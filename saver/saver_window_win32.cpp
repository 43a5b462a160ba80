#include "saver/saver_window_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "drawing/bilinear.h"
#include "pictures/catalogue.h"
#include "pictures/picture_loader_win32.h"
#include "platform/dib_win32.h"
#include "platform/directory_lister_win32.h"
#include "platform/geometry_win32.h"
#include "platform/program_win32.h"
#include "res/texts.h"
#include "saver/monitors.h"
#include "saver/report_no_folder.h"
#include "saver/saver_start.h"
#include "settings/settings_dialog_win32.h"
#include "settings/settings_files_win32.h"

namespace saver {
namespace {

constexpr wchar_t kClassName[] = L"GlimmerdeckSaverWindow";

struct PumpPort : platform::MessagePump {
  void PumpPending() override { platform::PumpPendingMessages(); }
};

// Copies the smoothed picture into the buffer at its place, clipped to the buffer.
void CopyInto(BackBuffer& buffer, const drawing::BilinerPicture& picture) {
  if (!buffer.Pixels() || picture.pixels.empty()) return;
  const int left = std::max(0, picture.position.x);
  const int right = std::min(buffer.Width(), picture.position.x + picture.size.width);
  const int top = std::max(0, picture.position.y);
  const int bottom = std::min(buffer.Height(), picture.position.y + picture.size.height);
  if (left >= right) return;
  for (int y = top; y < bottom; ++y) {
    const uint8_t* from = picture.pixels.data() +
                          (static_cast<size_t>(y - picture.position.y) * picture.size.width + (left - picture.position.x)) * 4;
    memcpy(buffer.Pixels() + static_cast<size_t>(y) * buffer.Width() + left, from, static_cast<size_t>(right - left) * 4);
  }
}

}  // namespace

void BackBuffer::Resize(int width, int height) {
  if (width == width_ && height == height_ && dc_) return;
  if (dc_ && original_) SelectObject(dc_.get(), original_);
  bitmap_.reset();
  dc_.reset(CreateCompatibleDC(nullptr));
  pixels_ = nullptr;
  width_ = height_ = 0;
  if (!dc_ || width <= 0 || height <= 0) return;
  BITMAPINFO info = platform::TopDownDibInfo(width, height);
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) return;
  original_ = SelectObject(dc_.get(), bitmap_.get());
  pixels_ = static_cast<uint32_t*>(bits);
  width_ = width;
  height_ = height;
  Clear();
}

drawing::PaintTarget BackBuffer::Target() const {
  return {reinterpret_cast<uint8_t*>(pixels_), width_, height_, static_cast<size_t>(width_) * 4};
}

void BackBuffer::Clear() {
  if (pixels_) std::fill(pixels_, pixels_ + size_t(width_) * height_, 0u);
}

void BackBuffer::Remake(int width, int height, const std::optional<KeptPart>& kept) {
  platform::UniqueMemoryDc oldDc = std::move(dc_);
  platform::UniqueGdi<HBITMAP> oldBitmap = std::move(bitmap_);
  const HGDIOBJ oldOriginal = std::exchange(original_, nullptr);
  Resize(width, height);
  if (kept && oldDc && dc_)
    BitBlt(dc_.get(), kept->to.x, kept->to.y, kept->size.width, kept->size.height, oldDc.get(), kept->from.x,
           kept->from.y, SRCCOPY);
  if (oldDc && oldOriginal) SelectObject(oldDc.get(), oldOriginal);
}

SaverWindow::SaverWindow() : cursor_(systemCursor_), random_(clock_), ender_(*this) {
  random_.SeedFromClock();
}

bool SaverWindow::Create(HWND owner, bool previousInstance) {
  owner_ = owner;
  previousInstance_ = previousInstance;
  Register(kClassName, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr);
  // A tool window owned by the hidden application window: no task-bar button.
  CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, res::kSaverCaption, WS_POPUP, 0, 0, 0, 0, owner,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (!Window()) return false;
  channel_ = std::make_unique<music::MciChannelWin32>(Window());
  SetTimer1Interval(timer1Interval_);
  SetTimer(Window(), kTimer3, kTimer3Interval, nullptr);
  SetTimer(Window(), kDisplayTimer, kDisplayTimerInterval, nullptr);
  return true;
}

void SaverWindow::SetTimer1Interval(uint32_t ms) {
  timer1Interval_ = ms;
  if (ms == 0)
    KillTimer(Window(), kTimer1);
  else
    SetTimer(Window(), kTimer1, ms, nullptr);
}

void SaverWindow::SetInterval(uint32_t intervalMs) {
  if (intervalMs == 0)
    KillTimer(Window(), kTimer2);
  else
    SetTimer(Window(), kTimer2, intervalMs, nullptr);
}

// The window is stretched over the desk before it first appears, so that Wine's X11
// driver sees a full-screen window and lets it take the keyboard focus.
void SaverWindow::Show() {
  monitorErrors_.NewShowing();
  StretchOverDesk();
  ShowWindow(Window(), SW_SHOW);
  SetForegroundWindow(Window());
  PostMessageW(Window(), kSetupMessage, 0, 0);
}

// Only music that was started is stopped: the first media command loads the system's
// media drivers, which takes seconds, and a dialog's button must not wait for that.
void SaverWindow::Close() {
  if (music_) {
    StopMusic();
    SetInterval(0);
    music_.reset();
  }
  ShowWindow(Window(), SW_HIDE);
  list1_.clear();
}

void SaverWindow::StretchOverDesk() {
  const DisplayLayout layout = displayWatch_.Measure([this](const platform::MonitorEntry& monitor) {
    if (auto message = monitorErrors_.Report(monitor.id, *monitor.infoError))
      MessageBoxW(nullptr, message->text.c_str(), message->title.c_str(), MB_OK | MB_ICONSTOP);
  });
  MoveOver(layout.desk, nullptr);
  buffer_.Resize(display_.width, display_.height);
}

// With HWND_TOPMOST the window is put on top in the same call (under Wine each call can take
// a few hundred milliseconds on a busy machine); without, it keeps its place.
void SaverWindow::MoveOver(const platform::Rect& desk, HWND zOrder) {
  display_ = DisplaySize(desk);
  origin_ = {desk.left, desk.top};
  SetWindowPos(Window(), zOrder, desk.left, desk.top, display_.width, display_.height,
               SWP_NOACTIVATE | (zOrder ? 0 : SWP_NOZORDER));
}

// The show calls this where no drawing is under way, so that neither this thread nor the
// worker writes to the buffer that is replaced. The window covers the new layout as at the
// set-up; the movement watch starts over before it moves, so that neither the mouse message
// of the move nor the cursor the system put onto the new screens counts (under Wine that
// cursor move comes before the change is announced).
bool SaverWindow::FollowDisplayChange() {
  const auto layout = displayWatch_.TakeChange();
  if (!layout) return false;
  const platform::Rect was{origin_.x, origin_.y, origin_.x + buffer_.Width(), origin_.y + buffer_.Height()};
  const platform::Size size = DisplaySize(layout->desk);
  buffer_.Remake(size.width, size.height, record_.Refresh == 1 ? KeptPartOf(was, layout->desk) : std::nullopt);
  watch_.Reset();
  watch_.ForgetPositions();
  knownCursor_.reset();
  MoveOver(layout->desk, HWND_TOPMOST);
  SetForegroundWindow(Window());
  SetFocus(Window());
  ShowBuffer(nullptr);
  return true;
}

// Topmost first, then to the top of that band: the window stays topmost.
void SaverWindow::PutOnTop() {
  SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetWindowPos(Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void SaverWindow::OnSetup() {
  if (!IsVisible()) return;
  auto profile = settings::OpenSettings();
  SaverStartValues start = TakeSaverSettings(profile, settings::LoadedDialogState());
  StretchOverDesk();
  ShowWindow(Window(), SW_SHOW);
  PutOnTop();
  SetForegroundWindow(Window());
  SetFocus(Window());
  showStarted_ = 0;
  if (previousInstance_) EndProgram();
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
  record_ = start.record;
  folder_ = start.Folder;
  speed_ = start.Speed;
  mouseM_ = start.MouseM;
  try {
    list1_.clear();
    platform::Win32DirectoryLister lister;
    PumpPort pump;
    pictures::GetPictureFolder(pictures::kAddPictures, settings::CutAtNull(folder_), record_.SubFolder == 1,
                               {lister, pump}, list1_);
    watch_.Reset();
    HideCursor();
    showStarted_ = 1;
    if (music::ShouldStartBgm(record_.BgmPlay, record_.BgmPlayName, music::IsNormalFile)) {
      music_.emplace(*channel_, *this, record_.BgmPlayName);
      music_->StartBgm();
    }
    // Read before the first load and never again, so the worker reads it while nothing
    // writes it.
    if (!displayColours_)
      displayColours_ = std::make_shared<const pictures::DisplayColours>(pictures::ReadDisplayColours());
    if (!worker_) worker_.emplace();
    show::SlideShow slideShow(*this, random_, list1_, display_, speed_, &*worker_);
    slideShow.Run();
  } catch (...) {
  }
  if (showStarted_ == 0) ReportNoFolder();
}

void SaverWindow::ReportNoFolder() {
  class Actions : public NoFolderHost {
   public:
    explicit Actions(SaverWindow& saver) : saver_(saver) {}
    void HideWindow() override { saver_.HideWindow(); }
    void RestoreCursor() override { saver_.RestoreCursor(); }
    void ShowCursorOnce() override { ShowCursor(TRUE); }
    void ShowNoFolderMessage() override { platform::ShowNoFolderMessage(res::kNoFolderTitle); }
    void ShowSettingsDialogModeless() override { settings::ShowSettingsDialog(saver_.owner_, false); }

   private:
    SaverWindow& saver_;
  };
  Actions actions(*this);
  saver::ReportNoFolder(actions);
}

void SaverWindow::PumpPending() { platform::PumpPendingMessages(); }

// Sleeps until input or a timer arrives, instead of polling every millisecond.
void SaverWindow::WaitForMessageOrTimeout(uint32_t timeoutMs) {
  platform::WaitForHandlesOrMessage(0, nullptr, timeoutMs);
}

// Runs on the worker.
bool SaverWindow::LoadPicture(const std::wstring& path, pictures::LoadedPicture& picture) {
  pictures::SystemMemoryStatus memory;
  return pictures::LoadPictureFile(path, picture, memory, displayColours_.get());
}

void SaverWindow::ClearWindow() {
  buffer_.Clear();
  drawn_ = RECT{0, 0, buffer_.Width(), buffer_.Height()};
}

// Messages are handled while the picture is painted; from here on until ShowDrawing the
// buffer is being composed, and OnPaint leaves it off the screen.
void SaverWindow::PaintPicture(const pictures::LoadedPicture& picture, const show::Placement& placement) {
  if (!buffer_.Pixels() || placement.IsEmpty()) return;
  if (picture.pixels.size() < static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height)) return;
  const drawing::PaintSource source{reinterpret_cast<const uint8_t*>(picture.pixels.data()), picture.width,
                                     picture.height, static_cast<size_t>(picture.width) * 4, picture.hasAlpha};
  if (!drawn_) drawn_ = RECT{};
  PumpPort pump;
  RECT painted = platform::ToRECT(
      drawing::PaintPicture(source, placement.position, placement.size, buffer_.Target(), pump, RowHelper()));
  UnionRect(&*drawn_, &*drawn_, &painted);
}

void SaverWindow::ShowDrawing() {
  if (!drawn_) return;
  ShowBuffer(&*drawn_);
  drawn_.reset();
}

// The smoothed picture replaces the whole window, centred; a picture the scaler cannot
// take leaves the window as it was.
void SaverWindow::DrawBilinerPicture(const std::wstring&, const pictures::LoadedPicture& picture) {
  drawing::SourcePicture source;
  source.loaded = !picture.pixels.empty();
  source.width = picture.width;
  source.height = picture.height;
  source.pixels = reinterpret_cast<const uint8_t*>(picture.pixels.data());
  source.stride = static_cast<size_t>(picture.width) * 4;
  source.hasAlpha = picture.hasAlpha;
  PumpPort pump;
  auto smoothed = drawing::DrawBilinerPicture(source, display_, pump, drawing::BilinerKernel::Automatic, RowHelper());
  if (!smoothed) return;
  buffer_.Clear();
  CopyInto(buffer_, *smoothed);
  ShowBuffer(nullptr);
}

void SaverWindow::ShowBuffer(const RECT* area) {
  RECT all = {0, 0, buffer_.Width(), buffer_.Height()};
  const RECT& r = area ? *area : all;
  platform::UniqueWindowDc screen(GetDC(Window()), platform::DcReleaser{Window()});
  if (screen && buffer_.Dc())
    BitBlt(screen.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, buffer_.Dc(), r.left, r.top, SRCCOPY);
}

// While a picture is being composed the buffer is half drawn (and the worker may be
// writing to it): the damaged part goes to the screen with the finished picture instead.
void SaverWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Window(), &paint);
  const RECT& r = paint.rcPaint;
  if (drawn_)
    UnionRect(&*drawn_, &*drawn_, &r);
  else if (buffer_.Dc())
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer_.Dc(), r.left, r.top, SRCCOPY);
  EndPaint(Window(), &paint);
}

// A worker that could not start its thread would run the rows it is given inline, without
// a message handled between them.
platform::Worker* SaverWindow::RowHelper() { return worker_ && worker_->HasThread() ? &*worker_ : nullptr; }

platform::Size SaverWindow::PrimaryScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void SaverWindow::ShowOnTop() {
  ShowWindow(Window(), SW_SHOW);
  ActivateSaverWindow();
  PutOnTop();
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
}

void SaverWindow::StopMusic() { music::MCI_Stop(*channel_); }

std::optional<uint32_t> SaverWindow::UsePassword() {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\desktop", 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return std::nullopt;
  platform::UniqueKey key(opened);
  uint32_t value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key.get(), L"ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void SaverWindow::SetScreenSaverRunning(bool running) {
  BOOL previous = FALSE;
  SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previous, 0);
}

using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND);

// The Windows 9x family's password check, from the system folder where that family keeps
// it and from nowhere else; absent on NT-family systems.
std::optional<uint32_t> SaverWindow::VerifyPassword() {
  platform::UniqueLibrary cpl(LoadLibraryExW(L"password.cpl", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!cpl) return std::nullopt;
  auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(
      reinterpret_cast<void*>(GetProcAddress(cpl.get(), "VerifyScreenSavePwd")));
  if (!verify) return std::nullopt;
  return static_cast<uint32_t>(verify(Window()));
}

void SaverWindow::ActivateSaverWindow() {
  if (HWND saver = FindWindowW(nullptr, res::kSaverCaption)) {
    SetForegroundWindow(saver);
    SetActiveWindow(saver);
    SetFocus(saver);
  }
}

void SaverWindow::EndProgram() { platform::EndProgram(); }

POINT SaverWindow::CursorForPoll() {
  if (active_ && knownCursor_) return *knownCursor_;
  POINT cursor{};
  GetCursorPos(&cursor);
  return cursor;
}

void SaverWindow::OnMovement(MovePair pair, POINT cursor) {
  watch_.CheckMovement(pair, {cursor.x, cursor.y}, IsVisible(), mouseM_, [this] { ender_.EndSaver(); });
}

LRESULT SaverWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kSetupMessage:
      OnSetup();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      ender_.EndSaver();
      return 0;
    case WM_MOUSEMOVE: {
      POINT cursor{GET_X_LPARAM(lParam) + origin_.x, GET_Y_LPARAM(lParam) + origin_.y};
      if (active_) knownCursor_ = cursor;
      OnMovement(MovePair::MouseMoveEvent, cursor);
      return 0;
    }
    case WM_ACTIVATE:
      active_ = LOWORD(wParam) != WA_INACTIVE;
      knownCursor_.reset();
      if (active_) {
        POINT cursor{};
        if (GetCursorPos(&cursor)) knownCursor_ = cursor;
      }
      return DefWindowProcW(Window(), message, wParam, lParam);
    case WM_TIMER:
      if (wParam == kTimer1) watch_.OnTimer1Tick();
      if (wParam == kTimer3) OnMovement(MovePair::CursorPoll, CursorForPoll());
      if (wParam == kTimer2 && music_) music_->Timer2_Timer();
      if (wParam == kDisplayTimer) displayWatch_.Poll();
      return 0;
    // The show follows a change where it is safe to. WM_DISPLAYCHANGE carries the primary's
    // mode, not the window's size, and WM_DPICHANGED's rectangle is one monitor's: the
    // monitors are read instead.
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      displayWatch_.NoteAnnouncedChange();
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the back buffer covers every pixel
    case WM_CLOSE:
      return 0;  // the saver ends only through its input watch
    default:
      return DefWindowProcW(Window(), message, wParam, lParam);
  }
}

}  // namespace saver
