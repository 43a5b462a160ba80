#include "show/slide_show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
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
    // A change of the screens wakes the wait, as its message would.
    now = change && change->at - now < ms ? change->at : now + ms;
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
  platform::Size PrimaryScreenSize() override { return primary; }
  void HideWindow() override { events.push_back(L"hide"); }
  void ShowOnTop() override { events.push_back(L"show"); }
  void ReportNoFolder() override { events.push_back(L"no folder"); }
  const settings::SaverSettings& Settings() override { return settings; }
  bool FollowDisplayChange() override {
    if (!change || static_cast<int32_t>(now - change->at) < 0) return false;
    *display = change->display, primary = change->primary;
    change.reset();
    events.push_back(L"follow");
    return true;
  }
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
  // A change of the screens, followed once the clock has reached it.
  struct ScreenChange { uint32_t at; platform::Size display, primary; };
  std::optional<ScreenChange> change;
  platform::Size* display = nullptr;
  platform::Size primary{1024, 768};
};

struct ShowRig {
  explicit ShowRig(std::vector<std::wstring> entries, std::wstring speedText = L"300")
      : list(std::move(entries)), speed(std::move(speedText)), show(host, random, list, display, speed) {
    host.settings.CheckM = 1;
    host.settings.Cyuuou = 1;
    for (const auto& path : list) host.sizes[path] = {400, 300};
    host.display = &display;
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

TEST(ShowRetryPacing, WaitGrowsWithTheRunOfFailures) {
  struct Case { uint32_t start, now, wait; };
  const Case cases[] = {
      {5000, 5000, 0},     {5000, 6499, 0},      {5000, 6500, 0},    {5000, 6504, 1},
      {5000, 6900, 100},   {5000, 7500, 250},    {5000, 90000, 250},
      {0xFFFFFF00u, 0xFFFFFF00u + 1900, 100},  // across the tick count's wrap
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " " << c.now);
    show::RetryPacing pacing;
    EXPECT_EQ(pacing.WaitBeforeTry(c.now), 0u);  // no run yet
    pacing.LoadFailed(c.start);
    pacing.LoadFailed(c.start + 500);  // the run is timed from its first failure
    EXPECT_EQ(pacing.WaitBeforeTry(c.now), c.wait);
    pacing.LoadSucceeded();
    EXPECT_EQ(pacing.WaitBeforeTry(c.now), 0u);
  }
}

namespace {

// Every load takes loadMs of the fake clock; the times of the tries are kept.
struct TimedFailures : ShowRig {
  explicit TimedFailures(std::vector<std::wstring> entries) : ShowRig(std::move(entries), L"1000") {
    host.loadMs = 1;
    host.settings.OderFileName = 1;
  }
  // Cycles until the fake clock has passed `until`.
  void RunUntil(uint32_t until) {
    while (static_cast<int32_t>(host.now - until) < 0) {
      const size_t before = host.events.size();
      show.Cycle();
      for (size_t i = before; i < host.events.size(); ++i)
        if (host.events[i].rfind(L"load", 0) == 0) tries.push_back(host.now);
    }
  }
  size_t TriesBetween(uint32_t from, uint32_t to) const {
    return std::count_if(tries.begin(), tries.end(), [&](uint32_t t) { return t >= from && t < to; });
  }
  std::vector<uint32_t> tries;
};

}  // namespace

// A folder that has gone: every load fails. The loop keeps trying, first at full speed,
// then at most four times a second, handling messages in every wait.
TEST(ShowLoop, FailingLoadsDoNotSpin) {
  TimedFailures rig({L"E:\\gone\\a.jpg", L"E:\\gone\\b.jpg"});
  rig.host.sizes.clear();
  const uint32_t start = rig.host.now;
  rig.RunUntil(start + 60000);
  EXPECT_GE(rig.TriesBetween(start, start + 1000), 900u);   // a millisecond a try at first
  EXPECT_LE(rig.TriesBetween(start + 10000, start + 60000), 50u * 4 + 1);
  EXPECT_GE(rig.TriesBetween(start + 10000, start + 60000), 50u * 3);
  for (size_t i = 1; i < rig.tries.size(); ++i) {
    if (rig.tries[i - 1] - start > 2500) {
      EXPECT_EQ(rig.tries[i] - rig.tries[i - 1], 251u);  // wait + load
    }
  }
  EXPECT_GT(rig.host.pumps, static_cast<int>(rig.tries.size()));
  EXPECT_TRUE(rig.host.drawTicks.empty());
}

// The folder comes back: the next try finds it, and the run of failures ends there, so a
// later failure starts at full speed again.
TEST(ShowLoop, PicturesComeBackSoonAfterTheirFolder) {
  TimedFailures rig({L"E:\\gone\\a.jpg"});
  rig.host.sizes.clear();
  const uint32_t start = rig.host.now;
  rig.RunUntil(start + 30000);
  rig.host.sizes[L"E:\\gone\\a.jpg"] = {400, 300};
  const uint32_t back = rig.host.now;
  rig.RunUntil(back + 1);
  ASSERT_EQ(rig.host.drawTicks.size(), 1u);
  EXPECT_LE(rig.host.drawTicks[0] - back, show::RetryPacing::kLongestWaitMs + 1);
  rig.host.sizes.clear();
  rig.tries.clear();
  const uint32_t goneAgain = rig.host.now;
  rig.RunUntil(goneAgain + 1100);  // tries begin 100 ms after the drawing
  EXPECT_GE(rig.TriesBetween(goneAgain + 100, goneAgain + 1100), 900u);
}

// One good picture among a hundred damaged ones, chosen at random: the long free run
// finds it within two seconds whatever the draws, with two milliseconds a failed try.
TEST(ShowLoop, OneGoodPictureAmongManyDamagedIsFoundSoon) {
  struct SeededRandom : platform::Random {
    explicit SeededRandom(uint32_t seed) : engine(seed) {}
    float Next() override { return std::uniform_real_distribution<float>(0.0f, 1.0f)(engine); }
    void SeedFromClock() override {}
    std::mt19937 engine;
  };
  std::vector<std::wstring> list;
  for (int i = 0; i < 100; ++i) list.push_back(L"C:\\p\\damaged" + std::to_wstring(i) + L".jpg");
  list.push_back(L"C:\\p\\good.jpg");
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    FakeShowHost host;
    host.loadMs = 2;
    host.settings.CheckM = 1;
    host.sizes[L"C:\\p\\good.jpg"] = {400, 300};
    SeededRandom random(seed);
    platform::Size display{1024, 768};
    const std::wstring speed = L"1000";
    show::SlideShow show(host, random, list, display, speed);
    const uint32_t start = host.now;
    while (host.drawTicks.empty() && host.now - start < 10000) show.Cycle();
    ASSERT_FALSE(host.drawTicks.empty());
    EXPECT_LE(host.drawTicks[0] - start, 2000u);
  }
}

// The screens change while the next picture waits: the picture shown is drawn again at once
// for the new area and the waiting one is fitted to it; the order and the pace stay.
TEST(ShowLoop, AChangeOfTheScreensDrawsForTheNewArea) {
  struct Case { const char* name; int16_t multi, refresh; platform::Size display, primary; std::wstring paint; };
  const Case cases[] = {
      {"larger", 0, 0, {1280, 1024}, {1280, 1024}, L"paint 40,62 1200x900"},
      {"Refresh", 0, 1, {832, 624}, {832, 624}, L"paint 0,0 832x624"},
      {"Multi, a monitor added left", 1, 0, {2080, 1024}, {1280, 1024}, L"paint 40,62 1200x900"},
      {"Multi, another primary in the same union", 1, 0, {1824, 768}, {800, 600}, L"paint 0,0 799x599"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShowRig rig({L"C:\\a.jpg", L"C:\\b.jpg"}, L"1000");
    rig.display = {1824, 768};
    rig.host.settings.OderFileName = 1;
    rig.host.settings.Multi = c.multi;
    rig.host.settings.Refresh = c.refresh;
    for (const auto& path : rig.list) rig.host.sizes[path] = {1200, 900};
    rig.Cycles(1);
    const uint32_t drawn = rig.show.LastDrawTick();
    rig.host.events.clear(), rig.host.drawTicks.clear();
    rig.host.change = {drawn + 500, c.display, c.primary};
    rig.Cycles(1);
    std::vector<std::wstring> want = {L"load C:\\b.jpg", L"follow", L"load C:\\a.jpg",
                                      L"clear", c.paint, L"clear", c.paint};
    if (c.refresh) want.erase(std::remove(want.begin(), want.end(), L"clear"), want.end());
    EXPECT_EQ(rig.host.events, want);
    EXPECT_EQ(rig.host.drawTicks, (std::vector<uint32_t>{drawn + 500, drawn + 1000}));
    EXPECT_EQ(rig.show.LastDrawTick(), drawn + 1000);
    EXPECT_EQ(rig.show.SelectedEntry(), 1);
  }
}
