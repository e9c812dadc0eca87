// WindowToolkit: the control, list, clipboard and message-box operations the logic uses.
#pragma once

#include "toolkit/text.h"

// The controls of the main window, by their form names.
enum class Control {
    标签1,
    编辑框_QQ号码,
    按钮_搜索,
    超级列表框1,
    标签_状态,
    按钮_清空号码,
    标签2,
    选择框1,
};
inline constexpr int kControlCount = 8;

// Rows and columns count from 0; "no row" is -1. Texts pass as UTF-8 or GBK bytes going
// in and come back as UTF-8.
class WindowToolkit {
public:
    WindowToolkit() = default;
    WindowToolkit(const WindowToolkit&) = delete;
    WindowToolkit& operator=(const WindowToolkit&) = delete;
    virtual ~WindowToolkit() = default;

    virtual Text ReadText(Control control) = 0;
    virtual void WriteText(Control control, const Text& text) = 0;
    virtual void WriteCaption(Control control, const Text& caption) = 0;
    virtual void WriteDisabled(Control control, bool disabled) = 0;
    virtual bool ReadChecked(Control control) = 0;

    // While suspended the control does not repaint; on resume it repaints once, showing
    // every change made in between.
    virtual void SuspendRedraw(Control control) = 0;
    virtual void ResumeRedraw(Control control) = 0;

    virtual void DeleteAllRows(Control list) = 0;
    // Appends a row showing the title in column 0; its index, or -1 on failure.
    virtual int InsertRow(Control list, const Text& title) = 0;
    virtual void SetCellText(Control list, int row, int column, const Text& text) = 0;
    // The empty text for an empty cell or a missing row or column.
    virtual Text GetCellText(Control list, int row, int column) = 0;
    virtual int RowCount(Control list) = 0;
    // The lowest selected row, or -1.
    virtual int CurrentSelection(Control list) = 0;

    // Replaces the clipboard's text; false, with the clipboard untouched, when it cannot
    // be opened.
    virtual bool SetClipboardText(const Text& text) = 0;
    // The clipboard's text; empty when it holds none or cannot be opened.
    virtual Text GetClipboardText() = 0;
    // A task-modal box without owner, OK only, captioned "信息："; returns when closed.
    virtual void ShowMessageBox(const Text& text) = 0;
};
