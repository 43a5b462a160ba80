#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using app::StartMode;

TEST(AppDispatch, ModeFromTheFirstTwoCharacters) {
  struct Case { const wchar_t* args; StartMode want; };
  const Case cases[] = {
      {L"/s", StartMode::Run},
      {L"/S", StartMode::Run},
      {L"/S123", StartMode::Run},
      {L"-S", StartMode::RunQuiet},
      {L"-s 42", StartMode::RunQuiet},
      {L"/a", StartMode::ChangePassword},
      {L"-A", StartMode::ChangePassword},
      {L"/c:1234", StartMode::Configure},
      {L"/C", StartMode::Configure},
      {L"-c", StartMode::Configure},
      {L"", StartMode::Configure},
      {L"/p 5678", StartMode::Preview},
      {L"/P", StartMode::Preview},
      {L"/", StartMode::Preview},
      {L"S", StartMode::Preview},
      {L" /S", StartMode::Preview},  // taken as it stands: no trimming of its own
      {L"／Ｓ", StartMode::Preview},  // full-width forms are other characters
      {L"/x", StartMode::Preview},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ChooseMode(c.args), c.want) << "args [" << testing::PrintToString(std::wstring(c.args)) << "]";
}

TEST(AppDispatch, ArgumentTextSkipsTheProgramName) {
  struct Case { const wchar_t* line; const wchar_t* want; };
  const Case cases[] = {
      {L"o_glmk.scr /S", L"/S"},
      {L"\"C:\\Program Files\\o_glmk.scr\" /p 1234", L"/p 1234"},
      {L"\"C:\\a b\\o_glmk.scr\"", L""},
      {L"C:\\WINDOWS\\o_glmk.scr   /c:99", L"/c:99"},
      {L"o_glmk.scr", L""},
      {L"", L""},
      {L"\"unterminated /S", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(app::ArgumentText(c.line), c.want);
}

namespace {

using Calls = std::vector<std::string>;

// Records each call by name; the step named in failAt throws the first time it runs.
struct FakeStart : app::StartHost, app::LauncherRunHost {
  void Call(const std::string& name) {
    calls.push_back(name);
    if (name == failAt) {
      failAt.clear();
      throw std::runtime_error(name);
    }
  }
  void CentreLauncher() override { Call("centre"); }
  bool FolderIsSaved() override {
    Call("folder?");
    return folderSaved;
  }
  void RunSaverAndCloseLauncher() override { Call("saver"); }
  void ShowLauncher() override { Call("launcher"); }
  void StopTimer1() override { Call("timer1 off"); }
  bool ChangeSaverPassword() override {
    Call("password change");
    return passwordChange;
  }
  void ShowNoFolderNotice() override { Call("notice"); }
  void ShowNoFolderMessage() override { Call("message"); }
  void ShowSettingsDialogModal() override { Call("settings"); }

  bool folderSaved = true;
  bool passwordChange = true;
  std::string failAt;
  Calls calls;
};

}  // namespace

TEST(AppDispatch, EachModeAndEveryFailureOnItsWay) {
  using app::AfterStart;
  constexpr auto kLoop = AfterStart::RunMessageLoop;
  constexpr auto kEnd = AfterStart::EndProgram;
  struct Case { StartMode mode; bool folder; bool change; const char* failAt; Calls calls; AfterStart after; };
  const Case cases[] = {
      {StartMode::Run, true, true, "", {"centre", "folder?", "saver"}, kLoop},
      {StartMode::Run, false, true, "", {"centre", "folder?", "notice"}, kLoop},
      {StartMode::Run, true, true, "folder?", {"centre", "folder?", "notice"}, kLoop},
      {StartMode::Run, true, true, "saver", {"centre", "folder?", "saver", "notice"}, kLoop},
      {StartMode::Run, true, true, "centre", {"centre", "notice"}, kLoop},
      {StartMode::RunQuiet, true, true, "", {"centre", "folder?", "saver"}, kLoop},
      {StartMode::RunQuiet, false, true, "", {"centre", "folder?", "launcher"}, kLoop},
      {StartMode::RunQuiet, false, true, "folder?", {"centre", "folder?", "notice"}, kLoop},
      {StartMode::ChangePassword, true, true, "", {"centre", "timer1 off", "password change"}, kEnd},
      {StartMode::ChangePassword, true, false, "", {"centre", "timer1 off", "password change", "notice"}, kLoop},
      {StartMode::ChangePassword, true, true, "password change",
       {"centre", "timer1 off", "password change", "notice"}, kLoop},
      {StartMode::Configure, true, true, "", {"centre", "timer1 off", "launcher"}, kLoop},
      // Configure was chosen: silent, and the launcher shown as the start-up would.
      {StartMode::Configure, true, true, "launcher", {"centre", "timer1 off", "launcher", "launcher"}, kLoop},
      {StartMode::Preview, true, true, "", {"centre", "timer1 off"}, kEnd},
      {StartMode::Preview, true, true, "timer1 off", {"centre", "timer1 off", "notice"}, kLoop},
      // The notice failing is a failure of the run mode too: the route tries it once more.
      {StartMode::Run, false, true, "notice", {"centre", "folder?", "notice", "notice"}, kLoop},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.calls));
    FakeStart host;
    host.folderSaved = c.folder;
    host.passwordChange = c.change;
    host.failAt = c.failAt;
    EXPECT_EQ(app::Dispatch(c.mode, host), c.after);
    EXPECT_EQ(host.calls, c.calls);
  }
}

// The route itself failing: nothing would be on screen, so the program ends.
TEST(AppDispatch, AFailingRouteEndsTheProgram) {
  struct AlwaysFailing : FakeStart {
    void ShowNoFolderNotice() override { throw std::runtime_error("notice"); }
  } host;
  host.failAt = "folder?";
  EXPECT_EQ(app::Dispatch(StartMode::Run, host), app::AfterStart::EndProgram);
}

TEST(AppLauncherRun, FailuresTakeTheNoFolderSteps) {
  struct Case { bool folder; const char* failAt; Calls calls; };
  const Case cases[] = {
      {true, "", {"folder?", "saver"}},
      {false, "", {"folder?", "message", "settings"}},
      {true, "folder?", {"folder?", "message", "settings"}},
      {true, "saver", {"folder?", "saver", "message", "settings"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.calls));
    FakeStart host;
    host.folderSaved = c.folder;
    host.failAt = c.failAt;
    app::LauncherRun(host);
    EXPECT_EQ(host.calls, c.calls);
  }
}
