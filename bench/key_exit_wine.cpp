// Time from a key press to the end of the saver process, under Wine.
// Usage: key_exit_wine <path of o_glmk.scr> [runs]   (default 5 runs)
//        key_exit_wine <path of o_glmk.scr> --start-only
//        key_exit_wine <path of o_glmk.scr> --while-loading
//        key_exit_wine <path of o_glmk.scr> --while-painting
//        key_exit_wine <path of o_glmk.scr> --start-photo-show
// Each run writes a settings file whose pause is long (so the saver sits in its wait),
// starts the saver, waits for its window and first picture, lets it settle, presses a
// key with SendInput and times until the process handle is signalled. --start-only
// stops after the first picture and leaves the saver running, for the idle-CPU figure.
// --while-loading presses four times while the saver is idle and six times each while it
// decodes an 8000 x 6000 JPEG and a JPEG whose header claims 16384 x 16384, and compares
// the worst presses (goal: loading at most 100 ms above idle). --while-painting presses
// eight times from the end of the load of a 16000 x 12000 BMP into its paint, and compares
// the worst with idle presses while that picture is shown (goal: at most 50 ms above).
// --start-photo-show leaves the saver running a show of 4000 x 3000 JPEGs, smoothed, for
// the memory figure.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench/saver_bench_support.h"
#include "drawing/paint.h"
#include "pictures/picture_loader_win32.h"
#include "platform/program_win32.h"
#include "platform/worker_win32.h"
#include "show/placement.h"
#include "tests/e2e/jpeg_files.h"

namespace {

using bench::Near;
using bench::PressKey;
using bench::Put32;
using bench::SaverProcess;
using bench::ScreenCentrePixel;
using bench::SolidBmp;
using bench::WriteBytes;
using bench::WriteSettings;
using bench::kExitTimeoutMs;

constexpr wchar_t kPictureFolder[] = L"C:\\glimmer_bench\\show";
constexpr char kPictureFolderAnsi[] = "C:\\glimmer_bench\\show";
constexpr COLORREF kPictureColour = RGB(200, 40, 160);
constexpr DWORD kPictureTimeoutMs = 20000;
// Long enough for the load of the next picture, 100 ms after the first drawing, to end.
constexpr DWORD kSettleMs = 1000;
constexpr double kGoalMs = 50.0;

// One picture, centred and enlarged, and a 20 s pause: no drawing while we measure.
void PrepareShow() {
  CreateDirectoryW(L"C:\\glimmer_bench", nullptr);
  CreateDirectoryW(kPictureFolder, nullptr);
  WriteBytes(std::wstring(kPictureFolder) + L"\\show.bmp", SolidBmp(64, 48, kPictureColour));
  WriteSettings(kPictureFolderAnsi, "20000", "0", "0");
}

// Looked for every 2 ms, so that the times measured from it vary little.
bool WaitForPicture() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kPictureTimeoutMs) {
    if (Near(ScreenCentrePixel(), kPictureColour)) return true;
    Sleep(2);
  }
  return false;
}

// The saver shown with its first picture (the solid one unless told otherwise: then its
// window alone is waited for), or a message saying what went wrong.
bool StartShowing(SaverProcess& saver, bool solidPictureFirst = true) {
  if (!saver.Started()) {
    std::fprintf(stderr, "key_exit_wine: cannot start the saver (error %lu)\n", GetLastError());
    return false;
  }
  if (!bench::WaitForSaverWindow(saver.Id())) {
    std::fprintf(stderr, "key_exit_wine: no \"Glimmerdeck\" window\n");
    return false;
  }
  if (solidPictureFirst && !WaitForPicture()) {
    std::fprintf(stderr, "key_exit_wine: the first picture did not appear\n");
    return false;
  }
  return true;
}

double MillisecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from the key press to the end of the process; negative when it did not end.
// beforePress runs once the first picture shows and returns when the key is to be pressed.
double TimeKeyToExit(const std::wstring& scrPath, const std::function<void(const SaverProcess&)>& beforePress,
                     bool solidPictureFirst = true) {
  SaverProcess saver(scrPath);
  if (!StartShowing(saver, solidPictureFirst)) return -1;
  beforePress(saver);
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

double TimeKeyToExit(const std::wstring& scrPath) {
  return TimeKeyToExit(scrPath, [](const SaverProcess&) { Sleep(kSettleMs); });
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

// --- while loading ------------------------------------------------------------------

constexpr int kIdlePresses = 4;
constexpr int kLoadingPresses = 6;
constexpr double kLoadingGoalMs = 100.0;
constexpr wchar_t kBench[] = L"C:\\glimmer_bench";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder whose first picture (in file-name order) is the small solid one and whose
// second is the JPEG to be loaded while the key is pressed.
bool PrepareLoadingFolder(const std::wstring& folder, const std::function<bool(const std::wstring&)>& makeJpeg) {
  CreateDirectoryW(kBench, nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  WriteBytes(folder + L"\\a.bmp", SolidBmp(64, 48, kPictureColour));
  const std::wstring jpeg = folder + L"\\b.jpg";
  return Exists(jpeg) || makeJpeg(jpeg);
}

bool MakeForgedJpeg(const std::wstring& path) {
  const std::wstring small = std::wstring(kBench) + L"\\small_640x480.jpg";
  if (!e2e::WriteJpeg(small, 640, 480, e2e::PhotoLikeRows(640, 480))) return false;
  const std::string forged = e2e::WithFrameSize(ReadBytes(small), 16384, 16384);
  if (forged.empty()) return false;
  WriteBytes(path, forged);
  return true;
}

struct Presses {
  std::vector<double> times;
  int afterTheLoad = 0;  // presses that came when the second picture already showed
};

// The first picture shows at once; the second is loaded from 100 ms after it, so the key
// comes `intoTheLoadMs` into that load.
bool PressWhileLoading(const std::wstring& scrPath, int presses, DWORD intoTheLoadMs, Presses& result) {
  for (int run = 1; run <= presses; ++run) {
    bool stillLoading = true;
    const double ms = TimeKeyToExit(scrPath, [&](const SaverProcess&) {
      Sleep(100 + intoTheLoadMs);
      stillLoading = Near(ScreenCentrePixel(), kPictureColour);
    });
    if (ms < 0) return false;
    std::printf("    press %d: %.1f ms%s\n", run, ms, stillLoading ? "" : " (the load had ended)");
    std::fflush(stdout);
    result.times.push_back(ms);
    result.afterTheLoad += stillLoading ? 0 : 1;
  }
  return true;
}

double Worst(const std::vector<double>& times) { return *std::max_element(times.begin(), times.end()); }

// The worst of kIdlePresses presses while the saver pauses after its first picture.
bool MeasureIdleWorst(const std::wstring& scrPath, double& worst) {
  std::printf("  idle, %d presses:\n", kIdlePresses);
  std::vector<double> times;
  PrepareShow();
  for (int run = 1; run <= kIdlePresses; ++run) {
    const double ms = TimeKeyToExit(scrPath);
    if (ms < 0) return false;
    std::printf("    press %d: %.1f ms\n", run, ms);
    times.push_back(ms);
  }
  worst = Worst(times);
  return true;
}

int MeasureWhileLoading(const std::wstring& scrPath) {
  struct Scenario {
    const char* name;
    const wchar_t* folder;
    const char* folderAnsi;
    std::function<bool(const std::wstring&)> makeJpeg;
    DWORD intoTheLoadMs;
  };
  const Scenario scenarios[] = {
      {"an 8000x6000 JPEG", L"C:\\glimmer_bench\\loading_8000x6000", "C:\\glimmer_bench\\loading_8000x6000",
       [](const std::wstring& path) { return e2e::WriteJpeg(path, 8000, 6000, e2e::PhotoLikeRows(8000, 6000)); },
       150},
      {"a JPEG claiming 16384x16384", L"C:\\glimmer_bench\\loading_forged", "C:\\glimmer_bench\\loading_forged",
       MakeForgedJpeg, 500},
  };
  for (const Scenario& scenario : scenarios) {
    if (!PrepareLoadingFolder(scenario.folder, scenario.makeJpeg)) {
      std::fprintf(stderr, "key_exit_wine: cannot write the pictures for %s\n", scenario.name);
      return 1;
    }
  }
  double idleWorst = 0;
  if (!MeasureIdleWorst(scrPath, idleWorst)) return 1;
  std::vector<std::string> summary;
  for (const Scenario& scenario : scenarios) {
    std::printf("  while loading %s, %d presses:\n", scenario.name, kLoadingPresses);
    WriteSettings(scenario.folderAnsi, "100", "1", "0");
    Presses loading;
    if (!PressWhileLoading(scrPath, kLoadingPresses, scenario.intoTheLoadMs, loading)) return 1;
    const double above = Worst(loading.times) - idleWorst;
    char line[300];
    std::snprintf(line, sizeof line,
                  "while loading %s: worst %.1f ms, %.1f ms above the idle worst %.1f ms; ratio to the %.0f ms "
                  "goal %.2f%s",
                  scenario.name, Worst(loading.times), above, idleWorst, kLoadingGoalMs, above / kLoadingGoalMs,
                  loading.afterTheLoad ? " (some presses came after the load)" : "");
    summary.push_back(line);
  }
  for (const std::string& line : summary) std::printf("%s\n", line.c_str());
  return 0;
}

// --- while painting -----------------------------------------------------------------

constexpr wchar_t kPaintingFolder[] = L"C:\\glimmer_bench\\painting";
constexpr char kPaintingFolderAnsi[] = "C:\\glimmer_bench\\painting";
constexpr UINT kLargeWidth = 16000, kLargeHeight = 12000;
constexpr size_t kLargeBytes = size_t{kLargeWidth} * kLargeHeight * 4;
constexpr int kPaintingPresses = 8;

// A 24-bit BMP, written a row at a time.
bool WriteLargeBmp(const std::wstring& path) {
  const UINT rowBytes = (kLargeWidth * 3 + 3) & ~3u;
  std::string header = SolidBmp(1, 1, 0).substr(0, 54);
  Put32(header, 2, 54 + rowBytes * kLargeHeight);
  Put32(header, 18, kLargeWidth);
  Put32(header, 22, kLargeHeight);
  Put32(header, 34, rowBytes * kLargeHeight);
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << header;
  const e2e::BgrRowMaker rowAt = e2e::PhotoLikeRows(kLargeWidth, kLargeHeight);
  std::vector<BYTE> row(rowBytes, 0);
  for (UINT fileRow = 0; fileRow < kLargeHeight && out; ++fileRow) {
    rowAt(kLargeHeight - 1 - fileRow, row.data());
    out.write(reinterpret_cast<const char*>(row.data()), rowBytes);
  }
  return static_cast<bool>(out);
}

struct MessagePumpPort : platform::MessagePump {
  void PumpPending() override { platform::PumpPendingMessages(); }
};

// The paint alone, in this process as the saver does it: two threads into a buffer the
// size of the screen. The median of five, in ms; negative when the picture does not load.
double PaintMs(const std::wstring& path) {
  pictures::LoadedPicture picture;
  if (!pictures::LoadPictureFile(path, picture)) return -1;
  const platform::Size screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const show::Placement place = show::PlacePicture({picture.width, picture.height}, screen, {true, true, true}, 0, 0);
  std::vector<uint32_t> buffer(static_cast<size_t>(screen.width) * screen.height);
  platform::ThreadWorker worker;
  MessagePumpPort pump;
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    drawing::PaintPicture({reinterpret_cast<const uint8_t*>(picture.pixels.data()), picture.width, picture.height,
                            static_cast<size_t>(picture.width) * 4, picture.hasAlpha},
                           place.position, place.size,
                           {reinterpret_cast<uint8_t*>(buffer.data()), screen.width, screen.height,
                            static_cast<size_t>(screen.width) * 4},
                           pump, worker.HasThread() ? &worker : nullptr);
    QueryPerformanceCounter(&to);
    times.push_back(MillisecondsBetween(from, to));
  }
  return Median(times);
}

size_t WorkingSet(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  return GetProcessMemoryInfo(process, &counters, sizeof(counters)) ? counters.WorkingSetSize : 0;
}

void SleepUntil(LARGE_INTEGER from, double ms) {
  LARGE_INTEGER now;
  do {
    Sleep(1);  // slept through, not spun: the saver's two threads need both cores
    QueryPerformanceCounter(&now);
  } while (MillisecondsBetween(from, now) < ms);
}

// Returns when a load of the large picture has ended and its paint begins. The paint
// lasts a few milliseconds at the end of a load of seconds whose length varies by hundreds,
// so no fixed delay finds it; but Wine's BMP decoder reads the whole file into a buffer of
// its own and lets it go as the load ends, so the saver's working set, having grown by the
// file and the picture, falls back to about the picture alone just before the paint. False
// when that was not seen.
bool WaitForLoadEnd(const SaverProcess& saver) {
  const DWORD start = GetTickCount();
  bool grown = false;
  while (GetTickCount() - start < kPictureTimeoutMs) {
    const size_t bytes = WorkingSet(saver.Handle());
    if (bytes > kLargeBytes + (kLargeBytes / 2)) grown = true;
    if (grown && bytes < kLargeBytes + kLargeBytes / 8) return true;
    Sleep(1);
  }
  return false;
}

int MeasureWhilePainting(const std::wstring& scrPath) {
  CreateDirectoryW(kBench, nullptr);
  CreateDirectoryW(kPaintingFolder, nullptr);
  const std::wstring large = std::wstring(kPaintingFolder) + L"\\b.bmp";
  WriteBytes(std::wstring(kPaintingFolder) + L"\\a.bmp", SolidBmp(64, 48, kPictureColour));
  if (!Exists(large) && !WriteLargeBmp(large)) {
    std::fprintf(stderr, "key_exit_wine: cannot write %ls\n", large.c_str());
    return 1;
  }
  const double paintMs = PaintMs(large);
  if (paintMs < 0) {
    std::fprintf(stderr, "key_exit_wine: %ls does not load\n", large.c_str());
    return 1;
  }
  std::printf("  the paint alone, in this process: %.1f ms\n", paintMs);
  double idleWorst = 0;
  if (!MeasureIdleWorst(scrPath, idleWorst)) return 1;
  // A process that holds the 16000 x 12000 picture takes longer to end by itself (its
  // memory is given back first, about 80 ms here), so the idle presses that count come
  // while the saver pauses holding that picture: a folder of it alone, shown twice, the
  // second load into the block the first let go, and a 20 s pause.
  const std::wstring idleFolder = std::wstring(kPaintingFolder) + L"_idle";
  CreateDirectoryW(idleFolder.c_str(), nullptr);
  const std::wstring idleLarge = idleFolder + L"\\b.bmp";
  if (!Exists(idleLarge) && !CreateHardLinkW(idleLarge.c_str(), large.c_str(), nullptr) &&
      !CopyFileW(large.c_str(), idleLarge.c_str(), TRUE)) {
    std::fprintf(stderr, "key_exit_wine: cannot put the large picture into %ls\n", idleFolder.c_str());
    return 1;
  }
  std::printf("  idle holding the %ux%u picture, %d presses:\n", kLargeWidth, kLargeHeight, kIdlePresses);
  WriteSettings(kPaintingFolderAnsi + std::string("_idle"), "20000", "1", "0");
  std::vector<double> idleHolding;
  for (int run = 1; run <= kIdlePresses; ++run) {
    bool loaded = false;
    const double ms = TimeKeyToExit(
        scrPath,
        [&](const SaverProcess& saver) {
          loaded = WaitForLoadEnd(saver) && WaitForLoadEnd(saver);
          Sleep(kSettleMs);
        },
        false);
    if (ms < 0) return 1;
    if (!loaded) {
      std::fprintf(stderr, "key_exit_wine: the two loads were not seen in the saver's working set\n");
      return 1;
    }
    std::printf("    press %d: %.1f ms\n", run, ms);
    idleHolding.push_back(ms);
  }
  std::printf("  while painting, %d presses, from the end of the load into the paint:\n", kPaintingPresses);
  WriteSettings(kPaintingFolderAnsi, "100", "1", "0");
  std::vector<double> times;
  int afterThePaint = 0;
  for (int run = 0; run < kPaintingPresses; ++run) {
    const double intoThePaint = paintMs * run / kPaintingPresses;
    bool seen = false, shown = false;
    const double ms = TimeKeyToExit(scrPath, [&](const SaverProcess& saver) {
      seen = WaitForLoadEnd(saver);
      LARGE_INTEGER from;
      QueryPerformanceCounter(&from);
      if (intoThePaint > 0) SleepUntil(from, intoThePaint);
      shown = !Near(ScreenCentrePixel(), kPictureColour);
    });
    if (ms < 0) return 1;
    if (!seen) {
      std::fprintf(stderr, "key_exit_wine: the end of the load was not seen in the saver's working set\n");
      return 1;
    }
    std::printf("    press %.1f ms after the load: %.1f ms%s\n", intoThePaint, ms,
                shown ? " (the picture had shown)" : "");
    std::fflush(stdout);
    times.push_back(ms);
    afterThePaint += shown ? 1 : 0;
  }
  const double above = Worst(times) - Worst(idleHolding);
  std::printf("idle worst %.1f ms with the small picture shown, %.1f ms holding the large one\n", idleWorst,
              Worst(idleHolding));
  std::printf("while painting a %ux%u picture: worst %.1f ms, %.1f ms above the idle worst holding it; ratio "
              "to the %.0f ms goal %.2f%s\n",
              kLargeWidth, kLargeHeight, Worst(times), above, kGoalMs, above / kGoalMs,
              afterThePaint ? " (some presses came after the paint)" : "");
  return 0;
}

// --- a show of photographs, for the memory figure -----------------------------------

int StartPhotoShow(const std::wstring& scrPath) {
  const std::wstring folder = L"C:\\glimmer_bench\\photos";
  CreateDirectoryW(kBench, nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  // Six different pictures, each a little different in size so that the blocks differ too.
  for (UINT i = 0; i < 6; ++i) {
    const std::wstring path = folder + L"\\photo" + std::to_wstring(i) + L".jpg";
    const UINT width = 4000 - 8 * i, height = 3000 - 6 * i;
    if (!Exists(path) && !e2e::WriteJpeg(path, width, height, e2e::PhotoLikeRows(width, height))) {
      std::fprintf(stderr, "key_exit_wine: cannot write %ls\n", path.c_str());
      return 1;
    }
  }
  WriteSettings("C:\\glimmer_bench\\photos", "1000", "1", "1");
  SaverProcess saver(scrPath);
  if (!saver.Started() || !bench::WaitForSaverWindow(saver.Id())) {
    std::fprintf(stderr, "key_exit_wine: the photo show did not start\n");
    return 1;
  }
  saver.Detach();
  std::printf("photo show running, saver process %lu\n", saver.Id());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: key_exit_wine <o_glmk.scr> [runs | --start-only | --while-loading | --while-painting | "
                 "--start-photo-show]\n");
    return 2;
  }
  const std::wstring scrPath = argv[1];
  const std::wstring option = argc > 2 ? argv[2] : L"";
  if (option == L"--while-loading") return MeasureWhileLoading(scrPath);
  if (option == L"--while-painting") return MeasureWhilePainting(scrPath);
  if (option == L"--start-photo-show") return StartPhotoShow(scrPath);
  PrepareShow();
  if (option == L"--start-only") return StartOnly(scrPath);
  const int runs = option.empty() ? 5 : _wtoi(option.c_str());
  if (runs <= 0) {
    std::fprintf(stderr, "key_exit_wine: runs must be a positive number\n");
    return 2;
  }
  return MeasureRuns(scrPath, runs);
}
