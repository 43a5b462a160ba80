#pragma once
// Monitor layouts as tools/monitor-rig takes them: "1024x768+0+0,800x600-800-100" is a
// 1024 x 768 primary and an 800 x 600 monitor whose top-left corner is at (-800, -100).
// Each monitor is WIDTHxHEIGHT+X+Y in virtual-screen pixels, the primary first, at +0+0.
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"

namespace e2e {

// The monitors in the order written; nothing when the text is no such layout.
std::optional<std::vector<platform::Rect>> ParseMonitorLayout(const std::string& text);

}  // namespace e2e
