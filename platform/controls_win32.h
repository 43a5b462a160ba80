#pragma once
// Windows built in code: their controls are created from a table and laid out from
// twips at the window's DPI.
#include <windows.h>

#include <vector>

#include "platform/control_spec.h"
#include "platform/win32_handles.h"

namespace platform {

// A font of the given face at points, for dpi, with the Japanese character set so
// that the font mapper falls back to a face with Japanese glyphs.
UniqueGdi<HFONT> MakeFont(int points, UINT dpi, const wchar_t* face, int weight = FW_NORMAL,
                          bool underline = false);

// The face of every text that names no font of its own: a Japanese UI face at 9 points.
UniqueGdi<HFONT> MakeUiFont(UINT dpi);

// Creates the controls in table order, which is also their keyboard order.
void CreateControls(HWND parent, const std::vector<ControlSpec>& controls);

// Moves every control to its place at dpi and gives it fonts[control.font]; then sizes the
// window so that its client area is clientWidth by clientHeight twips.
void LayOutControls(HWND parent, const std::vector<ControlSpec>& controls, UINT dpi,
                    const std::vector<HFONT>& fonts, int clientWidth, int clientHeight);

// Centres the window on the primary screen: half the screen less half the window.
void CentreOnPrimaryScreen(HWND window);

// Whether the check box is checked, as the dialog's values 0 and 1.
int16_t CheckValue(HWND checkBox);

}  // namespace platform
