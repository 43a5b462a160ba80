// The show loop hands each decode to its worker and keeps handling messages until it is done.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "saver/end_saver.h"
#include "show/slide_show.h"
#include "tests/unit/std_thread_worker.h"

using pictures::LoadedPicture;

namespace {

// A loader that blocks until the test releases it; everything it and the show's thread do
// goes into one log, in order.
class BlockingLoadHost : public show::ShowHost {
 public:
  void PumpPending() override {
    Log(L"pump");
    if (onPump) onPump();
  }
  uint32_t Ticks() override { return now; }
  void WaitForMessageOrTimeout(uint32_t ms) override { now += ms; }
  bool LoadPicture(const std::wstring& path, LoadedPicture& picture) override {
    loaderThread = std::this_thread::get_id();
    Log(L"load begun " + path);
    std::unique_lock<std::mutex> lock(mutex_);
    // A hand-off that never pumps would wait here for ever: give up so that the test fails.
    const bool released = released_.wait_for(lock, std::chrono::seconds(10), [this] { return release_; });
    lock.unlock();
    Log(released ? L"load ended" : L"load gave up");
    if (!released || !loads) return false;
    picture.width = 400;
    picture.height = 300;
    picture.pixels.assign(400 * 300, 0);
    return true;
  }
  void ClearWindow() override { Log(L"clear"); }
  void PaintPicture(const LoadedPicture& picture, const show::Placement&) override {
    Log(L"paint " + std::to_wstring(picture.width) + L"x" + std::to_wstring(picture.height));
  }
  void ShowDrawing() override { Log(L"to screen"); }
  void DrawBilinerPicture(const std::wstring&, const LoadedPicture&) override { Log(L"biliner"); }
  void SetTimer1Interval(uint32_t) override {}
  void SetIdleTicks(int32_t) override {}
  platform::Size PrimaryScreenSize() override { return {1024, 768}; }
  void HideWindow() override {}
  void ShowOnTop() override {}
  void ReportNoFolder() override {}
  const settings::SaverSettings& Settings() override { return settings; }
  bool FollowDisplayChange() override { return false; }

  void Release() {
    Log(L"released");
    {
      std::lock_guard<std::mutex> lock(mutex_);
      release_ = true;
    }
    released_.notify_all();
  }
  bool Logged(const std::wstring& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::find(log_.begin(), log_.end(), entry) != log_.end();
  }
  bool LoadBlocked() { return Logged(L"load begun C:\\a.jpg") && !Logged(L"released"); }
  std::vector<std::wstring> LogAfter(const std::wstring& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto at = std::find(log_.begin(), log_.end(), entry);
    return at == log_.end() ? std::vector<std::wstring>{} : std::vector<std::wstring>(at + 1, log_.end());
  }
  // The entries other than pumps.
  std::vector<std::wstring> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::wstring> events;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(events), [](const auto& e) { return e != L"pump"; });
    return events;
  }

  std::function<void()> onPump;
  bool loads = true;
  uint32_t now = 5000;
  std::thread::id loaderThread;
  settings::SaverSettings settings;

 private:
  void Log(const std::wstring& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(entry);
  }

  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
  std::vector<std::wstring> log_;
};

struct ProgramEnded {};

// The saver's own ending, whose end of the program unwinds the test instead.
struct EndingHost : saver::EndSaverHost {
  void StopMusic() override {}
  void RestoreCursor() override {}
  void HideCursor() override {}
  void PumpPending() override {}
  std::optional<uint32_t> UsePassword() override { return std::nullopt; }
  void SetScreenSaverRunning(bool) override {}
  void SetTimer1Interval(uint32_t) override {}
  std::optional<uint32_t> VerifyPassword() override { return std::nullopt; }
  void ActivateSaverWindow() override {}
  [[noreturn]] void EndProgram() override { throw ProgramEnded{}; }
};

// The worker is made after the host, so that it is gone before the host its job uses.
struct HandOffRig {
  HandOffRig() {
    host.settings.CheckM = 1;
    host.settings.Cyuuou = 1;
  }
  BlockingLoadHost host;
  struct HalfRandom : platform::Random {
    float Next() override { return 0.5f; }
    void SeedFromClock() override {}
  } random;
  std::vector<std::wstring> list{L"C:\\a.jpg"};
  platform::Size display{1024, 768};
  std::wstring speed = L"300";
  test_support::StdThreadWorker worker{std::chrono::milliseconds(1)};
  show::SlideShow show{host, random, list, display, speed, &worker};
};

}  // namespace

TEST(ShowLoadHandOff, MessagesRunWhileTheLoadBlocksAndTheCycleGoesOnOnlyAfterIt) {
  for (bool loads : {true, false}) {
    SCOPED_TRACE(loads);
    HandOffRig rig;
    rig.host.loads = loads;
    int pumpsWhileBlocked = 0;
    rig.host.onPump = [&] {
      if (!rig.host.LoadBlocked()) return;
      // The cycle is still at its load: nothing but pumps after it.
      const auto after = rig.host.LogAfter(L"load begun C:\\a.jpg");
      EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](const auto& e) { return e == L"pump"; }));
      if (++pumpsWhileBlocked == 20) rig.host.Release();
    };
    rig.show.Cycle();
    EXPECT_EQ(pumpsWhileBlocked, 20);
    EXPECT_NE(rig.host.loaderThread, std::this_thread::get_id());
    const std::vector<std::wstring> drawn = {L"clear", L"paint 400x300", L"to screen"};
    std::vector<std::wstring> want = {L"load begun C:\\a.jpg", L"released", L"load ended"};
    if (loads) want.insert(want.end(), drawn.begin(), drawn.end());
    EXPECT_EQ(rig.host.Events(), want);
  }
}

TEST(ShowLoadHandOff, AKeyHandledWhileTheLoadBlocksEndsTheSaver) {
  HandOffRig rig;
  EndingHost endingHost;
  saver::SaverEnder ender(endingHost);
  int pumpsWhileBlocked = 0;
  rig.host.onPump = [&] {
    if (rig.host.LoadBlocked() && ++pumpsWhileBlocked == 3) ender.EndSaver();  // the key's message
  };
  EXPECT_THROW(rig.show.Cycle(), ProgramEnded);
  EXPECT_TRUE(rig.host.LoadBlocked());
  EXPECT_EQ(rig.host.Events(), (std::vector<std::wstring>{L"load begun C:\\a.jpg"}));
  rig.host.Release();  // lets the worker's thread end with the rig
}
