#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "music/background_music.h"
#include "music/mci_module.h"

namespace {

using Commands = std::vector<std::wstring>;
constexpr uint32_t kNotOpen = 263;  // MCIERR_INVALID_DEVICE_NAME

// A media system that answers each command as scripted (failing what is not) and
// records every command, with the play commands' callback.
class FakeMciChannel : public platform::MciChannel {
 public:
  platform::MciReply Send(const std::wstring& command, platform::MciCallback callback) override {
    sent.push_back(command);
    if (callback == platform::MciCallback::SaverWindow) withCallback.push_back(command);
    auto answer = answers.find(command);
    return answer == answers.end() ? platform::MciReply{kNotOpen, L""} : answer->second;
  }
  std::wstring ShortPathName(const std::wstring& longPath) override {
    auto found = shortPaths.find(longPath);
    return found == shortPaths.end() ? longPath : found->second;
  }
  // A device that opens, plays and reports the mode given.
  void Plays(const std::wstring& openCommand, const std::wstring& mode = L"playing") {
    answers[openCommand] = {0, L""};
    answers[L"capability media has video"] = {0, L"false"};
    answers[L"play media"] = {0, L""};
    answers[L"status media mode"] = {0, mode};
  }

  std::map<std::wstring, platform::MciReply> answers;
  std::map<std::wstring, std::wstring> shortPaths;
  Commands sent;
  Commands withCallback;
};

class FakeTimer : public music::MusicTimer {
 public:
  void SetInterval(uint32_t intervalMs) override { intervals.push_back(intervalMs); }
  std::vector<uint32_t> intervals;
};

Commands OpenSequence(const std::wstring& open, const std::wstring& play = L"play media") {
  return {L"stop media", L"close media", open, L"set media port -1",
          L"capability media has video", play};
}

Commands Concat(Commands a, const Commands& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct OpenCase {
  const char* what;
  std::wstring fileName, shortPath, deviceType, capability;
  bool fullScreen;
  std::wstring openCommand, playCommand;
};

void PrintTo(const OpenCase& c, std::ostream* out) { *out << c.what; }

class MusicOpenPlay : public testing::TestWithParam<OpenCase> {};

TEST_P(MusicOpenPlay, SendsTheOpenSequence) {
  const OpenCase& c = GetParam();
  SCOPED_TRACE(c.what);
  FakeMciChannel channel;
  channel.shortPaths[c.fileName] = c.shortPath;
  channel.answers[c.openCommand] = {0, L""};
  channel.answers[L"capability media has video"] = {0, c.capability};
  EXPECT_TRUE(music::MCI_OpenPlay(channel, c.fileName, c.fullScreen, c.deviceType));
  EXPECT_EQ(channel.sent, OpenSequence(c.openCommand, c.playCommand));
  EXPECT_EQ(channel.withCallback, Commands{c.playCommand});  // even when the play fails
}

INSTANTIATE_TEST_SUITE_P(Cases, MusicOpenPlay, testing::Values(
    OpenCase{"sequencer, blanks in the long path", L"C:\\My Music\\a song.mid",
             L"C:\\MYMUSI~1\\ASONG~1.MID", L"Sequencer", L"false", false,
             L"open C:\\MYMUSI~1\\ASONG~1.MID alias media type Sequencer", L"play media"},
    OpenCase{"no device type", L"C:\\m\\a.mp3", L"C:\\m\\a.mp3", L"", L"false", false,
             L"open C:\\m\\a.mp3 alias media", L"play media"},
    OpenCase{"video in a window", L"C:\\v.avi", L"C:\\v.avi", L"", L"true", false,
             L"open C:\\v.avi alias media", L"play media window"},
    OpenCase{"video full screen", L"C:\\v.avi", L"C:\\v.avi", L"", L"true", true,
             L"open C:\\v.avi alias media", L"play media fullscreen"},
    OpenCase{"capability compared exactly", L"C:\\v.avi", L"C:\\v.avi", L"", L"True", false,
             L"open C:\\v.avi alias media", L"play media"},
    OpenCase{"no short names: blanks kept, path quoted", L"D:\\My Music\\a b.wav",
             L"D:\\My Music\\a b.wav", L"WaveAudio", L"false", false,
             L"open \"D:\\My Music\\a b.wav\" alias media type WaveAudio", L"play media"},
    OpenCase{"Japanese name", L"C:\\音楽\\曲.mid", L"C:\\音楽\\曲.mid", L"Sequencer", L"false",
             false, L"open C:\\音楽\\曲.mid alias media type Sequencer", L"play media"}));

TEST(MusicOpenPlayFailure, SendsNothingAfterAFailedOpen) {
  FakeMciChannel channel;
  EXPECT_FALSE(music::MCI_OpenPlay(channel, L"C:\\a.wav", false, L"WaveAudio"));
  EXPECT_EQ(channel.sent, (Commands{L"stop media", L"close media",
                                    L"open C:\\a.wav alias media type WaveAudio"}));
}

TEST(MusicStatus, FailedQueriesGiveEmptyModeAndZeroPosition) {
  FakeMciChannel channel;
  channel.answers[L"status media mode"] = {kNotOpen, L"playing"};
  channel.answers[L"status media position"] = {kNotOpen, L"1234"};
  EXPECT_EQ(music::MCI_StatusMode(channel), L"");
  EXPECT_EQ(music::MCI_Position(channel), 0);
  EXPECT_EQ(channel.sent, (Commands{L"status media mode", L"set media time format ms",
                                    L"status media position"}));
}

TEST(MusicStatus, PositionReadsTheLeadingNumber) {
  const std::pair<std::wstring, int32_t> cases[] = {
      {L"12345", 12345}, {L" 42", 42},   {L"7 ms", 7},           {L"-3", -3},
      {L"2.5", 2},       {L"3.5", 4},    {L"2.51", 3},           {L"0.49", 0},
      {L"", 0},          {L"abc", 0},    {L"2147483647", 2147483647},
      {L"2147483648", 0}, {L"18446744073709551621", 0}};
  for (const auto& [reply, wanted] : cases) {
    FakeMciChannel channel;
    channel.answers[L"status media position"] = {0, reply};
    EXPECT_EQ(music::MCI_Position(channel), wanted) << std::string(reply.begin(), reply.end());
  }
}

TEST(MusicStartCondition, NeedsTheOptionANameAndANormalFile) {
  const std::set<std::wstring> files = {L"C:\\Music\\song.mid"};
  auto isNormalFile = [&](const std::wstring& path) { return files.count(path) == 1; };
  EXPECT_TRUE(music::ShouldStartBgm(1, L"C:\\Music\\song.mid", isNormalFile));
  EXPECT_TRUE(music::ShouldStartBgm(1, L"  C:\\Music\\song.mid ", isNormalFile));
  EXPECT_FALSE(music::ShouldStartBgm(0, L"C:\\Music\\song.mid", isNormalFile));
  EXPECT_FALSE(music::ShouldStartBgm(2, L"C:\\Music\\song.mid", isNormalFile));
  EXPECT_FALSE(music::ShouldStartBgm(1, L"", isNormalFile));
  EXPECT_FALSE(music::ShouldStartBgm(1, L"   ", isNormalFile));
  EXPECT_FALSE(music::ShouldStartBgm(1, L"C:\\Music\\gone.mid", isNormalFile));
}

struct StartCase {
  std::wstring name, openCommand;  // empty openCommand: nothing is opened
};

class MusicStartBgm : public testing::TestWithParam<StartCase> {};

TEST_P(MusicStartBgm, OpensByExtensionAndWatchesWhatOpened) {
  FakeMciChannel channel;
  FakeTimer timer;
  if (!GetParam().openCommand.empty()) channel.Plays(GetParam().openCommand);
  music::BackgroundMusic bgm(channel, timer, GetParam().name);
  bgm.StartBgm();
  if (GetParam().openCommand.empty()) {
    EXPECT_EQ(channel.sent, Commands{L"stop media"});
    EXPECT_EQ(timer.intervals, std::vector<uint32_t>{0});
  } else {
    EXPECT_EQ(channel.sent, Concat({L"stop media"}, OpenSequence(GetParam().openCommand)));
    EXPECT_EQ(timer.intervals, (std::vector<uint32_t>{0, 1000}));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, MusicStartBgm, testing::Values(
    StartCase{L"C:\\Music\\song.mid", L"open C:\\Music\\song.mid alias media type Sequencer"},
    StartCase{L" C:\\Music\\song.Mid  ", L"open C:\\Music\\song.Mid alias media type Sequencer"},
    StartCase{L"C:\\Music\\song.wav", L"open C:\\Music\\song.wav alias media type WaveAudio"},
    StartCase{L"C:\\Music\\song.mp3", L"open C:\\Music\\song.mp3 alias media"},
    StartCase{L"C:\\Music\\song.ogg", L""},
    StartCase{L"    ", L""},
    StartCase{L"mid", L""}));

TEST(MusicStartBgmFailure, AFailedOpenLeavesTheTimerOff) {
  FakeMciChannel channel;
  FakeTimer timer;
  music::BackgroundMusic bgm(channel, timer, L"C:\\Music\\noise.wav");
  bgm.StartBgm();
  EXPECT_FALSE(bgm.BgmOpen());
  EXPECT_EQ(timer.intervals, std::vector<uint32_t>{0});
}

constexpr wchar_t kSong[] = L"C:\\Music\\song.mid";
constexpr wchar_t kOpenSong[] = L"open C:\\Music\\song.mid alias media type Sequencer";
const Commands kTickQueries = {L"set media time format ms", L"status media position",
                               L"status media mode"};

TEST(MusicTimer2, RestartsFromTheBeginningOnlyWhenStoppedOrPaused) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"stopped", true}, {L"paused", true}, {L"PAUSED", true},   {L"playing", false},
      {L"seeking", false}, {L"not ready", false}, {L"", false}};
  for (const auto& [mode, restarts] : cases) {
    FakeMciChannel channel;
    FakeTimer timer;
    channel.Plays(kOpenSong, mode);
    music::BackgroundMusic bgm(channel, timer, kSong);
    bgm.StartBgm();
    channel.sent.clear();
    timer.intervals.clear();
    bgm.Timer2_Timer();
    SCOPED_TRACE(std::string(mode.begin(), mode.end()));
    if (restarts) {
      // A fresh open, never a resume: the music starts again at its beginning.
      EXPECT_EQ(channel.sent, Concat(Concat(kTickQueries, {L"stop media", L"stop media"}),
                                     OpenSequence(kOpenSong)));
      EXPECT_EQ(timer.intervals, (std::vector<uint32_t>{0, 0, 1000}));
    } else {
      EXPECT_EQ(channel.sent, kTickQueries);
      EXPECT_TRUE(timer.intervals.empty());
    }
  }
}

TEST(MusicTimer2, ADeviceThatOpensButNeverPlaysIsReopenedEveryTick) {
  FakeMciChannel channel;
  FakeTimer timer;
  channel.Plays(kOpenSong, L"stopped");
  channel.answers.erase(L"play media");
  music::BackgroundMusic bgm(channel, timer, kSong);
  bgm.StartBgm();
  for (int tick = 0; tick < 3; ++tick) bgm.Timer2_Timer();
  EXPECT_EQ(std::count(channel.sent.begin(), channel.sent.end(), kOpenSong), 4);
  EXPECT_EQ(timer.intervals.back(), 1000u);
  EXPECT_TRUE(bgm.BgmOpen());
}

TEST(MusicTimer2, AFileDeletedDuringTheShowEndsTheMusic) {
  FakeMciChannel channel;
  FakeTimer timer;
  channel.Plays(kOpenSong, L"stopped");
  music::BackgroundMusic bgm(channel, timer, kSong);
  bgm.StartBgm();
  channel.shortPaths[kSong] = L"";
  channel.sent.clear();
  bgm.Timer2_Timer();
  // No nameless open goes out: some systems would open an empty device and call it music.
  for (const auto& command : channel.sent) EXPECT_EQ(command.rfind(L"open", 0), std::wstring::npos) << command;
  EXPECT_FALSE(bgm.BgmOpen());
  EXPECT_EQ(timer.intervals.back(), 0u);
}

TEST(MusicTimer2, MusicStoppedWhenTheSaverEndsIsRestartedAtTheNextTick) {
  FakeMciChannel channel;
  FakeTimer timer;
  channel.Plays(kOpenSong);
  music::BackgroundMusic bgm(channel, timer, kSong);
  bgm.StartBgm();
  music::MCI_Stop(channel);  // the end routine's stop; a wrong password returns to the show
  channel.answers[L"status media mode"] = {0, L"stopped"};
  channel.sent.clear();
  bgm.Timer2_Timer();
  EXPECT_EQ(std::count(channel.sent.begin(), channel.sent.end(), kOpenSong), 1);
  EXPECT_EQ(timer.intervals.back(), 1000u);
}

}  // namespace
