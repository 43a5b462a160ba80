#include "saver/display_change.h"

#include <algorithm>
#include <vector>

#include "saver/monitors.h"

namespace saver {
namespace {

platform::Rect DeskOf(const std::vector<platform::MonitorEntry>& monitors) {
  std::vector<platform::Rect> rects;
  for (const auto& m : monitors) rects.push_back(m.rect);
  return VirtualDesk(rects);
}

}  // namespace

std::optional<KeptPart> KeptPartOf(const platform::Rect& oldWindow, const platform::Rect& newWindow) {
  const platform::Rect both{std::max(oldWindow.left, newWindow.left), std::max(oldWindow.top, newWindow.top),
                            std::min(oldWindow.right, newWindow.right), std::min(oldWindow.bottom, newWindow.bottom)};
  if (both.Width() <= 0 || both.Height() <= 0) return std::nullopt;
  return KeptPart{{both.left - oldWindow.left, both.top - oldWindow.top},
                  {both.left - newWindow.left, both.top - newWindow.top},
                  {both.Width(), both.Height()}};
}

DisplayLayout DisplayWatch::Measure(const std::function<void(const platform::MonitorEntry&)>& report) {
  noted_ = false;
  const platform::ScreenMetrics metrics = monitors_.Metrics();
  const auto monitors = monitors_.Enumerate().value_or(std::vector<platform::MonitorEntry>{});
  measured_.reset();
  if (!monitors.empty()) measured_ = metrics;
  for (const auto& m : monitors)
    if (m.infoError) report(m);
  layout_ = {DeskOf(monitors), metrics.primary};
  return layout_;
}

void DisplayWatch::Poll() {
  if (!measured_ || !(monitors_.Metrics() == *measured_)) noted_ = true;
}

std::optional<DisplayLayout> DisplayWatch::TakeChange() {
  if (!noted_) return std::nullopt;
  noted_ = false;
  const platform::ScreenMetrics metrics = monitors_.Metrics();
  const auto monitors = monitors_.Enumerate();
  if (!monitors || monitors->empty()) return std::nullopt;
  measured_ = metrics;
  const DisplayLayout layout{DeskOf(*monitors), metrics.primary};
  if (layout == layout_) return std::nullopt;
  layout_ = layout;
  return layout_;
}

}  // namespace saver
