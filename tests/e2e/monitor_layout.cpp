#include "tests/e2e/monitor_layout.h"

#include <cctype>
#include <cstdint>

namespace e2e {
namespace {

// Reads the digits at `at` into value, as long as they fit comfortably in 32 bits.
bool ReadNumber(const std::string& text, size_t& at, int32_t& value) {
  const size_t start = at;
  int64_t number = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && at - start < 6)
    number = number * 10 + (text[at++] - '0');
  value = static_cast<int32_t>(number);
  return at > start && (at == text.size() || !std::isdigit(static_cast<unsigned char>(text[at])));
}

bool ReadSigned(const std::string& text, size_t& at, int32_t& value) {
  if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return false;
  const bool negative = text[at++] == '-';
  if (!ReadNumber(text, at, value)) return false;
  if (negative) value = -value;
  return true;
}

// One WIDTHxHEIGHT+X+Y from `at`, which it leaves after the monitor.
std::optional<platform::Rect> ReadMonitor(const std::string& text, size_t& at) {
  int32_t width = 0, height = 0, x = 0, y = 0;
  if (!ReadNumber(text, at, width) || at >= text.size() || text[at++] != 'x') return std::nullopt;
  if (!ReadNumber(text, at, height) || !ReadSigned(text, at, x) || !ReadSigned(text, at, y)) return std::nullopt;
  if (width <= 0 || height <= 0) return std::nullopt;
  return platform::Rect{x, y, x + width, y + height};
}

}  // namespace

std::optional<std::vector<platform::Rect>> ParseMonitorLayout(const std::string& text) {
  std::vector<platform::Rect> monitors;
  size_t at = 0;
  do {
    if (!monitors.empty()) ++at;  // the comma
    auto monitor = ReadMonitor(text, at);
    if (!monitor) return std::nullopt;
    monitors.push_back(*monitor);
  } while (at < text.size() && text[at] == ',');
  if (at != text.size() || monitors[0].left != 0 || monitors[0].top != 0) return std::nullopt;
  return monitors;
}

}  // namespace e2e
