// Time from a key press to the end of the saver process, under Wine.
// Usage: key_exit_wine <path of o_glmk.scr> [runs]   (default 5 runs)
//        key_exit_wine <path of o_glmk.scr> --start-only
// Each run writes a settings file whose pause is long (so the saver sits in its wait),
// starts the saver, waits for its window and first picture, lets it settle, presses a
// key with SendInput and times until the process handle is signalled. --start-only
// stops after the first picture and leaves the saver running, for the idle-CPU figure.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kCaption[] = L"Glimmerdeck";
constexpr wchar_t kPictureFolder[] = L"C:\\glimmer_bench\\show";
constexpr char kPictureFolderAnsi[] = "C:\\glimmer_bench\\show";
constexpr COLORREF kPictureColour = RGB(200, 40, 160);
constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kPictureTimeoutMs = 20000;
// Long enough for the load of the next picture, 100 ms after the first drawing, to end.
constexpr DWORD kSettleMs = 1000;
constexpr DWORD kExitTimeoutMs = 5000;
constexpr double kGoalMs = 50.0;

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A small solid 24-bit BMP; the saver enlarges it to fill the screen.
std::string SolidBmp(int width, int height, COLORREF colour) {
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

std::wstring SettingsPath() {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\O_GLMK.INI";
}

// One picture, centred and enlarged, and a 20 s pause: no drawing while we measure.
void PrepareShow() {
  CreateDirectoryW(L"C:\\glimmer_bench", nullptr);
  CreateDirectoryW(kPictureFolder, nullptr);
  WriteBytes(std::wstring(kPictureFolder) + L"\\show.bmp", SolidBmp(64, 48, kPictureColour));
  WriteBytes(SettingsPath(), std::string("[Orvella_Glimmerdeck]\r\nFolder=") + kPictureFolderAnsi +
                                 "\r\nSpeed=20000\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=1\r\nOderFileName=0\r\n"
                                 "BgmPlay=0\r\nBgmPlayName=\r\nKakudai=1\r\nRefresh=0\r\nBiliner=0\r\n"
                                 "SubFolder=0\r\nShaffle=0\r\nMulti=0\r\n");
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

struct FindRequest {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM data) {
  auto* request = reinterpret_cast<FindRequest*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  if (owner == request->processId && IsWindowVisible(window) && lstrcmpW(text, kCaption) == 0) {
    request->found = window;
    return FALSE;
  }
  return TRUE;
}

bool WaitForWindow(DWORD processId) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kWindowTimeoutMs) {
    FindRequest request{processId, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&request));
    if (request.found) return true;
    Sleep(20);
  }
  return false;
}

bool Near(COLORREF got, COLORREF want) {
  const int tolerance = 24;
  return std::abs(GetRValue(got) - GetRValue(want)) <= tolerance &&
         std::abs(GetGValue(got) - GetGValue(want)) <= tolerance &&
         std::abs(GetBValue(got) - GetBValue(want)) <= tolerance;
}

COLORREF ScreenCentrePixel() {
  HDC screen = GetDC(nullptr);
  const COLORREF colour =
      GetPixel(screen, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool WaitForPicture() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kPictureTimeoutMs) {
    if (Near(ScreenCentrePixel(), kPictureColour)) return true;
    Sleep(20);
  }
  return false;
}

// The saver shown with its first picture, or a message saying what went wrong.
bool StartShowing(SaverProcess& saver) {
  if (!saver.Started()) {
    std::fprintf(stderr, "key_exit_wine: cannot start the saver (error %lu)\n", GetLastError());
    return false;
  }
  if (!WaitForWindow(saver.Id())) {
    std::fprintf(stderr, "key_exit_wine: no \"Glimmerdeck\" window\n");
    return false;
  }
  if (!WaitForPicture()) {
    std::fprintf(stderr, "key_exit_wine: the first picture did not appear\n");
    return false;
  }
  return true;
}

void PressKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

double MillisecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from the key press to the end of the process; negative when it did not end.
double TimeKeyToExit(const std::wstring& scrPath) {
  SaverProcess saver(scrPath);
  if (!StartShowing(saver)) return -1;
  Sleep(kSettleMs);
  // A saver that ended by itself would make the figure meaningless.
  if (WaitForSingleObject(saver.Handle(), 0) != WAIT_TIMEOUT) {
    std::fprintf(stderr, "key_exit_wine: the saver ended before the key was pressed\n");
    return -1;
  }
  LARGE_INTEGER pressed, ended;
  QueryPerformanceCounter(&pressed);
  PressKey('A');
  const DWORD waited = WaitForSingleObject(saver.Handle(), kExitTimeoutMs);
  QueryPerformanceCounter(&ended);
  if (waited != WAIT_OBJECT_0) {
    std::fprintf(stderr, "key_exit_wine: the saver did not end within %lu ms of the key\n", kExitTimeoutMs);
    return -1;
  }
  return MillisecondsBetween(pressed, ended);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int StartOnly(const std::wstring& scrPath) {
  SaverProcess saver(scrPath);
  if (!StartShowing(saver)) return 1;
  saver.Detach();
  std::printf("first picture shown, saver process %lu\n", saver.Id());
  return 0;
}

int MeasureRuns(const std::wstring& scrPath, int runs) {
  std::vector<double> times;
  for (int run = 1; run <= runs; ++run) {
    const double ms = TimeKeyToExit(scrPath);
    if (ms < 0) return 1;
    std::printf("  run %d: %.1f ms\n", run, ms);
    std::fflush(stdout);
    times.push_back(ms);
  }
  const double median = Median(times);
  std::printf("key to exit: median %.1f ms of %d runs (min %.1f, max %.1f); ratio to the %.0f ms goal %.2f\n",
              median, runs, *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()), kGoalMs, median / kGoalMs);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: key_exit_wine <o_glmk.scr> [runs | --start-only]\n");
    return 2;
  }
  const std::wstring scrPath = argv[1];
  const std::wstring option = argc > 2 ? argv[2] : L"";
  PrepareShow();
  if (option == L"--start-only") return StartOnly(scrPath);
  const int runs = option.empty() ? 5 : _wtoi(option.c_str());
  if (runs <= 0) {
    std::fprintf(stderr, "key_exit_wine: runs must be a positive number\n");
    return 2;
  }
  return MeasureRuns(scrPath, runs);
}
