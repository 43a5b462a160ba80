// Time of the saver's own catalogue scan of a folder tree, with its sub-folders, under
// Wine. tools/bench compares it with "cmd /c dir /s /b" over the same tree.
// Usage: scan_wine <folder> [expected pictures] [runs]   (default 5 runs)
// Prints the median scan time in milliseconds and the folders listed and opened in a scan;
// fails when a scan finds another count.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "pictures/catalogue.h"
#include "platform/directory_lister_win32.h"
#include "platform/ports.h"

namespace {

// The saver's scan answers input once per folder; the cost of that belongs in the figure.
class PeekPump : public platform::MessagePump {
 public:
  void PumpPending() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
};

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The system's lister, with its listings and its opens of a folder counted.
class CountingLister : public platform::DirectoryLister {
 public:
  std::vector<platform::DirectoryEntry> List(const std::wstring& folder) override {
    ++listings;
    return lister_.List(folder);
  }
  std::optional<platform::IdentifiedFolder> Identify(const std::wstring& folder) override {
    ++opens;
    return lister_.Identify(folder);
  }
  size_t listings = 0, opens = 0;

 private:
  platform::Win32DirectoryLister lister_;
};

struct ScanResult {
  double ms;
  size_t pictures, listings, opens;
};

ScanResult TimeOneScan(const std::wstring& folder) {
  CountingLister lister;
  PeekPump pump;
  std::vector<std::wstring> catalogue;
  const double start = NowMs();
  pictures::GetPictureFolder(pictures::kAddPictures, folder, true, {lister, pump}, catalogue);
  return {NowMs() - start, catalogue.size(), lister.listings, lister.opens};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scan_wine <folder> [expected pictures] [runs]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const long expected = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : -1;
  const long runs = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 5;
  if (runs <= 0) {
    std::fprintf(stderr, "scan_wine: runs must be a positive number\n");
    return 2;
  }
  std::vector<double> times;
  ScanResult result{};
  size_t found = 0;
  for (long run = 0; run < runs; ++run) {
    result = TimeOneScan(folder);
    found = result.pictures;
    if (expected >= 0 && found != static_cast<size_t>(expected)) {
      std::fprintf(stderr, "scan_wine: found %zu pictures, expected %ld\n", found, expected);
      return 1;
    }
    times.push_back(result.ms);
  }
  std::printf("scan: median %.1f ms of %ld runs (min %.1f, max %.1f), %zu pictures, %zu listings, %zu opens\n",
              Median(times), runs, *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()), found, result.listings, result.opens);
  return 0;
}
