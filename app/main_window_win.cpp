#include "app/main_window_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>

#include "actions/playlist_export_win.h"
#include "actions/song_link_copy.h"
#include "actions/song_list_commands.h"
#include "app/clear_account.h"
#include "app/control_ids.h"
#include "app/dpi_win.h"
#include "search/fetch_url_text_win.h"
#include "search/playlist_search.h"

namespace {

constexpr wchar_t kClassName[] = L"TrovellaMainWindow";
constexpr int kOuterWidth = 349;
constexpr int kOuterHeight = 448;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct ControlLayout {
    ::Control control;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;
    const wchar_t* text;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kPushButton =
    kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

// In creation order.
const std::array<ControlLayout, kControlCount> kControls = {{
    {Control::标签1, L"STATIC", kLabel, 0, 8, 16, 56, 24, L"QQ号码："},
    {Control::编辑框_QQ号码, L"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE, 56, 16, 112, 24, L"10001000"},
    {Control::按钮_搜索, L"BUTTON", kPushButton, 0, 176, 16, 72, 24, L"点我搜索"},
    {Control::超级列表框1, WC_LISTVIEWW, kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL,
     WS_EX_CLIENTEDGE, 8, 104, 328, 312, L""},
    {Control::标签_状态, L"STATIC", kLabel, 0, 16, 72, 304, 24, L""},
    {Control::按钮_清空号码, L"BUTTON", kPushButton, 0, 264, 16, 72, 24, L"清空号码"},
    {Control::标签2, L"STATIC", kLabel, 0, 8, 40, 232, 32, L"提示：双击列表可 复制歌曲地址..."},
    {Control::选择框1, L"BUTTON",
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER | BS_MULTILINE, 0, 264, 48, 72,
     16, L"提示地址"},
}};

// Top to bottom.
constexpr std::array<::Control, kControlCount> kStackingOrder = {
    Control::选择框1,     Control::标签2,     Control::按钮_清空号码, Control::标签_状态,
    Control::超级列表框1, Control::按钮_搜索, Control::编辑框_QQ号码, Control::标签1,
};

constexpr std::array<::Control, 5> kTabOrder = {
    Control::编辑框_QQ号码, Control::按钮_搜索, Control::超级列表框1,
    Control::按钮_清空号码, Control::选择框1,
};

struct ColumnSpec {
    const wchar_t* title;
    int width;
};
constexpr std::array<ColumnSpec, 3> kColumns = {
    {{L"ID", 50}, {L"歌曲名称", 180}, {L"歌曲地址", 100}}};

Text FetchPlaylist(const Text& method, const Text& url) {
    return FetchUrlText(method, url);
}

bool NoModifierKeys() {
    return GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
}

}  // namespace

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

bool MainWindow::Create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(LoadImageW(
        instance, MAKEINTRESOURCEW(IDI_TROVELLA), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return false;

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kOuterWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2;
    constexpr DWORD kStyle =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateWindowExW(0, kClassName, L"Trovella", kStyle, left, top, kOuterWidth, kOuterHeight,
                         nullptr, nullptr, instance, this)) {
        return false;
    }
    dpi_ = WindowDpi(window_);
    if (dpi_ != kBaseDpi) ApplyLayout(nullptr);
    UpdateIcons();
    return CreateControls();
}

int MainWindow::Scaled(int pixels) const {
    return ScaleToDpi(pixels, dpi_);
}

bool MainWindow::CreateControls() {
    UpdateFont();
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    for (const ControlLayout& layout : kControls) {
        const HWND child = CreateWindowExW(
            layout.exStyle, layout.className, layout.text, layout.style, Scaled(layout.left),
            Scaled(layout.top), Scaled(layout.width), Scaled(layout.height), window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(layout.control))), instance,
            nullptr);
        if (!child) return false;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        controls_[static_cast<int>(layout.control)] = child;
    }

    HWND above = HWND_TOP;
    for (::Control control : kStackingOrder) {
        SetWindowPos(Control(control), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = Control(control);
    }

    // No length limit beyond the control's own maximum.
    SendMessageW(Control(Control::编辑框_QQ号码), EM_SETLIMITTEXT, 0, 0);
    SendMessageW(Control(Control::选择框1), BM_SETCHECK, BST_CHECKED, 0);

    const HWND list = Control(Control::超级列表框1);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ListView_SetTextColor(list, kBlack);
    ListView_SetBkColor(list, kWhite);
    ListView_SetTextBkColor(list, kWhite);
    for (int index = 0; index < static_cast<int>(kColumns.size()); ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = Scaled(kColumns[index].width);
        column.pszText = const_cast<wchar_t*>(kColumns[index].title);
        column.iSubItem = index;
        if (ListView_InsertColumn(list, index, &column) != index) return false;
    }

    toolkit_ = std::make_unique<Win32WindowToolkit>(controls_);
    return true;
}

void MainWindow::ApplyLayout(const POINT* corner) {
    const int width = Scaled(kOuterWidth);
    const int height = Scaled(kOuterHeight);
    const POINT place = corner ? *corner
                               : POINT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                       (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
    SetWindowPos(window_, nullptr, place.x, place.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlLayout& layout : kControls) {
        const HWND child = Control(layout.control);
        if (!child) continue;
        SetWindowPos(child, nullptr, Scaled(layout.left), Scaled(layout.top), Scaled(layout.width),
                     Scaled(layout.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The stock GUI font is made for the system's DPI; a window on a monitor of another DPI
// gets the same font at its own size.
void MainWindow::UpdateFont() {
    const HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const HDC screen = GetDC(nullptr);
    const int systemDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);

    LOGFONTW logFont{};
    UniqueFont scaled;
    if (systemDpi > 0 && static_cast<UINT>(systemDpi) != dpi_ &&
        GetObjectW(stock, sizeof logFont, &logFont) == sizeof logFont) {
        logFont.lfHeight = MulDiv(logFont.lfHeight, static_cast<int>(dpi_), systemDpi);
        logFont.lfWidth = MulDiv(logFont.lfWidth, static_cast<int>(dpi_), systemDpi);
        scaled.reset(CreateFontIndirectW(&logFont));
    }
    font_ = scaled ? scaled.get() : stock;
    for (const HWND child : controls_) {
        if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    // The old font goes only once no control uses it any more.
    scaledFont_ = std::move(scaled);
}

// The icon's images for the title bar and the task switcher at the window's DPI, each drawn
// at its own size rather than stretched from another.
void MainWindow::UpdateIcons() {
    constexpr int kBigIconSize = 32;
    constexpr int kSmallIconSize = 16;
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    const auto load = [&](int size) {
        return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TROVELLA),
                                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    };
    UniqueIcon bigIcon = load(Scaled(kBigIconSize));
    UniqueIcon smallIcon = load(Scaled(kSmallIconSize));
    if (bigIcon) {
        SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
        bigIcon_ = std::move(bigIcon);  // the window no longer shows the old image
    }
    if (smallIcon) {
        SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
        smallIcon_ = std::move(smallIcon);
    }
}

void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    const UINT previous = dpi_;
    dpi_ = dpi;
    const POINT corner{suggested.left, suggested.top};
    ApplyLayout(&corner);
    UpdateFont();
    UpdateIcons();
    // Columns keep the widths the user gave them, in proportion.
    const HWND list = Control(Control::超级列表框1);
    for (int index = 0; index < static_cast<int>(kColumns.size()); ++index) {
        const int width = ListView_GetColumnWidth(list, index);
        ListView_SetColumnWidth(list, index,
                                MulDiv(width, static_cast<int>(dpi), static_cast<int>(previous)));
    }
}

void MainWindow::Show() {
    for (const auto& handler : createdHandlers) handler();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetFocus(Control(Control::编辑框_QQ号码));
}

void MainWindow::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PreTranslateKey(message)) continue;
        // The double-click is taken from the queue before the list sees it, so the handler
        // reads the selection that the first press made.
        if (message.message == WM_LBUTTONDBLCLK && message.hwnd == Control(Control::超级列表框1)) {
            OnSongListDoubleClicked(*toolkit_);
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool MainWindow::PreTranslateKey(const MSG& message) {
    if (!window_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
    if (message.hwnd == Control(Control::超级列表框1) && TranslateSongListKey(message)) return true;
    if (message.message == WM_KEYDOWN) {
        switch (message.wParam) {
            case VK_ESCAPE:
                if (!NoModifierKeys()) return false;
                PostMessageW(window_, WM_CLOSE, 0, 0);
                return true;
            case VK_TAB:
                if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
                MoveFocus(GetKeyState(VK_SHIFT) < 0);
                return true;
            case VK_RETURN:
                return true;  // no default button: Enter does nothing
            default:
                return false;
        }
    }
    // The characters of the keys used above never reach the controls.
    if (message.message == WM_CHAR) {
        return message.wParam == L'\t' || message.wParam == L'\r' || message.wParam == 0x1B;
    }
    return false;
}

// The menu key and Shift+F10 open the context menu here, on their key press, whatever the
// platform would make of them later; their releases go nowhere so that no second menu opens
// and F10 does not enter the system menu. Ctrl+C copies the selected song's link.
bool MainWindow::TranslateSongListKey(const MSG& message) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool alt = GetKeyState(VK_MENU) < 0;
    const bool menuKey = message.wParam == VK_APPS || (message.wParam == VK_F10 && shift);
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (menuKey && !control && !alt) {
                ShowSongMenu(POINT{-1, -1});
                return true;
            }
            if (message.message == WM_KEYDOWN && message.wParam == 'C' && control && !alt) {
                OnCopySongLinkChosen(*toolkit_);
                return true;
            }
            return false;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return menuKey;
        default:
            return false;
    }
}

void MainWindow::ShowSongMenu(POINT at) {
    const HWND list = Control(Control::超级列表框1);
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: below the selected row's start, or at the list's corner.
        RECT row{};
        const int selected = toolkit_->CurrentSelection(Control::超级列表框1);
        at = selected != -1 && ListView_GetItemRect(list, selected, &row, LVIR_LABEL)
                 ? POINT{row.left, row.bottom}
                 : POINT{0, 0};
        ClientToScreen(list, &at);
    }

    const SongMenuState state = ReadSongMenuState(*toolkit_);
    const UINT rowItem = MF_STRING | (state.rowCommands ? MF_ENABLED : MF_GRAYED);
    const UINT listItem = MF_STRING | (state.listCommands ? MF_ENABLED : MF_GRAYED);
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), rowItem, kCopySongLinkCommand, L"复制歌曲地址\tCtrl+C");
    AppendMenuW(menu.get(), rowItem, kCopySongNameCommand, L"复制歌曲名称");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), listItem, kCopyAllLinksCommand, L"复制全部地址");
    AppendMenuW(menu.get(), listItem, kExportPlaylistCommand, L"导出播放列表…");
    const int command =
        TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                         at.x, at.y, window_, nullptr);
    RunSongMenuCommand(command);
}

void MainWindow::RunSongMenuCommand(int command) {
    switch (command) {
        case kCopySongLinkCommand:
            OnCopySongLinkChosen(*toolkit_);
            break;
        case kCopySongNameCommand:
            OnCopySongNameChosen(*toolkit_);
            break;
        case kCopyAllLinksCommand:
            OnCopyAllLinksChosen(*toolkit_);
            break;
        case kExportPlaylistCommand:
            ExportPlaylist(window_, *toolkit_);
            break;
        default:
            break;  // the menu was dismissed
    }
}

void MainWindow::MoveFocus(bool backwards) {
    const HWND focused = GetFocus();
    int current = -1;
    for (int i = 0; i < static_cast<int>(kTabOrder.size()); ++i) {
        if (Control(kTabOrder[i]) == focused || IsChild(Control(kTabOrder[i]), focused))
            current = i;
    }
    const int count = static_cast<int>(kTabOrder.size());
    int next = current;
    // Skips controls that are disabled, such as the search button during a search.
    for (int step = 0; step < count; ++step) {
        next = current < 0 ? (backwards ? count - 1 : 0)
                           : (next + (backwards ? count - 1 : 1)) % count;
        if (current < 0) current = next;
        if (IsWindowEnabled(Control(kTabOrder[next]))) break;
    }
    const HWND target = Control(kTabOrder[next]);
    SetFocus(target);
    if (target == Control(Control::编辑框_QQ号码)) SendMessageW(target, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && toolkit_) {
                const int id = LOWORD(wParam);
                if (id == ControlId(Control::按钮_搜索)) {
                    OnSearchClicked(*toolkit_, FetchPlaylist);
                    return 0;
                }
                if (id == ControlId(Control::按钮_清空号码)) {
                    OnClearClicked(*toolkit_);
                    return 0;
                }
            }
            break;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == Control(Control::超级列表框1) && toolkit_) {
                ShowSongMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                return 0;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CTLCOLORSTATIC: {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            const HWND child = reinterpret_cast<HWND>(lParam);
            COLORREF colour = kBlack;
            if (child == Control(Control::标签2)) colour = kBlue;
            if (child == Control(Control::标签_状态)) colour = kGreen;
            SetTextColor(dc, colour);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            // The focus leaves with the window and comes back to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focused = GetFocus();
                if (focused && IsChild(window_, focused)) lastFocus_ = focused;
            } else if (!HIWORD(wParam)) {
                SetFocus(lastFocus_ ? lastFocus_ : Control(Control::编辑框_QQ号码));
            }
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}
