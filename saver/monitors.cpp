#include "saver/monitors.h"

#include <algorithm>
#include <cstdlib>

#include "res/texts.h"

namespace saver {

platform::Rect VirtualDesk(const std::vector<platform::Rect>& monitors) {
  platform::Rect desk;
  for (const auto& m : monitors) {
    desk.left = std::min(desk.left, m.left);
    desk.top = std::min(desk.top, m.top);
    desk.right = std::max(desk.right, m.right);
    desk.bottom = std::max(desk.bottom, m.bottom);
  }
  return desk;
}

platform::Size DisplaySize(const platform::Rect& desk) {
  return {std::abs(desk.left) + std::abs(desk.right), std::abs(desk.top) + std::abs(desk.bottom)};
}

std::optional<MonitorErrorMessage> MonitorErrors::Report(uintptr_t monitor, uint32_t errorCode) {
  if (std::find(reported_.begin(), reported_.end(), monitor) != reported_.end()) return std::nullopt;
  reported_.push_back(monitor);
  return MonitorErrorMessage{res::kAppTitle, res::kMonitorErrorPrefix + std::to_wstring(errorCode)};
}

}  // namespace saver
