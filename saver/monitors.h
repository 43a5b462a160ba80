#pragma once
// The area the saver window covers: the union of every monitor and the origin.
#include <vector>

#include "platform/geometry.h"

namespace saver {

// Starts from an all-zero rectangle, so the result always holds the primary
// monitor's top-left corner, whatever the monitors are.
platform::Rect VirtualDesk(const std::vector<platform::Rect>& monitors);

// The window's size from the desk: |left| + |right| by |top| + |bottom|.
platform::Size DisplaySize(const platform::Rect& desk);

}  // namespace saver
