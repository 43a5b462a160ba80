// The program's painting against StretchDIBits of the same picture into the same 32-bit DIB
// section, under Wine, timed in turns in one run.
// Usage: paint_wine [runs]   (default 9)
// Case 1: a 4000 x 3000 picture shrunk into 1920 x 1080 (1440 x 1080 at (240, 0)), the
// painter on two threads as the saver paints (goal: the painter at most 1.0 times
// StretchDIBits). Case 2: a 16000 x 12000 picture shrunk into 1024 x 768, the screen of the
// key-to-exit benchmark. Then the two costs that set how often the window's thread stops
// for its messages while it paints: PeekMessage on an empty queue, and one row of case 1.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <random>
#include <vector>

#include "drawing/paint.h"
#include "platform/dib_win32.h"
#include "platform/program_win32.h"
#include "platform/win32_handles.h"
#include "platform/worker_win32.h"
#include "show/placement.h"

namespace {

constexpr double kGoal = 1.0;

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimeMs(const std::function<void()>& work) {
  const double start = NowMs();
  work();
  return NowMs() - start;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Pump : platform::MessagePump {
  void PumpPending() override { platform::PumpPendingMessages(); }
};

// A 32-bit top-down DIB section selected into a memory DC, as the saver's back buffer.
class Buffer {
 public:
  Buffer(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = platform::TopDownDibInfo(width, height);
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap_) SelectObject(dc_.get(), bitmap_.get());
    pixels_ = static_cast<uint8_t*>(bits);
  }
  bool Ready() const { return pixels_ != nullptr; }
  HDC Dc() const { return dc_.get(); }
  drawing::PaintTarget Target() const { return {pixels_, width_, height_, static_cast<size_t>(width_) * 4}; }

 private:
  int width_, height_;
  platform::UniqueMemoryDc dc_;
  platform::UniqueGdi<HBITMAP> bitmap_;
  uint8_t* pixels_ = nullptr;
};

struct Case {
  const char* name;
  platform::Size picture;
  platform::Size area;
};

// Medians of the painter and of StretchDIBits over `runs` turns each; false when a step fails.
bool MeasureCase(const Case& c, int runs, platform::Worker& worker, double& paintMs, double& stretchMs) {
  std::vector<uint32_t> pixels(static_cast<size_t>(c.picture.width) * c.picture.height);
  std::mt19937 random(7);
  for (uint32_t& pixel : pixels) pixel = static_cast<uint32_t>(random());
  Buffer buffer(c.area.width, c.area.height);
  if (!buffer.Ready()) return false;
  const show::Placement place = show::PlacePicture(c.picture, c.area, {true, true, true}, 0.0f, 0.0f);
  const drawing::PaintSource source{reinterpret_cast<const uint8_t*>(pixels.data()), c.picture.width, c.picture.height,
                                     static_cast<size_t>(c.picture.width) * 4, false};
  const BITMAPINFO info = platform::TopDownDibInfo(c.picture.width, c.picture.height);
  Pump pump;
  std::vector<double> paints, stretches;
  for (int run = 0; run < runs; ++run) {
    paints.push_back(
        TimeMs([&] { drawing::PaintPicture(source, place.position, place.size, buffer.Target(), pump, &worker); }));
    stretches.push_back(TimeMs([&] {
      SetStretchBltMode(buffer.Dc(), COLORONCOLOR);
      StretchDIBits(buffer.Dc(), place.position.x, place.position.y, place.size.width, place.size.height, 0, 0,
                    c.picture.width, c.picture.height, pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
      GdiFlush();
    }));
  }
  paintMs = Median(paints);
  stretchMs = Median(stretches);
  std::printf("%s, drawn %dx%d at (%d, %d): painter on two threads %.2f ms, StretchDIBits %.2f ms; ratio %.2f\n",
              c.name, place.size.width, place.size.height, place.position.x, place.position.y, paintMs, stretchMs,
              paintMs / stretchMs);
  std::fflush(stdout);
  return true;
}

void MeasurePumpAndRow(int32_t rowsInCase1, double onePaintAloneMs) {
  MSG msg;
  constexpr int kPeeks = 20000;
  const double peeksMs = TimeMs([&] {
    for (int i = 0; i < kPeeks; ++i) PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  });
  const double noYieldMs = TimeMs([&] {
    for (int i = 0; i < kPeeks; ++i) PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD);
  });
  const double rowUs = 1000.0 * onePaintAloneMs / rowsInCase1;
  std::printf(
      "PeekMessage on an empty queue %.2f us (%.2f us with PM_NOYIELD); one row of case 1 on one thread "
      "%.2f us; a band of %d rows (%lld pixels) %.0f us\n",
      1000.0 * peeksMs / kPeeks, 1000.0 * noYieldMs / kPeeks, rowUs, drawing::RowsBetweenPumps(1440),
      static_cast<long long>(drawing::kPixelsBetweenPumps), rowUs * drawing::RowsBetweenPumps(1440));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? _wtoi(argv[1]) : 9;
  if (runs <= 0) {
    std::fprintf(stderr, "paint_wine: runs must be a positive number\n");
    return 2;
  }
  platform::ThreadWorker worker;
  if (!worker.HasThread()) {
    std::fprintf(stderr, "paint_wine: the worker thread did not start\n");
    return 1;
  }
  const Case cases[] = {
      {"4000x3000 into 1920x1080", {4000, 3000}, {1920, 1080}},
      {"16000x12000 into 1024x768", {16000, 12000}, {1024, 768}},
  };
  double goalPaint = 0, goalStretch = 0;
  for (const Case& c : cases) {
    double paintMs = 0, stretchMs = 0;
    if (!MeasureCase(c, runs, worker, paintMs, stretchMs)) {
      std::fprintf(stderr, "paint_wine: cannot make the buffer for %s\n", c.name);
      return 1;
    }
    if (&c == &cases[0]) {
      goalPaint = paintMs;
      goalStretch = stretchMs;
    }
  }
  // One thread alone, for the cost of a row.
  {
    std::vector<uint32_t> pixels(size_t{4000} * 3000, 0x00808080);
    Buffer buffer(1920, 1080);
    const drawing::PaintSource source{reinterpret_cast<const uint8_t*>(pixels.data()), 4000, 3000, 4000 * 4, false};
    Pump pump;
    std::vector<double> alone;
    for (int run = 0; run < runs; ++run)
      alone.push_back(TimeMs([&] { drawing::PaintPicture(source, {240, 0}, {1440, 1080}, buffer.Target(), pump); }));
    MeasurePumpAndRow(1080, Median(alone));
  }
  std::printf("ratio painter / StretchDIBits for 4000x3000 into 1920x1080 %.2f (goal at most %.1f)\n",
              goalPaint / goalStretch, kGoal);
  return 0;
}
