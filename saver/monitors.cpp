#include "saver/monitors.h"

#include <algorithm>
#include <cstdlib>

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

}  // namespace saver
