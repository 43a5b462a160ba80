#include "app/dispatch.h"

namespace app {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t Upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

}  // namespace

// The program name ends at its closing quote when it starts with one, else at the
// first blank (the rule Windows itself applies to argv[0]).
std::wstring ArgumentText(std::wstring_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
  while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
  return std::wstring(commandLine.substr(i));
}

StartMode ChooseMode(std::wstring_view argumentText) {
  std::wstring key;
  for (wchar_t c : argumentText.substr(0, 2)) key += Upper(c);
  if (key == L"/S") return StartMode::Run;
  if (key == L"-S") return StartMode::RunQuiet;
  if (key == L"/A" || key == L"-A") return StartMode::ChangePassword;
  if (key == L"/C" || key == L"-C" || key.empty()) return StartMode::Configure;
  return StartMode::Preview;
}

}  // namespace app
