#pragma once
// The monitors as the system reports them, through which the saver measures what its window
// covers; the shell reads them from Win32, unit tests from a fake.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.h"

namespace platform {

// One monitor of the enumeration, by the rectangle the enumeration passes; infoError holds
// the error code when its monitor information could not be read.
struct MonitorEntry {
  Rect rect;
  uintptr_t id = 0;  // the monitor's handle, so that each failing monitor is reported once
  std::optional<uint32_t> infoError;
};

// The system's figures of the screens: the virtual screen, the number of monitors and the
// primary's size. The primary can change while the virtual screen stays the same.
struct ScreenMetrics {
  Rect virtualScreen;
  int32_t monitors = 0;
  Size primary;
  friend bool operator==(const ScreenMetrics& a, const ScreenMetrics& b) {
    return a.virtualScreen == b.virtualScreen && a.monitors == b.monitors && a.primary == b.primary;
  }
};

class Monitors {
 public:
  virtual ~Monitors() = default;
  // Every monitor in the system's order; nothing when the enumeration fails.
  virtual std::optional<std::vector<MonitorEntry>> Enumerate() = 0;
  virtual ScreenMetrics Metrics() = 0;
};

}  // namespace platform
