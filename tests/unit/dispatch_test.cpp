#include "app/dispatch.h"

#include <gtest/gtest.h>

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
