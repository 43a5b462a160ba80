#pragma once
// The area the saver window covers: the union of every monitor and the origin.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace saver {

// Starts from an all-zero rectangle, so the result always holds the primary
// monitor's top-left corner, whatever the monitors are.
platform::Rect VirtualDesk(const std::vector<platform::Rect>& monitors);

// The window's size from the desk: |left| + |right| by |top| + |bottom|.
platform::Size DisplaySize(const platform::Rect& desk);

struct MonitorErrorMessage {
  std::wstring title;
  std::wstring text;
};

// The monitor-information error, shown once per failing monitor per showing of the saver
// window, although a showing measures the desk twice (before the window first appears, and
// again in the set-up). It carries the application title: a box titled like the saver
// window could be found in its place by the saver's own search for that caption.
class MonitorErrors {
 public:
  void NewShowing() { reported_.clear(); }
  // The message for this monitor's failure, or nothing when this showing reported it.
  std::optional<MonitorErrorMessage> Report(uintptr_t monitor, uint32_t errorCode);

 private:
  std::vector<uintptr_t> reported_;
};

}  // namespace saver
