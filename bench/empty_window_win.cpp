// The floor for start-up timings: a program that only opens an empty window of Trovella's
// size, built and linked like trovella.exe, and ends when that window is closed.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"TrovellaEmptyWindow";
constexpr int kOuterWidth = 349;
constexpr int kOuterHeight = 448;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return -1;

    const HWND window = CreateWindowExW(
        0, kClassName, L"Trovella empty window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
        (GetSystemMetrics(SM_CXSCREEN) - kOuterWidth) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2, kOuterWidth, kOuterHeight, nullptr,
        nullptr, instance, nullptr);
    if (!window) return -1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
