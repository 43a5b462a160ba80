#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "saver/cursor.h"
#include "saver/display_change.h"
#include "saver/monitors.h"
#include "saver/report_no_folder.h"
#include "saver/saver_start.h"
#include "tests/unit/fake_profile.h"

using platform::Rect;

namespace {

// "1024x768+0+0,800x600-800+0": width x height, then the left and top offsets.
std::vector<Rect> Monitors(const std::string& layout) {
  std::vector<Rect> rects;
  std::stringstream in(layout);
  std::string one;
  while (std::getline(in, one, ',')) {
    int w = 0, h = 0, x = 0, y = 0;
    char sx = '+', sy = '+';
    std::sscanf(one.c_str(), "%dx%d%c%d%c%d", &w, &h, &sx, &x, &sy, &y);
    if (sx == '-') x = -x;
    if (sy == '-') y = -y;
    rects.push_back({x, y, x + w, y + h});
  }
  return rects;
}

// The system's display count: shown while it is 0 or more.
struct FakeCursor : platform::CursorDisplay {
  explicit FakeCursor(int start) : count(start) {}
  int Show(bool show) override {
    calls.push_back(show);
    count += show ? 1 : -1;
    return count;
  }
  int count;
  std::vector<bool> calls;
};

// The monitors of a layout, the primary first; the union and the primary's size are the
// metrics. A layout put in `arriving` comes in the middle of the next read.
struct FakeMonitors : platform::Monitors {
  std::optional<std::vector<platform::MonitorEntry>> Enumerate() override {
    std::vector<platform::MonitorEntry> entries;
    for (const Rect& r : Read()) entries.push_back({r, entries.size() + 1, std::nullopt});
    return fails ? std::nullopt : std::make_optional(entries);
  }
  platform::ScreenMetrics Metrics() override {
    const std::vector<Rect> rects = Read();
    const Rect primary = rects.empty() ? Rect{} : rects[0];
    return {saver::VirtualDesk(rects), static_cast<int32_t>(rects.size()), {primary.Width(), primary.Height()}};
  }
  std::vector<Rect> Read() {
    std::vector<Rect> rects = ::Monitors(layout);
    if (!arriving.empty()) layout = std::exchange(arriving, "");
    return rects;
  }
  std::string layout = "1024x768+0+0", arriving;
  bool fails = false;
};

}  // namespace

// Each step changes the monitors; the watch gives the layout the window covers from then
// on, or nothing where the window keeps its area.
TEST(SaverDisplayWatch, GivesTheLayoutToCoverAsTheMonitorsChange) {
  enum How { kPoll, kMessage, kFailedRead, kTwoSteps };
  struct Step { How how; const char* layout; std::optional<Rect> desk; platform::Size primary; };
  const Step steps[] = {
      {kPoll, "1024x768+0+0,800x600-800-100", Rect{-800, -100, 1024, 768}, {1024, 768}},  // added left of it
      {kPoll, "1024x768+0+0", Rect{0, 0, 1024, 768}, {1024, 768}},                        // and taken away
      {kMessage, "1280x1024+0+0,1024x768+1280+0", Rect{0, 0, 2304, 1024}, {1280, 1024}},
      {kPoll, "1024x768+0+0,1280x1024+1024+0", Rect{0, 0, 2304, 1024}, {1024, 768}},  // another primary
      {kMessage, "1024x768+0+0,1280x1024+1024+0", std::nullopt, {}},                   // nothing new
      {kPoll, "", std::nullopt, {}},                                                   // no monitor
      {kFailedRead, "1920x1080+0+0", std::nullopt, {}},
      {kPoll, "1920x1080+0+0", Rect{0, 0, 1920, 1080}, {1920, 1080}},  // the next poll tries again
      // A dock: the second monitor comes while the first one's layout is read.
      {kTwoSteps, "1920x1080+0+0,1920x1080-1920+0", Rect{-1920, 0, 1920, 1080}, {1920, 1080}},
  };
  FakeMonitors monitors;
  saver::DisplayWatch watch(monitors);
  watch.Measure([](const platform::MonitorEntry&) {});
  for (const Step& step : steps) {
    SCOPED_TRACE(step.layout);
    monitors.layout = step.how == kTwoSteps ? "1920x1080+0+0,1280x1024+1920+0" : step.layout;
    monitors.fails = step.how == kFailedRead;
    step.how == kMessage ? watch.NoteAnnouncedChange() : watch.Poll();
    if (step.how == kTwoSteps) monitors.arriving = step.layout;
    std::optional<saver::DisplayLayout> covered = watch.TakeChange();
    watch.Poll();
    if (auto later = watch.TakeChange(); later && step.how == kTwoSteps) covered = later;
    EXPECT_EQ(covered, step.desk ? std::optional(saver::DisplayLayout{*step.desk, step.primary}) : std::nullopt);
  }
}

TEST(SaverDisplayWatch, TheKeptPartStaysAtItsPlaceOnTheScreen) {
  using saver::KeptPart;
  EXPECT_EQ(saver::KeptPartOf({0, 0, 1024, 768}, {-800, -100, 1024, 768}), (KeptPart{{0, 0}, {800, 100}, {1024, 768}}));
  EXPECT_EQ(saver::KeptPartOf({-800, -100, 1024, 768}, {0, 0, 832, 624}), (KeptPart{{800, 100}, {0, 0}, {832, 624}}));
  EXPECT_EQ(saver::KeptPartOf({0, 0, 1024, 768}, {1024, 0, 1824, 600}), std::nullopt);  // side by side
}

TEST(SaverMonitors, DeskIsTheUnionOfMonitorsAndTheOrigin) {
  struct Case { const char* layout; Rect desk; int width; int height; };
  const Case cases[] = {
      {"1024x768+0+0", {0, 0, 1024, 768}, 1024, 768},
      {"1024x768+0+0,800x600-800+0", {-800, 0, 1024, 768}, 1824, 768},
      {"1024x768+0+0,1280x1024+0-1024", {0, -1024, 1280, 768}, 1280, 1792},
      {"1920x1080+0+0,1920x1080+1920+0,1920x1080+3840+0", {0, 0, 5760, 1080}, 5760, 1080},
      {"800x600+100+100", {0, 0, 900, 700}, 900, 700},  // the origin is always inside
      {"", {0, 0, 0, 0}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    Rect desk = saver::VirtualDesk(Monitors(c.layout));
    EXPECT_EQ(desk, c.desk);
    EXPECT_EQ(saver::DisplaySize(desk), (platform::Size{c.width, c.height}));
  }
}

TEST(SaverCursor, HideLowersTheCountBelowZeroAndRestoreBringsItBack) {
  struct Case { int start; int savedWant; size_t hideCalls; };
  const Case cases[] = {{0, 0, 1}, {2, 2, 3}, {-3, -3, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    FakeCursor cursor(c.start);
    saver::CursorKeeper keeper(cursor);
    keeper.HideCursor();
    EXPECT_EQ(keeper.SavedCursorCount(), c.savedWant);
    EXPECT_EQ(cursor.calls.size(), c.hideCalls);
    EXPECT_LT(cursor.count, 0);
    keeper.RestoreCursor();
    EXPECT_EQ(cursor.count, c.start);
  }
}

TEST(SaverCursor, RestoreRaisesAtLeastOnce) {
  FakeCursor cursor(-1);
  saver::CursorKeeper keeper(cursor);
  keeper.HideCursor();  // keeps -1
  cursor.count = 5;     // someone else raised it meanwhile
  keeper.RestoreCursor();
  EXPECT_EQ(cursor.count, 6);
  EXPECT_EQ(cursor.calls.back(), true);
}

TEST(SaverStart, RereadsMultiAndCheckMAsStored) {
  FakeProfile file;
  for (auto [k, v] : {std::pair{L"Folder", L"C:\\CG"}, {L"Speed", L"300"}, {L"MouseM", L"x"},
                      {L"CheckM", L"0"}, {L"Biliner", L"1"}, {L"Multi", L"1"}})
    file.Set(k, v);
  saver::SaverStartValues got = saver::TakeSaverSettings(file, nullptr);
  EXPECT_EQ(got.record.Biliner, 1);
  EXPECT_EQ(got.record.CheckM, 0);  // not forced on by the bilinear rule here
  EXPECT_EQ(got.record.Multi, 1);
  EXPECT_EQ(got.Folder, L"C:\\CG");
  EXPECT_EQ(got.Speed, L"300");
  EXPECT_EQ(got.MouseM, L"x");
}

TEST(SaverStart, TakesTheDialogsRecordWhenThereIsOne) {
  FakeProfile file;
  file.Set(L"BgmPlay", L"0");
  file.Set(L"CheckM", L"junk");
  settings::SaverSettings dialog;
  dialog.BgmPlay = 1;
  dialog.CheckM = 0;
  saver::SaverStartValues got = saver::TakeSaverSettings(file, &dialog);
  EXPECT_EQ(got.record.BgmPlay, 1);
  EXPECT_EQ(got.record.CheckM, 0);  // junk in the file leaves it alone
  EXPECT_EQ(got.Folder, L" ");
  EXPECT_EQ(got.Speed, L" ");
}

TEST(SaverNoFolder, TheWindowIsHiddenBeforeTheNoticeAppears) {
  struct Recorder : saver::NoFolderHost {
    void HideWindow() override { calls.push_back("hide"); }
    void RestoreCursor() override { calls.push_back("restore cursor"); }
    void ShowCursorOnce() override { calls.push_back("show cursor"); }
    void ShowNoFolderMessage() override { calls.push_back("message"); }
    void ShowSettingsDialogModeless() override { calls.push_back("settings"); }
    std::vector<std::string> calls;
  } host;
  saver::ReportNoFolder(host);
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"hide", "restore cursor", "show cursor", "message", "settings"}));
}

TEST(SaverMonitors, EachFailingMonitorIsReportedOncePerShowing) {
  saver::MonitorErrors errors;
  const uintptr_t left = 0x1001, right = 0x2002;
  auto first = errors.Report(left, 1461);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->title, L"SCRNSAVE:Glimmerdeck");  // the application title, not "Glimmerdeck"
  EXPECT_EQ(first->text, L"APIｴﾗｰｺｰﾄﾞ = 1461");
  EXPECT_EQ(errors.Report(right, 5)->text, L"APIｴﾗｰｺｰﾄﾞ = 5");
  // The set-up measures the desk again in the same showing: nothing more to show.
  EXPECT_FALSE(errors.Report(left, 1461).has_value());
  EXPECT_FALSE(errors.Report(right, 5).has_value());
  errors.NewShowing();
  EXPECT_TRUE(errors.Report(left, 1461).has_value());
  EXPECT_FALSE(errors.Report(left, 1461).has_value());
}
