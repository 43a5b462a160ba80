#include "saver/input_watch.h"

#include <cmath>
#include <cstdlib>
#include <cwchar>

namespace saver {

std::optional<double> SensitivityNumber(const std::wstring& mouseM) {
  std::wstring text = mouseM.substr(0, mouseM.find(L'\0'));
  size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(L" \t") - first + 1);
  for (wchar_t c : text)
    if (!(c == L'+' || c == L'-' || c == L'.' || (c >= L'0' && c <= L'9'))) return std::nullopt;
  wchar_t* end = nullptr;
  double value = std::wcstod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

void InputWatch::CheckMovement(MovePair pair, platform::Point cursor, bool windowVisible,
                               const std::wstring& mouseM, const std::function<void()>& endSaver) {
  if (!windowVisible) return;
  Memory& memory = memory_[static_cast<int>(pair)];
  if (idleTicks_ < 1 && memory.seen) {
    bool moved = std::abs(int64_t{cursor.x} - memory.last.x) > 2 || std::abs(int64_t{cursor.y} - memory.last.y) > 2;
    if (moved) {
      // A sensitivity that is no number cannot be compared, and that ends the saver.
      auto limit = SensitivityNumber(mouseM);
      if (!limit || *limit == static_cast<double>(mouseCount_)) endSaver();
      CountMouseMove();
    }
  }
  memory.seen = true;
  memory.last = cursor;
  idleTicks_ = 0;
}

}  // namespace saver
