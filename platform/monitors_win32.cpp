#include "platform/monitors_win32.h"

#include <windows.h>

#include "platform/geometry_win32.h"

namespace platform {
namespace {

// Every monitor counts by the rectangle the enumeration passes, also one whose information
// cannot be read.
BOOL CALLBACK MonitorEnumProc(HMONITOR monitor, HDC, LPRECT rect, LPARAM data) {
  MonitorEntry entry{FromRECT(*rect), reinterpret_cast<uintptr_t>(monitor), std::nullopt};
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) entry.infoError = GetLastError();
  reinterpret_cast<std::vector<MonitorEntry>*>(data)->push_back(entry);
  return TRUE;
}

}  // namespace

std::optional<std::vector<MonitorEntry>> SystemMonitors::Enumerate() {
  std::vector<MonitorEntry> monitors;
  if (!EnumDisplayMonitors(nullptr, nullptr, MonitorEnumProc, reinterpret_cast<LPARAM>(&monitors)))
    return std::nullopt;
  return monitors;
}

ScreenMetrics SystemMonitors::Metrics() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)},
          GetSystemMetrics(SM_CMONITORS),
          {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
}

}  // namespace platform
