// MainWindow: the program's one window, its eight controls and their events.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "toolkit/win_resource.h"
#include "toolkit/window_toolkit_win.h"

class MainWindow {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Handlers of the created event, run while the window is still hidden.
    std::vector<std::function<void()>> createdHandlers;

    // Creates the window hidden, centred, with its controls; false when it cannot be made.
    bool Create(HINSTANCE instance);
    // Raises the created event, shows the window and puts the focus in the account box.
    void Show();
    // Delivers messages until the window is closed.
    void RunMessageLoop();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();
    // Sizes and places the window and its controls for dpi_, keeping the window's left and
    // top corner when given one, centring it on the screen otherwise.
    void ApplyLayout(const POINT* corner);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void UpdateFont();
    void UpdateIcons();
    int Scaled(int pixels) const;
    // The song list's context menu at a screen point; (-1, -1) for the keyboard's menu.
    void ShowSongMenu(POINT at);
    void RunSongMenuCommand(int command);
    // Keys the window handles before the focused control sees them; true when used up.
    bool PreTranslateKey(const MSG& message);
    bool TranslateSongListKey(const MSG& message);
    void MoveFocus(bool backwards);
    HWND Control(Control control) const { return controls_[static_cast<int>(control)]; }

    HWND window_ = nullptr;
    HWND lastFocus_ = nullptr;  // the control to give the focus back to on activation
    UINT dpi_ = 96;
    HFONT font_ = nullptr;   // the stock GUI font, or scaledFont_
    UniqueFont scaledFont_;  // the GUI font made for dpi_ when the stock one does not fit
    UniqueIcon bigIcon_;     // the program's icon at the sizes dpi_ asks for
    UniqueIcon smallIcon_;
    ControlWindows controls_{};
    std::unique_ptr<Win32WindowToolkit> toolkit_;
};
