// The window's DPI and pixel figures scaled to it.
#pragma once

#include <windows.h>

// The layout's figures are pixels at this DPI (100%).
inline constexpr UINT kBaseDpi = 96;

// The DPI the window is shown at: its own on Windows 10 and later, the system's before.
UINT WindowDpi(HWND window);

// A figure given at kBaseDpi, at `dpi`.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}
