// Yardsticks for the saver's idle cost, each with a 10 ms timer reading the cursor as
// the saver's cursor watch does; tools/bench measures their processor time from Linux.
//   poll: the old wait, polling the tick count every millisecond and pumping on each poll.
//   wait: sleeping until the next message, the least any wait with that timer can cost.
//   timers: the same with the saver's 100 ms timer beside it, a bare window with the
//   saver's timers.
// Usage: poll_loop_wine [seconds] [poll|wait|timers]   (default 10 s, poll)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr UINT_PTR kCursorTimer = 3;
constexpr UINT kCursorTimerMs = 10;
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleTimerMs = 100;
constexpr wchar_t kClassName[] = L"GlimmerdeckPollLoopBench";

LRESULT CALLBACK PollWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kCursorTimer) {
    POINT cursor;
    GetCursorPos(&cursor);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class PollWindow {
 public:
  PollWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PollWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kClassName, L"poll loop", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    if (window_) SetTimer(window_, kCursorTimer, kCursorTimerMs, nullptr);
  }
  ~PollWindow() {
    if (!window_) return;
    KillTimer(window_, kCursorTimer);
    DestroyWindow(window_);
  }
  PollWindow(const PollWindow&) = delete;
  PollWindow& operator=(const PollWindow&) = delete;

  bool Created() const { return window_ != nullptr; }
  // The saver's second timer, which ages its movement checks and does nothing else.
  void AddIdleTimer() { SetTimer(window_, kIdleTimer, kIdleTimerMs, nullptr); }

 private:
  HWND window_ = nullptr;
};

void PumpPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The old wait: pump, sleep 1 ms alertably, look at the clock, until the time is up.
void PollFor(DWORD durationMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < durationMs) {
    PumpPending();
    SleepEx(1, TRUE);
  }
}

// The saver's kind of wait: asleep until a message comes or the time is up.
void WaitFor(DWORD durationMs) {
  const DWORD start = GetTickCount();
  for (DWORD elapsed = 0; elapsed < durationMs; elapsed = GetTickCount() - start) {
    PumpPending();
    MsgWaitForMultipleObjectsEx(0, nullptr, durationMs - elapsed, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE | MWMO_ALERTABLE);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 10;
  const std::wstring mode = argc > 2 ? argv[2] : L"poll";
  if (seconds <= 0 || (mode != L"poll" && mode != L"wait" && mode != L"timers")) {
    std::fprintf(stderr, "usage: poll_loop_wine [seconds > 0] [poll|wait|timers]\n");
    return 2;
  }
  PollWindow window;
  if (!window.Created()) {
    std::fprintf(stderr, "poll_loop_wine: no window (error %lu)\n", GetLastError());
    return 1;
  }
  if (mode == L"timers") window.AddIdleTimer();
  std::printf("%s for %d s\n", mode == L"poll" ? "polling" : "waiting", seconds);
  std::fflush(stdout);
  const DWORD durationMs = static_cast<DWORD>(seconds) * 1000;
  if (mode == L"poll")
    PollFor(durationMs);
  else
    WaitFor(durationMs);
  return 0;
}
