#pragma once
// The monitors from EnumDisplayMonitors, GetMonitorInfoW and the system metrics.
#include "platform/monitor_port.h"

namespace platform {

class SystemMonitors : public Monitors {
 public:
  std::optional<std::vector<MonitorEntry>> Enumerate() override;
  ScreenMetrics Metrics() override;
};

}  // namespace platform
