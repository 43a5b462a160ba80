#pragma once
// The one place where the core's geometry meets RECT and twips.
#include <windows.h>

#include "platform/geometry.h"

namespace platform {

inline Rect FromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Layouts are given in twips (1440 to the inch).
inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

}  // namespace platform
