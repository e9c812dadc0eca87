#include "toolkit/window_toolkit_win.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "toolkit/text_encoding_win.h"
#include "toolkit/win_resource.h"

namespace {

constexpr wchar_t kMessageBoxCaption[] = L"信息：";

}  // namespace

Text Win32WindowToolkit::ReadText(Control control) {
    const HWND window = Window(control);
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    // The length may be an overestimate; the copy's own count is the text's length.
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return TextFromWide(wide);
}

void Win32WindowToolkit::WriteText(Control control, const Text& text) {
    SetWindowTextW(Window(control), WideFromText(text).c_str());
}

void Win32WindowToolkit::WriteCaption(Control control, const Text& caption) {
    SetWindowTextW(Window(control), WideFromText(caption).c_str());
}

void Win32WindowToolkit::WriteDisabled(Control control, bool disabled) {
    const HWND window = Window(control);
    if (disabled) {
        // Disabling the focused control leaves no control with the focus, and keys then
        // reach no control at all (Esc and Tab included) until the user clicks one.
        focusTakenByDisabling_ = GetFocus() == window ? window : nullptr;
        EnableWindow(window, FALSE);
        return;
    }
    EnableWindow(window, TRUE);
    // The focus goes back only if nothing took it meanwhile and the window is still the
    // active one, so that it is never taken from another program.
    if (focusTakenByDisabling_ == window && GetFocus() == nullptr &&
        GetActiveWindow() == GetAncestor(window, GA_ROOT)) {
        SetFocus(window);
    }
    focusTakenByDisabling_ = nullptr;
}

bool Win32WindowToolkit::ReadChecked(Control control) {
    return SendMessageW(Window(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32WindowToolkit::SuspendRedraw(Control control) {
    SendMessageW(Window(control), WM_SETREDRAW, FALSE, 0);
}

void Win32WindowToolkit::ResumeRedraw(Control control) {
    const HWND window = Window(control);
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    // Not every control repaints by itself when redrawing is switched back on.
    InvalidateRect(window, nullptr, TRUE);
}

void Win32WindowToolkit::DeleteAllRows(Control list) {
    SendMessageW(Window(list), LVM_DELETEALLITEMS, 0, 0);
}

int Win32WindowToolkit::InsertRow(Control list, const Text& title) {
    std::wstring wideTitle = WideFromText(title);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = INT_MAX;  // past the end: the list appends the row
    item.pszText = wideTitle.data();
    return static_cast<int>(
        SendMessageW(Window(list), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void Win32WindowToolkit::SetCellText(Control list, int row, int column, const Text& text) {
    std::wstring wideText = WideFromText(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wideText.data();
    SendMessageW(Window(list), LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

Text Win32WindowToolkit::GetCellText(Control list, int row, int column) {
    // A negative row would reach the list as "every row" or as a huge index.
    if (row < 0 || column < 0) return {};
    // The list copies at most the buffer's size less one and returns the count copied, so
    // a full buffer may mean a cut text: grow it and ask again.
    std::wstring buffer(256, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT copied =
            SendMessageW(Window(list), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
        const std::size_t length =
            copied > 0 ? std::min(static_cast<std::size_t>(copied), buffer.size() - 1) : 0;
        if (length + 1 < buffer.size() || buffer.size() > INT_MAX / 2) {
            return TextFromWide(std::wstring_view(buffer.data(), length));
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

int Win32WindowToolkit::RowCount(Control list) {
    return static_cast<int>(SendMessageW(Window(list), LVM_GETITEMCOUNT, 0, 0));
}

int Win32WindowToolkit::CurrentSelection(Control list) {
    return static_cast<int>(
        SendMessageW(Window(list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool Win32WindowToolkit::SetClipboardText(const Text& text) {
    // The copy is made before the clipboard is opened, so that the clipboard is open
    // only for as long as it takes to hand the copy over.
    const std::wstring wide = WideFromText(text);
    const std::size_t byteCount = (wide.size() + 1) * sizeof(wchar_t);
    UniqueHGlobal global(GlobalAlloc(GMEM_MOVEABLE, byteCount));
    if (!global) return false;
    {
        const GlobalLockGuard lock(global.get());
        if (!lock.data()) return false;
        std::memcpy(lock.data(), wide.c_str(), byteCount);
    }

    const ClipboardGuard clipboard(nullptr);
    if (!clipboard.IsOpen()) return false;
    if (!EmptyClipboard()) return false;
    if (!SetClipboardData(CF_UNICODETEXT, global.get())) return false;
    global.release();  // the clipboard owns it now
    return true;
}

Text Win32WindowToolkit::GetClipboardText() {
    const ClipboardGuard clipboard(nullptr);
    if (!clipboard.IsOpen()) return {};
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const GlobalLockGuard lock(data);
    if (!lock.data()) return {};
    // Another program's text need not end inside its block: read no further than the block.
    const std::wstring_view wide(static_cast<const wchar_t*>(lock.data()),
                                 GlobalSize(data) / sizeof(wchar_t));
    return TextFromWide(wide);
}

void Win32WindowToolkit::ShowMessageBox(const Text& text) {
    MessageBoxW(nullptr, WideFromText(text).c_str(), kMessageBoxCaption, MB_OK | MB_TASKMODAL);
}
