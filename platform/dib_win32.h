#pragma once
// The one description of the program's off-screen pictures for GDI.
#include <windows.h>

namespace platform {

// A 32-bit blue-green-red-unused picture of width x height, rows top-down without gaps, as
// the saver's back buffer holds it and its pixel routines write it.
inline BITMAPINFO TopDownDibInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace platform
