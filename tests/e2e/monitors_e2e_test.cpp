// The real o_glmk.scr on desktops of two monitors. tools/monitor-rig makes the desktop a
// layout describes and names the layout in GLIMMER_MONITORS; the figures wanted for each
// layout are written beside it below, worked out by hand. The saver window covers the
// union of the monitors, and the window's (0, 0) is the union's top-left corner, which is
// not the primary's when a monitor lies left of or above it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "res/texts.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/monitor_layout.h"

using e2e::SaverProcess;

namespace {

constexpr wchar_t kSaver[] = L"Glimmerdeck";
constexpr DWORD kStartTimeout = 15000;
const COLORREF kGreen = RGB(30, 200, 60);
const COLORREF kBlack = RGB(0, 0, 0);

// A rectangle in virtual-screen pixels, right and bottom exclusive.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend bool operator<(const Box& a, const Box& b) {
    return std::make_pair(std::make_pair(a.left, a.top), std::make_pair(a.right, a.bottom)) <
           std::make_pair(std::make_pair(b.left, b.top), std::make_pair(b.right, b.bottom));
  }
  friend std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.left << ", " << b.top << ")-(" << b.right << ", " << b.bottom << ")";
  }
};

// The pictures of the figures below, one solid colour each, so that where they land does
// not depend on how a scaler rounds.
constexpr SIZE kCentredPicture{301, 203};   // Cyuuou 1: a half pixel on both axes
constexpr SIZE kMultiPicture{2046, 1534};   // Multi 1, CheckM 1: shrunk to 1023 x 767
constexpr SIZE kSmoothedPicture{400, 300};  // Biliner 1: fitted to the union, centred
// Refresh 1, random places: a picture kSlack pixels narrower and lower than the union lands
// at DrawX and DrawY from 1 to kSlack in the window, so its pixels lie from the union's
// top-left corner plus 1 to the union's bottom-right corner, and fill that exactly once
// both ends of both ranges have come up (1 chance in kSlack each time).
constexpr int kSlack = 8;

struct LayoutFigures {
  const char* layout;
  Box desk;      // the union of the monitors: the saver window
  Box centred;   // the centred picture
  Box multi;     // the Multi picture: 1023 x 767 from the window's corner
  Box smoothed;  // the smoothed picture
};

// A x B is the union's size; places in the window's pixels become virtual-screen pixels by
// adding the union's top-left corner. Halves go to the even neighbour.
const LayoutFigures kLayouts[] = {
    // An 800 x 600 monitor left of and above the primary: A x B = 1824 x 868, the window's
    // (0, 0) at (-800, -100).
    //   centred: (912 - 150.5, 434 - 101.5) = (761.5, 332.5) -> (762, 332) -> (-38, 232)
    //   Multi: 1023 x 767 from (-800, -100), not from the primary's corner
    //   smoothed: 1824 > 868 * 400 / 300 = 1157.3333, so 1824 x 1368, higher than 868:
    //     1157 x 868 at ((1824 - 1157) / 2, 0) = (333.5, 0) -> (334, 0) -> (-466, -100)
    //   random: 1816 x 860, its pixels from (-799, -99) to (1023, 767)
    {"1024x768+0+0,800x600-800-100",
     {-800, -100, 1024, 768}, {-38, 232, 263, 435}, {-800, -100, 223, 667}, {-466, -100, 691, 768}},
    // An 800 x 600 monitor right of the primary, top edges level: A x B = 1824 x 768.
    //   centred: (912 - 150.5, 384 - 101.5) = (761.5, 282.5) -> (762, 282)
    //   Multi: 1023 x 767 from (0, 0)
    //   smoothed: 1824 > 768 * 400 / 300 = 1024, so 1824 x 1368, higher than 768:
    //     1024 x 768 at ((1824 - 1024) / 2, 0) = (400, 0)
    //   random: 1816 x 760, its pixels from (1, 1) to (1823, 767)
    {"1024x768+0+0,800x600+1024+0",
     {0, 0, 1824, 768}, {762, 282, 1063, 485}, {0, 0, 1023, 767}, {400, 0, 1424, 768}},
    // An 800 x 600 monitor above the primary, 100 pixels in: A x B = 1024 x 1368, the
    // window's (0, 0) at (0, -600).
    //   centred: (512 - 150.5, 684 - 101.5) = (361.5, 582.5) -> (362, 582) -> (362, -18)
    //   Multi: 1023 x 767 from (0, -600)
    //   smoothed: 1024 > 1368 * 400 / 300 = 1824 is false, so 1824 x 1368, wider than 1024:
    //     1024 x 768 at (0, (1368 - 768) / 2) = (0, 300) -> (0, -300)
    //   random: 1016 x 1360, its pixels from (1, -599) to (1023, 767)
    {"1024x768+0+0,800x600+100-600",
     {0, -600, 1024, 768}, {362, -18, 663, 185}, {0, -600, 1023, 167}, {0, -300, 1024, 468}},
};

const LayoutFigures* FiguresFor(const std::string& layout) {
  for (const auto& figures : kLayouts)
    if (layout == figures.layout) return &figures;
  return nullptr;
}

std::string EnvironmentText(const char* name) {
  char value[512] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
  return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
  reinterpret_cast<std::vector<Box>*>(data)->push_back({rect->left, rect->top, rect->right, rect->bottom});
  return TRUE;
}

std::vector<Box> Sorted(std::vector<Box> boxes) {
  std::sort(boxes.begin(), boxes.end());
  return boxes;
}

Box BoundingBox(const std::vector<Box>& boxes) {
  Box all = boxes.at(0);
  for (const auto& b : boxes)
    all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
           std::max(all.bottom, b.bottom)};
  return all;
}

std::vector<Box> ReportedMonitors() {
  std::vector<Box> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return Sorted(monitors);
}

POINT Centre(const Box& b) { return {(b.left + b.right) / 2, (b.top + b.bottom) / 2}; }

std::string ColourText(COLORREF c) {
  std::ostringstream out;
  out << "RGB(" << int(GetRValue(c)) << ", " << int(GetGValue(c)) << ", " << int(GetBValue(c)) << ")";
  return out.str();
}

// The desk at one moment.
struct Frame {
  Box area;
  std::vector<uint32_t> pixels;
  COLORREF At(int x, int y) const {
    const uint32_t p = pixels[static_cast<size_t>(y - area.top) * area.Width() + (x - area.left)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

// Pixels that differ from what is wanted, and the first few of them.
struct Differences {
  size_t count = 0;
  std::string first;
  void Add(int x, int y, COLORREF got, const char* wanted) {
    if (count++ >= 5) return;
    first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") " + ColourText(got) + " not " + wanted + ";";
  }
};

// Where pictures were painted, and pixels that are neither picture nor black: a place the
// saver window leaves uncovered shows the rig's white root.
struct Painted {
  Box extent{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  bool any = false;
  Differences stray;
  void Add(int x, int y) {
    any = true;
    extent = {std::min(extent.left, x), std::min(extent.top, y), std::max(extent.right, x + 1),
              std::max(extent.bottom, y + 1)};
  }
};

class MonitorsTest : public testing::Test {
 protected:
  void SetUp() override {
    layout_ = EnvironmentText("GLIMMER_MONITORS");
    if (layout_.empty()) GTEST_SKIP() << "needs a desktop of tools/monitor-rig (ctest starts it)";
    figures_ = FiguresFor(layout_);
    ASSERT_NE(figures_, nullptr) << "no figures are written for the layout " << layout_;
    auto monitors = e2e::ParseMonitorLayout(layout_);
    ASSERT_TRUE(monitors.has_value()) << layout_ << " is no layout";
    for (const auto& m : *monitors) monitors_.push_back({m.left, m.top, m.right, m.bottom});
    ASSERT_GE(monitors_.size(), 2u);
    ASSERT_EQ(BoundingBox(monitors_), Desk()) << "the union written for " << layout_ << " is not the layout's";
    ASSERT_EQ(ReportedMonitors(), Sorted(monitors_)) << "Wine does not report the monitors of " << layout_;
    e2e::RemoveSettings();
    e2e::SetUsePassword(false);
    e2e::MoveCursor(512, 384);
  }
  void TearDown() override { e2e::RemoveSettings(); }

  const Box& Desk() const { return figures_->desk; }
  const Box& SecondMonitor() const { return monitors_[1]; }

  // Starts the saver on a folder with one solid picture, the settings as a fresh save with
  // some values changed, and waits until its first picture can have been drawn.
  void Start(SIZE picture, const std::vector<std::pair<std::string, std::string>>& values) {
    std::wstring folder = e2e::FreshFolder(L"monitors");
    e2e::WriteSolidBmp(folder + L"\\a.bmp", picture.cx, picture.cy, kGreen);
    e2e::WriteSettingsText(e2e::WithValues(e2e::SettingsWithFolder(e2e::Narrow(folder)), values));
    saver_ = std::make_unique<SaverProcess>(L"/S");
    ASSERT_TRUE(saver_->Started());
    ASSERT_NO_FATAL_FAILURE(WaitForSaverWindow());
    e2e::Sleep(1500);
    ASSERT_NO_FATAL_FAILURE(ExpectNoMonitorError());
  }

  // The monitor-information error comes before the saver window, from the first measure of
  // the desk, and holds it back until the box is answered.
  void WaitForSaverWindow() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kStartTimeout) {
      ASSERT_NO_FATAL_FAILURE(ExpectNoMonitorError());
      if ((saverWindow_ = saver_->FindVisibleWindow(kSaver))) return;
      e2e::Sleep(50);
    }
    FAIL() << "no saver window";
  }

  void ExpectNoMonitorError() const {
    if (HWND box = saver_->FindVisibleWindow(res::kAppTitle)) {
      std::wstring text;
      for (HWND label : e2e::ChildrenOfClass(box, L"Static")) text += e2e::WindowText(label);
      FAIL() << "the monitor-information error was shown: " << testing::PrintToString(text);
    }
  }

  Frame CaptureDesk() const {
    const Box& d = Desk();
    return {d, e2e::CaptureScreen(d.Width(), d.Height(), d.left, d.top)};
  }

  // Every pixel a monitor shows: the colour inside picture, black elsewhere.
  Differences CompareWithPicture(const Frame& frame, const Box& picture, COLORREF colour) const {
    Differences differences;
    for (int y = frame.area.top; y < frame.area.bottom; ++y)
      for (int x = frame.area.left; x < frame.area.right; ++x) {
        if (!OnAMonitor(x, y)) continue;
        const COLORREF got = frame.At(x, y);
        const bool inside = picture.Holds(x, y);
        if (!e2e::Near(got, inside ? colour : kBlack)) differences.Add(x, y, got, inside ? "the picture" : "black");
      }
    return differences;
  }

  // Waits until the monitors show only the picture on black: a large picture takes a
  // moment to reach the screen.
  void ExpectScreenShows(const Box& picture, COLORREF colour) const {
    Differences differences;
    const DWORD start = GetTickCount();
    do {
      differences = CompareWithPicture(CaptureDesk(), picture, colour);
      if (differences.count == 0) return;
      e2e::Sleep(250);
    } while (GetTickCount() - start < 8000);
    ADD_FAILURE() << differences.count << " pixels differ from " << ColourText(colour) << " at " << picture
                  << " on black:" << differences.first;
  }

  Painted PaintedArea(const Frame& frame, COLORREF colour) const {
    Painted painted;
    for (int y = frame.area.top; y < frame.area.bottom; ++y)
      for (int x = frame.area.left; x < frame.area.right; ++x) {
        if (!OnAMonitor(x, y)) continue;
        const COLORREF got = frame.At(x, y);
        if (e2e::Near(got, colour))
          painted.Add(x, y);
        else if (!e2e::Near(got, kBlack))
          painted.stray.Add(x, y, got, "the picture or black");
      }
    return painted;
  }

  // On a desktop of several monitors, what a screen read gives where no monitor is, is
  // garbage.
  bool OnAMonitor(int x, int y) const {
    for (const auto& m : monitors_)
      if (m.Holds(x, y)) return true;
    return false;
  }

  std::string layout_;
  const LayoutFigures* figures_ = nullptr;
  std::vector<Box> monitors_;
  std::unique_ptr<SaverProcess> saver_;
  HWND saverWindow_ = nullptr;
};

}  // namespace

TEST_F(MonitorsTest, TheSaverWindowCoversExactlyTheUnion) {
  ASSERT_NO_FATAL_FAILURE(Start(kCentredPicture, {{"Cyuuou", "1"}}));
  RECT window{};
  GetWindowRect(saverWindow_, &window);
  EXPECT_EQ((Box{window.left, window.top, window.right, window.bottom}), Desk());
  RECT client{};
  GetClientRect(saverWindow_, &client);
  EXPECT_EQ((Box{client.left, client.top, client.right, client.bottom}), (Box{0, 0, Desk().Width(), Desk().Height()}));
  // Black over every monitor, the root's white nowhere.
  Painted painted = PaintedArea(CaptureDesk(), kGreen);
  EXPECT_EQ(painted.stray.count, 0u) << painted.stray.first;
  EXPECT_TRUE(saver_->Running());
}

TEST_F(MonitorsTest, RandomPlacesSpanTheirRangeOverTheUnionAndNothingLandsOutside) {
  const Box& desk = Desk();
  ASSERT_NO_FATAL_FAILURE(Start({desk.Width() - kSlack, desk.Height() - kSlack}, {{"Refresh", "1"}, {"Speed", "1"}}));
  // Column and row 0 of the window are never painted; the right and bottom edges are the
  // union's.
  const Box allowed{desk.left + 1, desk.top + 1, desk.right, desk.bottom};
  Painted painted;
  const DWORD start = GetTickCount();
  while (!(painted.extent == allowed) && GetTickCount() - start < 30000) {
    e2e::Sleep(500);
    painted = PaintedArea(CaptureDesk(), kGreen);
    ASSERT_EQ(painted.stray.count, 0u) << painted.stray.first;
    ASSERT_TRUE(painted.any);
    const Box& e = painted.extent;
    ASSERT_TRUE(e.left >= allowed.left && e.top >= allowed.top && e.right <= allowed.right &&
                e.bottom <= allowed.bottom)
        << "pictures painted at " << e << ", outside " << allowed;
  }
  EXPECT_EQ(painted.extent, allowed) << "not every place of the range came up";
}

TEST_F(MonitorsTest, CentredPictureSitsInTheMiddleOfTheUnion) {
  ASSERT_NO_FATAL_FAILURE(Start(kCentredPicture, {{"Cyuuou", "1"}}));
  ExpectScreenShows(figures_->centred, kGreen);
}

TEST_F(MonitorsTest, MultiFitsThePrimarysSizeLessOneFromTheWindowsCorner) {
  ASSERT_NO_FATAL_FAILURE(Start(kMultiPicture, {{"Multi", "1"}, {"Cyuuou", "1"}, {"CheckM", "1"}}));
  ExpectScreenShows(figures_->multi, kGreen);
}

TEST_F(MonitorsTest, SmoothedPictureIsFittedToTheUnionAndCentred) {
  ASSERT_NO_FATAL_FAILURE(Start(kSmoothedPicture, {{"Biliner", "1"}}));
  ExpectScreenShows(figures_->smoothed, kGreen);
}

TEST_F(MonitorsTest, KeyAndClickOnTheSecondMonitorEndTheSaver) {
  const POINT second = Centre(SecondMonitor());
  const std::pair<const char*, std::function<void()>> inputs[] = {
      {"key", [] { e2e::PressKey('A'); }},
      {"click on the second monitor", [second] { e2e::Click(second.x, second.y); }},
  };
  for (const auto& [name, input] : inputs) {
    SCOPED_TRACE(name);
    ASSERT_NO_FATAL_FAILURE(Start(kCentredPicture, {}));
    input();
    EXPECT_TRUE(saver_->WaitForExit(3000));
  }
}

// Movement on the second monitor counts like movement on the primary, also where its
// coordinates are negative: the saver ends on the movement after the sensitivity.
TEST_F(MonitorsTest, MouseMovementOnTheSecondMonitorEndsTheSaver) {
  const POINT second = Centre(SecondMonitor());
  int x = second.x - 200;
  e2e::MoveCursor(x, second.y);
  ASSERT_NO_FATAL_FAILURE(Start(kCentredPicture, {{"MouseM", "5"}, {"Speed", "20000"}}));
  // Each step is seen by both the mouse-move event and the cursor poll, so a step can count
  // twice; the saver must survive fewer counted moves than the sensitivity.
  for (int i = 0; i < 2; ++i) {
    e2e::MoveCursor(x += 10, second.y);
    e2e::Sleep(60);
  }
  EXPECT_TRUE(saver_->Running());
  for (int i = 0; i < 10 && saver_->Running(); ++i) {
    e2e::MoveCursor(x += 10, second.y);
    e2e::Sleep(60);
  }
  EXPECT_TRUE(saver_->WaitForExit(2000));
}
