// The WindowToolkit over real Win32 controls.
#pragma once

#include <windows.h>

#include <array>

#include "toolkit/window_toolkit.h"

// The window of each control, indexed by the Control's value.
using ControlWindows = std::array<HWND, kControlCount>;

class Win32WindowToolkit : public WindowToolkit {
public:
    explicit Win32WindowToolkit(const ControlWindows& windows) : windows_(windows) {}

    Text ReadText(Control control) override;
    void WriteText(Control control, const Text& text) override;
    void WriteCaption(Control control, const Text& caption) override;
    void WriteDisabled(Control control, bool disabled) override;
    bool ReadChecked(Control control) override;

    void SuspendRedraw(Control control) override;
    void ResumeRedraw(Control control) override;

    void DeleteAllRows(Control list) override;
    int InsertRow(Control list, const Text& title) override;
    void SetCellText(Control list, int row, int column, const Text& text) override;
    Text GetCellText(Control list, int row, int column) override;
    int RowCount(Control list) override;
    int CurrentSelection(Control list) override;

    bool SetClipboardText(const Text& text) override;
    Text GetClipboardText() override;
    void ShowMessageBox(const Text& text) override;

private:
    HWND Window(Control control) const { return windows_[static_cast<int>(control)]; }

    ControlWindows windows_;
    HWND focusTakenByDisabling_ = nullptr;
};
