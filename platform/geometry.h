#pragma once
#include <cstdint>

namespace platform {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(Size a, Size b) { return a.width == b.width && a.height == b.height; }
};

// Edges in virtual-screen pixels; right and bottom are exclusive, as in a Win32 RECT.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

}  // namespace platform
