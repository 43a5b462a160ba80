#pragma once
// Following the monitors while the saver runs: a laptop docked, a projector switched on, a
// monitor that sleeps dropping out, a program changing the resolution.
#include <functional>
#include <optional>

#include "platform/geometry.h"
#include "platform/monitor_port.h"

namespace saver {

// What the saver window covers, and the primary's size, which Multi fits pictures to.
struct DisplayLayout {
  platform::Rect desk;  // the union of the monitors and the origin
  platform::Size primary;
  friend bool operator==(const DisplayLayout& a, const DisplayLayout& b) {
    return a.desk == b.desk && a.primary == b.primary;
  }
};

// The part of the old window that the new one still covers, in each window's own pixels,
// so that what it shows keeps its place on the screen.
struct KeptPart {
  platform::Point from;  // in the old window
  platform::Point to;    // in the new window
  platform::Size size;
  friend bool operator==(const KeptPart& a, const KeptPart& b) {
    return a.from == b.from && a.to == b.to && a.size == b.size;
  }
};

// Nothing when the windows, in virtual-screen pixels, do not overlap.
std::optional<KeptPart> KeptPartOf(const platform::Rect& oldWindow, const platform::Rect& newWindow);

// Notes changes of the monitors and gives the new layout where the show can follow it.
// Windows announces a change with WM_DISPLAYCHANGE; one that no message announces (under
// Wine, the X screen resized from outside) shows in the metrics, compared every 250 ms.
class DisplayWatch {
 public:
  explicit DisplayWatch(platform::Monitors& monitors) : monitors_(monitors) {}

  // The set-up's measure: a monitor whose information cannot be read goes to report and
  // still counts; a failed enumeration gives the desk of no monitor, zero at the origin.
  DisplayLayout Measure(const std::function<void(const platform::MonitorEntry&)>& report);
  void NoteAnnouncedChange() { noted_ = true; }
  // Notes a change when the metrics are not those of the last measure.
  void Poll();
  // The layout to cover from now on, when a change was noted and moved the monitors.
  // Nothing when none was, or when the monitors cannot be read: the window keeps its area,
  // and while the metrics still differ the next poll notes the change again. Nothing is
  // reported in the middle of a show.
  std::optional<DisplayLayout> TakeChange();

 private:
  platform::Monitors& monitors_;
  // The metrics read just before the monitors were last read with success, so that a step
  // of a change that comes in between shows in the next poll.
  std::optional<platform::ScreenMetrics> measured_;
  DisplayLayout layout_;
  bool noted_ = false;
};

}  // namespace saver
