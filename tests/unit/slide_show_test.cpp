#include "show/slide_show.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using pictures::LoadedPicture;
using show::Placement;

namespace {

// Values handed out in turn; seeding is recorded between them.
struct ScriptedRandom : platform::Random {
  float Next() override {
    log.push_back("next");
    float value = values.empty() ? 0.5f : values[index % values.size()];
    ++index;
    return value;
  }
  void SeedFromClock() override { log.push_back("seed"); }
  std::vector<float> values;
  size_t index = 0;
  std::vector<std::string> log;
};

// Every call the loop makes that matters for its order, with the values it passes.
struct FakeShowHost : show::ShowHost {
  void PumpPending() override {
    ++pumps;
    trace.push_back(L"pump");
  }
  uint32_t Ticks() override { return now; }
  void WaitForMessageOrTimeout(uint32_t ms) override {
    EXPECT_GT(ms, 0u);
    // A wait that never ends fails the test instead of hanging it.
    if (++waits > 100000) throw std::runtime_error("endless wait");
    trace.push_back(L"wait");
    now += ms;
  }
  bool LoadPicture(const std::wstring& path, LoadedPicture& picture) override {
    events.push_back(L"load " + path);
    trace.push_back(L"load");
    now += loadMs;
    auto found = sizes.find(path);
    if (found == sizes.end()) return false;
    picture.width = found->second.width;
    picture.height = found->second.height;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0);
    return true;
  }
  void ClearWindow() override {
    events.push_back(L"clear");
    trace.push_back(L"clear");
  }
  void PaintPicture(const LoadedPicture&, const Placement& p) override {
    drawTicks.push_back(now);
    trace.push_back(L"paint");
    events.push_back(L"paint " + std::to_wstring(p.position.x) + L"," + std::to_wstring(p.position.y) + L" " +
                     std::to_wstring(p.size.width) + L"x" + std::to_wstring(p.size.height));
  }
  void DrawBilinerPicture(const std::wstring& path, const LoadedPicture& picture) override {
    drawTicks.push_back(now);
    events.push_back(L"biliner " + path + L" " + std::to_wstring(picture.width) + L"x" + std::to_wstring(picture.height));
  }
  void SetTimer1Interval(uint32_t ms) override {
    timer1 = ms;
    trace.push_back(L"timer1 " + std::to_wstring(ms));
  }
  void SetIdleTicks(int32_t ticks) override {
    idleTicksSet.push_back(ticks);
    trace.push_back(L"idle " + std::to_wstring(ticks));
  }
  platform::Size PrimaryScreenSize() override { return {1024, 768}; }
  void HideWindow() override { events.push_back(L"hide"); }
  void ShowOnTop() override { events.push_back(L"show"); }
  void ReportNoFolder() override { events.push_back(L"no folder"); }
  const settings::SaverSettings& Settings() override { return settings; }
  // What each copy to the screen carried: the drawings since the last copy, joined by "+".
  void ShowDrawing() override {
    std::wstring copy;
    for (size_t i = shownUpTo; i < events.size(); ++i)
      if (events[i].rfind(L"load", 0) != 0) copy += (copy.empty() ? L"" : L"+") + events[i];
    screenCopies.push_back(copy);
    shownUpTo = events.size();
  }

  std::vector<std::wstring> Paints() const {
    std::vector<std::wstring> paints;
    for (const auto& e : events)
      if (e.rfind(L"load", 0) != 0) paints.push_back(e);
    return paints;
  }

  uint32_t now = 5000;
  uint32_t loadMs = 0;
  int pumps = 0;
  int waits = 0;
  uint32_t timer1 = 0;
  std::vector<std::wstring> trace;
  std::map<std::wstring, platform::Size> sizes;
  std::vector<std::wstring> events;
  std::vector<uint32_t> drawTicks;
  std::vector<int32_t> idleTicksSet;
  settings::SaverSettings settings;
  std::vector<std::wstring> screenCopies;
  size_t shownUpTo = 0;
};

struct ShowRig {
  explicit ShowRig(std::vector<std::wstring> entries, std::wstring speedText = L"300")
      : list(std::move(entries)), speed(std::move(speedText)), show(host, random, list, display, speed) {
    host.settings.CheckM = 1;
    host.settings.Cyuuou = 1;
    for (const auto& path : list) host.sizes[path] = {400, 300};
  }
  void Cycles(int n) {
    for (int i = 0; i < n; ++i) show.Cycle();
  }
  FakeShowHost host;
  ScriptedRandom random;
  std::vector<std::wstring> list;
  platform::Size display{1024, 768};
  std::wstring speed;
  show::SlideShow show;
};

}  // namespace

TEST(ShowLoop, EmptyCatalogueHidesTheWindowAndReports) {
  ShowRig rig({});
  rig.show.Run();
  EXPECT_EQ(rig.host.events, (std::vector<std::wstring>{L"hide", L"no folder"}));
}

TEST(ShowLoop, FileNameOrderWalksTheListAndWraps) {
  ShowRig rig({L"C:\\a.bmp", L"C:\\b.bmp", L"C:\\c.bmp"});
  rig.host.settings.OderFileName = 1;
  std::vector<int> shown;
  for (int i = 0; i < 5; ++i) {
    rig.show.Cycle();
    shown.push_back(rig.show.SelectedEntry());
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1}));
  EXPECT_EQ(rig.host.timer1, 100u);
}

TEST(ShowLoop, DrawingsAreAtLeastTheSpeedApart) {
  struct Case { std::wstring speed; uint32_t loadMs; uint32_t gap; };
  const Case cases[] = {{L"10000", 0, 10000}, {L"300", 0, 300}, {L" ", 0, 100}, {L"abc", 0, 100},
                        {L"50", 0, 100},  // the 100 ms before each load comes first
                        {L"300", 700, 800}, {std::wstring(L"250\0junk", 8), 0, 250},
                        // Past a float's range: no number, so the 100 ms wait stays.
                        {L"1" + std::wstring(39, L'0'), 0, 100}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.speed));
    ShowRig rig({L"C:\\a.jpg"}, c.speed);
    rig.host.loadMs = c.loadMs;
    rig.Cycles(4);
    ASSERT_EQ(rig.host.drawTicks.size(), 4u);
    for (size_t i = 1; i < rig.host.drawTicks.size(); ++i)
      EXPECT_EQ(rig.host.drawTicks[i] - rig.host.drawTicks[i - 1], c.gap);
  }
}

TEST(ShowLoop, PacingHoldsAcrossTheTickCountWraps) {
  for (uint32_t start : {0x7FFFFF00u, 0xFFFFFF00u}) {
    SCOPED_TRACE(start);
    ShowRig rig({L"C:\\a.jpg"}, L"1000");
    rig.host.now = start;
    rig.Cycles(4);
    ASSERT_EQ(rig.host.drawTicks.size(), 4u);
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(static_cast<uint32_t>(rig.host.drawTicks[i] - rig.host.drawTicks[i - 1]), 1000u);
  }
}

TEST(ShowLoop, UnreadablePicturesAreSkippedWithOnlyTheShortWait) {
  ShowRig rig({L"C:\\bad.jpg", L"C:\\tiny.gif"}, L"10000");
  rig.host.sizes.erase(L"C:\\bad.jpg");
  rig.host.sizes[L"C:\\tiny.gif"] = {1, 1};
  rig.host.settings.OderFileName = 1;
  rig.host.now = 100000;
  rig.Cycles(6);
  EXPECT_TRUE(rig.host.drawTicks.empty());
  EXPECT_TRUE(rig.host.Paints().empty());
  EXPECT_LE(rig.host.now, 100000u + 100u);  // LastDrawTick stays 0: the 100 ms wait is over at once
}

TEST(ShowLoop, RefreshDecidesWhetherTheWindowIsCleared) {
  for (int16_t refresh : {0, 1}) {
    ShowRig rig({L"C:\\a.jpg"});
    rig.host.settings.Refresh = refresh;
    rig.Cycles(2);
    std::vector<std::wstring> want = refresh ? std::vector<std::wstring>{L"paint 312,234 400x300", L"paint 312,234 400x300"}
                                             : std::vector<std::wstring>{L"clear", L"paint 312,234 400x300", L"clear",
                                                                         L"paint 312,234 400x300"};
    EXPECT_EQ(rig.host.Paints(), want) << refresh;
  }
}

TEST(ShowLoop, BilinearHandsThePictureOver) {
  ShowRig rig({L"C:\\a.jpg"});
  rig.host.settings.Biliner = 1;
  rig.host.settings.Refresh = 0;
  rig.Cycles(2);
  EXPECT_EQ(rig.host.Paints(), (std::vector<std::wstring>{L"biliner C:\\a.jpg 400x300", L"biliner C:\\a.jpg 400x300"}));
}

TEST(ShowLoop, PrimaryScreenOnlyNarrowsTheArea) {
  ShowRig rig({L"C:\\big.jpg"});
  rig.display = {1824, 768};
  rig.host.sizes[L"C:\\big.jpg"] = {2048, 1536};
  rig.Cycles(1);
  EXPECT_EQ(rig.host.Paints().back(), L"paint 400,0 1024x768");  // centred on both monitors
  rig.host.settings.Multi = 1;
  rig.Cycles(1);
  EXPECT_EQ(rig.display, (platform::Size{1023, 767}));
  EXPECT_EQ(rig.host.Paints().back(), L"paint 0,0 1023x767");
}

TEST(ShowLoop, ZeroWideFitClearsButPaintsNothing) {
  ShowRig rig({L"C:\\line.bmp"});
  rig.display = {1023, 767};
  rig.host.sizes[L"C:\\line.bmp"] = {1, 3000};
  rig.Cycles(1);
  EXPECT_EQ(rig.host.Paints(), (std::vector<std::wstring>{L"clear"}));
}

TEST(ShowLoop, RandomOrderSeedsBeforeItsDrawAndPlacementDrawsTwiceUnseeded) {
  ShowRig rig({L"C:\\0.jpg", L"C:\\1.jpg", L"C:\\2.jpg", L"C:\\3.jpg"});
  rig.random.values = {0.99f, 0.1f, 0.2f, 0.26f, 0.1f, 0.2f};
  rig.Cycles(2);
  EXPECT_EQ(rig.random.log, (std::vector<std::string>{"seed", "next", "next", "next", "seed", "next", "next", "next"}));
  EXPECT_EQ(rig.show.SelectedEntry(), 1);  // floor(4 * 0.26 + 1) - 1
}

TEST(ShowLoop, IdleTicksAreSetTwiceACycle) {
  ShowRig rig({L"C:\\a.jpg"});
  rig.Cycles(1);
  EXPECT_EQ(rig.host.idleTicksSet, (std::vector<int32_t>{100, 100}));
}

// Input is handled only where the loop pumps: twice before choosing, after loading, before
// placing, and inside each wait. The movement checks are put to rest (IdleTicks = 100)
// before each wait, so that a check during the wait only re-arms.
TEST(ShowLoop, PumpsAndIdleTicksComeInTheirPlaces) {
  ShowRig rig({L"C:\\a.jpg", L"C:\\b.jpg", L"C:\\tiny.gif"}, L"300");
  rig.host.sizes[L"C:\\tiny.gif"] = {1, 1};
  rig.host.settings.OderFileName = 1;
  rig.Cycles(1);  // a.jpg drawn: the next cycle's waits have something to wait for
  rig.host.trace.clear();
  rig.Cycles(1);  // b.jpg: both waits, then the drawing
  const std::vector<std::wstring> drawn = {L"pump", L"pump", L"timer1 100", L"idle 100", L"pump", L"wait",
                                           L"load", L"pump", L"pump", L"idle 100", L"pump", L"wait",
                                           L"clear", L"paint"};
  EXPECT_EQ(rig.host.trace, drawn);
  rig.host.trace.clear();
  rig.Cycles(1);  // tiny.gif, skipped after its load
  const std::vector<std::wstring> skipped = {L"pump", L"pump", L"timer1 100", L"idle 100",
                                             L"pump", L"wait", L"load", L"pump"};
  EXPECT_EQ(rig.host.trace, skipped);
}

// The clear and the paint reach the screen together, so no black window shows between two
// pictures; a clear with nothing to paint still reaches it.
TEST(ShowLoop, ClearAndPaintReachTheScreenInOneCopy) {
  struct Case {
    int16_t refresh;
    platform::Size picture, area;
    std::vector<std::wstring> copies;
  };
  const Case cases[] = {
      {0, {400, 300}, {1024, 768}, {L"clear+paint 312,234 400x300", L"clear+paint 312,234 400x300"}},
      {1, {400, 300}, {1024, 768}, {L"paint 312,234 400x300", L"paint 312,234 400x300"}},
      {0, {1, 3000}, {1023, 767}, {L"clear", L"clear"}},  // fitted to 0 x 767: nothing painted
      {1, {1, 3000}, {1023, 767}, {L"", L""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.refresh << " " << c.picture.width << "x" << c.picture.height);
    ShowRig rig({L"C:\\a.jpg"});
    rig.display = c.area;
    rig.host.settings.Refresh = c.refresh;
    rig.host.sizes[L"C:\\a.jpg"] = c.picture;
    rig.Cycles(2);
    EXPECT_EQ(rig.host.screenCopies, c.copies);
  }
}
