#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "saver/end_saver.h"
#include "saver/input_watch.h"

using platform::Point;
using saver::InputWatch;
using saver::MovePair;

namespace {

struct Ended {};

// Moves the cursor along the points, one check each, and returns how many times the saver
// was asked to end and on which check.
std::vector<int> EndsWhileMoving(InputWatch& watch, MovePair pair, const std::vector<Point>& points,
                                 const std::wstring& mouseM) {
  std::vector<int> ends;
  for (size_t i = 0; i < points.size(); ++i)
    watch.CheckMovement(pair, points[i], true, mouseM, [&] { ends.push_back(static_cast<int>(i)); });
  return ends;
}

std::vector<Point> Steps(Point start, int dx, int dy, int count) {
  std::vector<Point> points;
  for (int i = 0; i < count; ++i) points.push_back({start.x + dx * i, start.y + dy * i});
  return points;
}

}  // namespace

TEST(SaverInputWatch, EndsOnTheMovementAfterTheSensitivity) {
  struct Case { const char* name; Point start; int dx, dy; std::wstring mouseM; std::vector<int> ends; };
  const Case cases[] = {
      // The first check only remembers; then 15 counted movements pass, the 16th ends.
      {"sensitivity 15", {500, 400}, 3, 0, L"15", {16}},
      {"sensitivity 5", {500, 400}, 0, -3, L"5", {6}},
      {"NUL and filler after the number", {500, 400}, 3, 3, std::wstring(L"5\0xx", 4), {6}},
      {"no number: the first counted move ends", {500, 400}, 3, 0, L" ", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
      {"jitter of two pixels never counts", {500, 400}, 2, 2, L"5", {}},
      {"top row of the primary monitor", {0, 0}, 3, 0, L"5", {6}},
      {"monitor left of the primary", {-700, 300}, -3, 0, L"5", {6}},
      {"monitor above the primary", {100, -500}, 0, 3, L"5", {6}},
      {"beyond 16 bits", {40000, 300}, 3, 0, L"5", {6}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InputWatch watch;
    EXPECT_EQ(EndsWhileMoving(watch, MovePair::CursorPoll, Steps(c.start, c.dx, c.dy, 20), c.mouseM), c.ends);
  }
}

TEST(SaverInputWatch, EndSaverComesBeforeTheCount) {
  InputWatch watch;
  int countSeenByEnd = -1;
  for (int i = 0; i < 3; ++i)
    watch.CheckMovement(MovePair::MouseMoveEvent, {100 + 10 * i, 100}, true, L"1", [&] { countSeenByEnd = watch.MouseCount(); });
  EXPECT_EQ(countSeenByEnd, 1);
  EXPECT_EQ(watch.MouseCount(), 2);
}

TEST(SaverInputWatch, InvisibleWindowIsNotWatchedAtAll) {
  InputWatch watch;
  watch.SetIdleTicks(5);
  watch.CheckMovement(MovePair::CursorPoll, {100, 100}, false, L"5", [] {});
  EXPECT_EQ(watch.IdleTicks(), 5);  // not even re-armed
  // Nothing was remembered either: the next visible check is still a first one.
  bool ended = false;
  watch.CheckMovement(MovePair::CursorPoll, {300, 300}, true, L"0", [&] { ended = true; });
  EXPECT_FALSE(ended);
  EXPECT_EQ(watch.MouseCount(), 0);
}

TEST(SaverInputWatch, TwoMemoriesCountOneMoveTwice) {
  InputWatch watch;
  for (auto pair : {MovePair::MouseMoveEvent, MovePair::CursorPoll}) watch.CheckMovement(pair, {100, 100}, true, L"9", [] {});
  for (auto pair : {MovePair::MouseMoveEvent, MovePair::CursorPoll}) watch.CheckMovement(pair, {110, 100}, true, L"9", [] {});
  EXPECT_EQ(watch.MouseCount(), 2);
}

TEST(SaverInputWatch, IdleTicksFromTheShowOnlyReArm) {
  InputWatch watch;
  watch.CheckMovement(MovePair::CursorPoll, {100, 100}, true, L"0", [] {});
  watch.SetIdleTicks(100);
  bool ended = false;
  watch.CheckMovement(MovePair::CursorPoll, {200, 200}, true, L"0", [&] { ended = true; });
  EXPECT_FALSE(ended);
  EXPECT_EQ(watch.IdleTicks(), 0);
  watch.OnTimer1Tick();
  watch.CheckMovement(MovePair::CursorPoll, {300, 300}, true, L"0", [&] { ended = true; });
  EXPECT_FALSE(ended);  // one Timer1 tick since the last check also holds it back
  watch.CheckMovement(MovePair::CursorPoll, {400, 400}, true, L"0", [&] { ended = true; });
  EXPECT_TRUE(ended);
}

TEST(SaverInputWatch, SensitivityText) {
  struct Case { std::wstring text; std::optional<double> want; };
  const Case cases[] = {{L"15", 15.0}, {L" 25 ", 25.0}, {L"7.5", 7.5}, {L"", std::nullopt},
                        {L" ", std::nullopt}, {L"abc", std::nullopt}, {L"1e3", std::nullopt},
                        {std::wstring(L"\0 15", 4), std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(saver::SensitivityNumber(c.text), c.want);
}

namespace {

struct FakeEndHost : saver::EndSaverHost {
  void StopMusic() override { log.push_back("stop music"); }
  void RestoreCursor() override { log.push_back("restore cursor"); }
  void HideCursor() override { log.push_back("hide cursor"); }
  void PumpPending() override {
    log.push_back("pump");
    if (onPump) onPump();
  }
  std::optional<uint32_t> UsePassword() override { return usePassword; }
  void SetScreenSaverRunning(bool running) override { log.push_back(running ? "running on" : "running off"); }
  void SetTimer1Interval(uint32_t ms) override { log.push_back("timer1 " + std::to_string(ms)); }
  std::optional<uint32_t> VerifyPassword() override {
    log.push_back("verify");
    if (onVerify) onVerify();
    return answer;
  }
  void ActivateSaverWindow() override { log.push_back("activate"); }
  [[noreturn]] void EndProgram() override {
    log.push_back("end");
    throw Ended{};
  }
  std::optional<uint32_t> usePassword;
  std::optional<uint32_t> answer;
  std::function<void()> onPump, onVerify;
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

}  // namespace

TEST(SaverEndSaver, PasswordRules) {
  struct Case { const char* name; std::optional<uint32_t> use; std::optional<uint32_t> answer; Log log; };
  const Log start = {"stop music", "restore cursor", "pump"};
  auto with = [&](Log tail) {
    Log all = start;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  const Case cases[] = {
      {"no value", std::nullopt, 1, with({"running off", "end"})},
      {"value 0", 0u, 1, with({"running off", "end"})},
      {"right password", 1u, 1u, with({"running on", "timer1 0", "verify", "running off", "end"})},
      {"only the low 16 bits count", 1u, 0x10000u, with({"running on", "timer1 0", "verify", "hide cursor", "timer1 100", "activate"})},
      {"wrong password", 1u, 0u, with({"running on", "timer1 0", "verify", "hide cursor", "timer1 100", "activate"})},
      {"no password.cpl", 1u, std::nullopt, with({"running on", "timer1 0", "verify", "running off", "end"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEndHost host;
    host.usePassword = c.use;
    host.answer = c.answer;
    saver::SaverEnder ender(host);
    try {
      ender.EndSaver();
    } catch (const Ended&) {
    }
    EXPECT_EQ(host.log, c.log);
  }
}

TEST(SaverEndSaver, TriggersDuringItsOwnPumpAndDialogAreIgnored) {
  FakeEndHost host;
  host.usePassword = 1;
  host.answer = 0;
  saver::SaverEnder ender(host);
  host.onPump = [&] { ender.EndSaver(); };
  host.onVerify = [&] { ender.EndSaver(); };
  ender.EndSaver();
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "verify"), 1);
  EXPECT_FALSE(ender.Busy());
  host.onPump = nullptr;
  host.onVerify = nullptr;
  ender.EndSaver();  // after a wrong password the next trigger asks again
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "verify"), 2);
}

// After a change of the screens the system has moved the cursor, not the user: with the
// positions forgotten, the next check of each kind only remembers.
TEST(SaverInputWatch, ForgottenPositionsAreOnlyRemembered) {
  const Point jump[] = {{1000, 700}, {831, 623}, {820, 600}};
  for (MovePair pair : {MovePair::MouseMoveEvent, MovePair::CursorPoll}) {
    InputWatch watch;
    EXPECT_EQ(EndsWhileMoving(watch, pair, {jump[0]}, L"0"), std::vector<int>{});
    watch.ForgetPositions();
    EXPECT_EQ(EndsWhileMoving(watch, pair, {jump[1], jump[2]}, L"0"), std::vector<int>{1});
  }
}
