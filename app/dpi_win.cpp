#include "app/dpi_win.h"

// Only declared here, for its type: the function exists from Windows 10 on and is looked
// up at run time, so that the program still starts on Windows 7.
extern "C" __declspec(dllimport) UINT WINAPI GetDpiForWindow(HWND window);

UINT WindowDpi(HWND window) {
    static const auto getDpiForWindow =
        reinterpret_cast<decltype(&GetDpiForWindow)>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    // Windows 7 and 8: one DPI for the whole system.
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}
