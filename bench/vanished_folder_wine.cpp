// The saver when its pictures fail to load, under Wine.
// Usage: vanished_folder_wine <path of o_glmk.scr> --start-vanished
//        vanished_folder_wine <path of o_glmk.scr> --return
//        vanished_folder_wine <path of o_glmk.scr> --damaged [runs]
// --start-vanished starts the saver on a folder of pictures, waits for the first, takes the
// folder away and leaves the saver running once its failures have gone on for 3 s, for the
// processor-time figure. --return puts a folder of the same names back (another colour),
// prints the time until a picture of it shows (goal: within 2 s) and ends the saver.
// --damaged times, over several starts, how long after its window appears a saver shows the
// one good picture of a folder of 100 damaged files, chosen at random (goal: within 2 s).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/saver_bench_support.h"

namespace {

constexpr wchar_t kBench[] = L"C:\\glimmer_bench";
constexpr wchar_t kShown[] = L"C:\\glimmer_bench\\vanishing";
constexpr char kShownAnsi[] = "C:\\glimmer_bench\\vanishing";
constexpr wchar_t kAway[] = L"C:\\glimmer_bench\\vanished";
constexpr wchar_t kReturning[] = L"C:\\glimmer_bench\\returning";
constexpr wchar_t kDamaged[] = L"C:\\glimmer_bench\\damaged";
constexpr char kDamagedAnsi[] = "C:\\glimmer_bench\\damaged";
constexpr COLORREF kBefore = RGB(200, 40, 160);
constexpr COLORREF kAfter = RGB(230, 220, 40);
constexpr COLORREF kGood = RGB(40, 60, 230);
constexpr double kGoalMs = 2000;

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

void FolderOfSolidPictures(const std::wstring& folder, COLORREF colour) {
  RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* name : {L"\\a.bmp", L"\\b.bmp", L"\\c.bmp"})
    bench::WriteBytes(folder + name, bench::SolidBmp(64, 48, colour));
}

int StartVanished(const std::wstring& scrPath) {
  CreateDirectoryW(kBench, nullptr);
  RemoveTree(kAway);
  FolderOfSolidPictures(kShown, kBefore);
  FolderOfSolidPictures(kReturning, kAfter);
  bench::WriteSettings(kShownAnsi, "300", "0", "0");
  bench::SaverProcess saver(scrPath);
  if (!saver.Started() || !bench::WaitForSaverWindow(saver.Id()) || bench::MsUntilCentre(kBefore, 20000) < 0) {
    std::fprintf(stderr, "vanished_folder_wine: the saver did not show its first picture\n");
    return 1;
  }
  if (!MoveFileW(kShown, kAway)) {
    std::fprintf(stderr, "vanished_folder_wine: cannot take the folder away (error %lu)\n", GetLastError());
    return 1;
  }
  Sleep(3000);
  if (WaitForSingleObject(saver.Handle(), 0) != WAIT_TIMEOUT) {
    std::fprintf(stderr, "vanished_folder_wine: the saver ended without its folder\n");
    return 1;
  }
  saver.Detach();
  std::printf("folder gone for 3 s, saver process %lu\n", saver.Id());
  return 0;
}

// Ends whatever saver shows its window: the one --start-vanished left running.
bool EndRunningSaver() {
  HWND window = bench::FindSaverWindow(0);
  if (!window) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  bench::PressKey('A');
  const bool ended = process && WaitForSingleObject(process, bench::kExitTimeoutMs) == WAIT_OBJECT_0;
  if (process) CloseHandle(process);
  return ended;
}

int Return() {
  if (!bench::FindSaverWindow(0)) {
    std::fprintf(stderr, "vanished_folder_wine: no saver is running\n");
    return 1;
  }
  if (!MoveFileW(kReturning, kShown)) {
    std::fprintf(stderr, "vanished_folder_wine: cannot put the folder back (error %lu)\n", GetLastError());
    return 1;
  }
  const double ms = bench::MsUntilCentre(kAfter, 10000);
  const bool ended = EndRunningSaver();
  if (ms < 0) {
    std::printf("the folder came back but no picture of it showed within 10 s\n");
    return 1;
  }
  std::printf("pictures again %.0f ms after the folder came back; ratio to the %.0f ms goal %.2f\n", ms, kGoalMs,
              ms / kGoalMs);
  return ended ? 0 : 1;
}

void PrepareDamaged() {
  RemoveTree(kDamaged);
  CreateDirectoryW(kBench, nullptr);
  CreateDirectoryW(kDamaged, nullptr);
  // Files as a show finds them: cut off, empty of pixels, or nothing like a picture.
  for (int i = 0; i < 100; ++i) {
    const std::wstring name = std::wstring(kDamaged) + L"\\damaged" + std::to_wstring(i);
    if (i % 3 == 0)
      bench::WriteBytes(name + L".jpg", "\xFF\xD8\xFF\xE0" + std::string(3000, 'x'));
    else if (i % 3 == 1)
      bench::WriteBytes(name + L".gif", std::string("GIF89a\x10\x00", 8));
    else
      bench::WriteBytes(name + L".bmp", std::string(2000, 'B'));
  }
  bench::WriteBytes(std::wstring(kDamaged) + L"\\good.bmp", bench::SolidBmp(64, 48, kGood));
  bench::WriteSettings(kDamagedAnsi, "1000", "0", "0");
}

int Damaged(const std::wstring& scrPath, int runs) {
  PrepareDamaged();
  std::vector<double> times;
  for (int run = 1; run <= runs; ++run) {
    bench::SaverProcess saver(scrPath);
    if (!saver.Started() || !bench::WaitForSaverWindow(saver.Id())) {
      std::fprintf(stderr, "vanished_folder_wine: the saver did not start\n");
      return 1;
    }
    const double ms = bench::MsUntilCentre(kGood, 20000);
    if (ms < 0) {
      std::printf("  start %d: the good picture did not show within 20 s\n", run);
      return 1;
    }
    std::printf("  start %d: the good picture after %.0f ms\n", run, ms);
    std::fflush(stdout);
    times.push_back(ms);
    bench::PressKey('A');
    WaitForSingleObject(saver.Handle(), bench::kExitTimeoutMs);
  }
  const double worst = *std::max_element(times.begin(), times.end());
  std::printf("one good picture among 100 damaged: worst %.0f ms of %d starts; ratio to the %.0f ms goal %.2f\n",
              worst, runs, kGoalMs, worst / kGoalMs);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring option = argc > 2 ? argv[2] : L"";
  if (option == L"--start-vanished") return StartVanished(argv[1]);
  if (option == L"--return") return Return();
  if (option == L"--damaged") return Damaged(argv[1], argc > 3 ? std::max(1, _wtoi(argv[3])) : 5);
  std::fprintf(stderr, "usage: vanished_folder_wine <o_glmk.scr> --start-vanished | --return | --damaged [runs]\n");
  return 2;
}
