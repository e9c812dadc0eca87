// trovella_inspector: reads the state of a running Trovella window from outside and
// prints it as JSON (UTF-8) on stdout, for the end-to-end tests.
//
//   trovella_inspector [--class NAME] SUBCOMMAND [ARGS...]
//
//   window                  the main window: caption, rects, styles, focus, current directory
//   wait-window TIMEOUT_MS  waits until the main window is visible, then prints it as `window`
//   controls                every child window in stacking order, topmost first
//   list                    the list view's columns, rows, cells and selection
//   clipboard               the clipboard's text, or null
//   set-clipboard TEXT      puts TEXT on the clipboard
//   messagebox [TIMEOUT_MS] a dialog box of the program's process (waits up to TIMEOUT_MS)
//   close-messagebox        presses OK on that dialog box
//   set-text ID TEXT        WM_SETTEXT on the child with control ID
//   file-attributes PATH    GetFileAttributesW of PATH, or null when it fails
//   hold-clipboard MS       opens the clipboard for a hidden window of its own, prints
//                           {"held":true} and keeps it open for MS milliseconds
//   wait-text ID TEXT MS    prints {"ready":true} once the child with control ID is found,
//                           then waits up to MS for its text to become TEXT and prints when
//                           it saw it (for timing a search from outside)
//   dialog [TIMEOUT_MS]     the program's dialog box (as `messagebox`) with all its children
//   set-dialog-text ID TEXT WM_SETTEXT on the child with control ID of that dialog box
//   menu [TIMEOUT_MS]       the program's open popup menu: its rect, and its items where the
//                           platform lets another process read them
//   dpi-changed DPI         sends WM_DPICHANGED as a move to a monitor of that DPI would
//   version-info FILE       the version resource of FILE: fixed version and strings
//
// Exit code 0 on success, 1 when the window or dialog is not there, 2 on a usage error.
// The inspector must have the bitness of the program it reads: the list view's structures
// are copied into the other process as they are laid out here.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/win_resource.h"

namespace {

constexpr UINT kMessageTimeoutMs = 2000;
constexpr DWORD kPollMs = 50;
std::wstring g_window_class = L"TrovellaMainWindow";

// --- JSON output -------------------------------------------------------------------------

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string Quote(const std::wstring& wide) {
    std::string out = "\"";
    for (unsigned char c : Utf8(wide)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string Bool(bool value) {
    return value ? "true" : "false";
}
std::string Num(long long value) {
    return std::to_string(value);
}
std::string HwndJson(HWND hwnd) {
    return hwnd ? Num(static_cast<long long>(reinterpret_cast<INT_PTR>(hwnd))) : "null";
}

std::string RectJson(const RECT& r) {
    return "{\"left\":" + Num(r.left) + ",\"top\":" + Num(r.top) +
           ",\"width\":" + Num(r.right - r.left) + ",\"height\":" + Num(r.bottom - r.top) + "}";
}

std::string PointJson(const POINT& p) {
    return "{\"x\":" + Num(p.x) + ",\"y\":" + Num(p.y) + "}";
}

// Builds one JSON object from key/value pairs whose values are already JSON.
class JsonObject {
public:
    JsonObject& Add(const char* key, const std::string& json) {
        text_ += (text_.empty() ? "{\"" : ",\"") + std::string(key) + "\":" + json;
        return *this;
    }
    std::string Str() const { return text_.empty() ? "{}" : text_ + "}"; }

private:
    std::string text_;
};

std::string JsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

void Print(const std::string& json) {
    std::string line = json + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// --- reading windows ---------------------------------------------------------------------

std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

// The text through WM_GETTEXT, which the system carries across processes.
std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &result);
    return static_cast<LRESULT>(result);
}

HWND FindMainWindow() {
    return FindWindowW(g_window_class.c_str(), nullptr);
}

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool WaitFor(DWORD timeout_ms, const std::function<bool()>& ready) {
    DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(kPollMs);
    }
    return true;
}

// A block of memory inside another process, freed when it goes.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }

    char* address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* data, size_t size) const {
        return WriteProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ReadProcessMemory(process_, address() + offset, data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_;
    void* address_;
};

UniqueHandle OpenProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return UniqueHandle(OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, pid));
}

// The other process's current directory, read from its process parameters.
std::wstring CurrentDirectoryOf(HANDLE process) {
    PROCESS_BASIC_INFORMATION info{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) !=
        0)
        return {};
    char* parameters = nullptr;
    auto* parameters_field = reinterpret_cast<char*>(info.PebBaseAddress) + 4 * sizeof(void*);
    if (!ReadProcessMemory(process, parameters_field, &parameters, sizeof parameters, nullptr))
        return {};
    // RTL_USER_PROCESS_PARAMETERS: four ULONGs, the console handle, its flags (padded to a
    // pointer), the three standard handles, then CurrentDirectory.DosPath.
    UNICODE_STRING dos_path{};
    auto* dos_path_field = parameters + 16 + 5 * sizeof(void*);
    if (!ReadProcessMemory(process, dos_path_field, &dos_path, sizeof dos_path, nullptr)) return {};
    std::wstring path(dos_path.Length / sizeof(wchar_t), L'\0');
    if (!ReadProcessMemory(process, dos_path.Buffer, path.data(), dos_path.Length, nullptr))
        return {};
    return path;
}

// --- subcommands -------------------------------------------------------------------------

std::string WindowJson(HWND hwnd) {
    RECT window{}, client{};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(hwnd, &pid);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(thread, &gui);
    UniqueHandle process = OpenProcessOf(hwnd);
    return JsonObject()
        .Add("found", "true")
        .Add("hwnd", HwndJson(hwnd))
        .Add("pid", Num(pid))
        .Add("class", Quote(ClassOf(hwnd)))
        .Add("caption", Quote(TextOf(hwnd)))
        .Add("window", RectJson(window))
        .Add("client", RectJson(client))
        .Add("client_origin", PointJson(origin))
        .Add("screen", "{\"width\":" + Num(GetSystemMetrics(SM_CXSCREEN)) +
                           ",\"height\":" + Num(GetSystemMetrics(SM_CYSCREEN)) + "}")
        .Add("style", Num(GetWindowLongW(hwnd, GWL_STYLE) & 0xFFFFFFFFLL))
        .Add("exstyle", Num(GetWindowLongW(hwnd, GWL_EXSTYLE) & 0xFFFFFFFFLL))
        .Add("visible", Bool(IsWindowVisible(hwnd)))
        .Add("enabled", Bool(IsWindowEnabled(hwnd)))
        .Add("owner", HwndJson(GetWindow(hwnd, GW_OWNER)))
        .Add("active", HwndJson(gui.hwndActive))
        .Add("focus_id", gui.hwndFocus ? Num(GetDlgCtrlID(gui.hwndFocus)) : "null")
        .Add("focus_is_window", Bool(gui.hwndFocus == hwnd))
        .Add("current_directory", process ? Quote(CurrentDirectoryOf(process.get())) : "null")
        .Str();
}

int CmdWindow() {
    HWND hwnd = FindMainWindow();
    Print(hwnd ? WindowJson(hwnd) : "{\"found\":false}");
    return hwnd ? 0 : 1;
}

int CmdWaitWindow(DWORD timeout_ms) {
    HWND hwnd = nullptr;
    WaitFor(timeout_ms, [&] {
        hwnd = FindMainWindow();
        return hwnd && IsWindowVisible(hwnd);
    });
    if (!hwnd || !IsWindowVisible(hwnd)) {
        Print("{\"found\":false}");
        return 1;
    }
    Print(WindowJson(hwnd));
    return 0;
}

std::string ControlJson(HWND child, int z) {
    std::wstring cls = ClassOf(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    JsonObject json;
    json.Add("id", Num(GetDlgCtrlID(child)))
        .Add("class", Quote(cls))
        .Add("z", Num(z))
        .Add("rect", RectJson(RectInParent(child)))
        .Add("text", Quote(TextOf(child)))
        .Add("enabled", Bool(IsWindowEnabled(child)))
        .Add("visible", Bool(IsWindowVisible(child)))
        .Add("style", Num(style & 0xFFFFFFFFLL))
        .Add("exstyle", Num(GetWindowLongW(child, GWL_EXSTYLE) & 0xFFFFFFFFLL));
    LONG kind = style & BS_TYPEMASK;
    bool check_box =
        lstrcmpiW(cls.c_str(), L"Button") == 0 && (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX ||
                                                   kind == BS_3STATE || kind == BS_AUTO3STATE);
    json.Add("checked", check_box ? Bool(Send(child, BM_GETCHECK) == BST_CHECKED) : "null");
    return json.Str();
}

int CmdControls() {
    HWND hwnd = FindMainWindow();
    if (!hwnd) {
        Print("{\"found\":false}");
        return 1;
    }
    std::vector<std::string> controls;
    int z = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(ControlJson(child, z++));
    Print(JsonObject().Add("found", "true").Add("controls", JsonArray(controls)).Str());
    return 0;
}

HWND FindListView(HWND hwnd) {
    return FindWindowExW(hwnd, nullptr, WC_LISTVIEWW, nullptr);
}

// Sends a list-view message whose structure (and a text buffer after it) lives in the
// list's own process.
class RemoteListView {
public:
    static constexpr size_t kTextChars = 4096;

    RemoteListView(HWND list, HANDLE process)
        : list_(list), buffer_(process, sizeof(LVCOLUMNW) + sizeof(LVITEMW) + 2 * kTextChars) {}

    bool ok() const { return buffer_.address() != nullptr; }

    std::wstring CellText(int row, int column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<LPWSTR>(TextAddress());
        item.cchTextMax = kTextChars;
        return Exchange(&item, sizeof item, LVM_GETITEMTEXTW, static_cast<WPARAM>(row));
    }

    bool Column(int index, std::wstring* text, int* width) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = reinterpret_cast<LPWSTR>(TextAddress());
        column.cchTextMax = kTextChars;
        buffer_.Write(0, &column, sizeof column);
        if (!Send(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(index),
                  reinterpret_cast<LPARAM>(buffer_.address())))
            return false;
        buffer_.Read(0, &column, sizeof column);
        *width = column.cx;
        *text = ReadText();
        return true;
    }

    RECT RowRect(int row) {
        RECT r{};
        r.left = LVIR_BOUNDS;
        buffer_.Write(0, &r, sizeof r);
        if (Send(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(buffer_.address())))
            buffer_.Read(0, &r, sizeof r);
        return r;
    }

private:
    char* TextAddress() const { return buffer_.address() + sizeof(LVCOLUMNW) + sizeof(LVITEMW); }

    std::wstring Exchange(const void* data, size_t size, UINT message, WPARAM wparam) {
        const wchar_t empty = L'\0';
        buffer_.Write(sizeof(LVCOLUMNW) + sizeof(LVITEMW), &empty, sizeof empty);
        buffer_.Write(0, data, size);
        Send(list_, message, wparam, reinterpret_cast<LPARAM>(buffer_.address()));
        return ReadText();
    }

    std::wstring ReadText() {
        std::vector<wchar_t> text(kTextChars, L'\0');
        buffer_.Read(sizeof(LVCOLUMNW) + sizeof(LVITEMW), text.data(), text.size() * 2);
        text.back() = L'\0';
        return text.data();
    }

    HWND list_;
    RemoteBuffer buffer_;
};

int CmdList() {
    HWND hwnd = FindMainWindow();
    HWND list = hwnd ? FindListView(hwnd) : nullptr;
    UniqueHandle process = list ? OpenProcessOf(list) : UniqueHandle();
    if (!process) {
        Print("{\"found\":false}");
        return 1;
    }
    RemoteListView remote(list, process.get());
    if (!remote.ok()) {
        std::fprintf(stderr, "cannot allocate memory in the program's process\n");
        return 2;
    }
    std::vector<std::string> columns;
    std::wstring text;
    int width = 0;
    for (int c = 0; remote.Column(c, &text, &width); ++c)
        columns.push_back(JsonObject().Add("text", Quote(text)).Add("width", Num(width)).Str());
    int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT));
    std::vector<std::string> rows;
    for (int r = 0; r < count; ++r) {
        std::vector<std::string> cells;
        for (size_t c = 0; c < columns.size(); ++c)
            cells.push_back(Quote(remote.CellText(r, static_cast<int>(c))));
        rows.push_back(JsonObject()
                           .Add("cells", JsonArray(cells))
                           .Add("rect", RectJson(remote.RowRect(r)))
                           .Str());
    }
    RECT client{};
    GetClientRect(list, &client);
    POINT origin{0, 0};
    ClientToScreen(list, &origin);
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
    RECT header_rect{};
    if (header) header_rect = RectInParent(header);
    auto selected = Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    Print(JsonObject()
              .Add("found", "true")
              .Add("id", Num(GetDlgCtrlID(list)))
              .Add("style", Num(GetWindowLongW(list, GWL_STYLE) & 0xFFFFFFFFLL))
              .Add("extended_style", Num(Send(list, LVM_GETEXTENDEDLISTVIEWSTYLE)))
              .Add("client", RectJson(client))
              .Add("client_origin", PointJson(origin))
              .Add("header", header ? RectJson(header_rect) : "null")
              .Add("columns", JsonArray(columns))
              .Add("count", Num(count))
              .Add("selected", Num(static_cast<int>(selected)))
              .Add("rows", JsonArray(rows))
              .Str());
    return 0;
}

// Another program may hold the clipboard for a moment; try for a while.
bool OpenClipboardPatiently(std::optional<ClipboardGuard>* guard) {
    return WaitFor(2000, [&] { return guard->emplace().IsOpen(); });
}

int CmdClipboard() {
    std::optional<ClipboardGuard> guard;
    if (!OpenClipboardPatiently(&guard)) {
        std::fprintf(stderr, "cannot open the clipboard\n");
        return 2;
    }
    std::string text = "null";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Quote(chars);
            GlobalUnlock(data);
        }
    }
    guard.reset();
    Print(JsonObject().Add("text", text).Str());
    return 0;
}

int CmdSetClipboard(const std::wstring& text) {
    UniqueHGlobal memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory) return 2;
    if (auto* chars = static_cast<wchar_t*>(GlobalLock(memory.get()))) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, chars);
        GlobalUnlock(memory.get());
    }
    std::optional<ClipboardGuard> guard;
    if (!OpenClipboardPatiently(&guard)) {
        std::fprintf(stderr, "cannot open the clipboard\n");
        return 2;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr;
    if (placed) memory.release();  // the clipboard owns it now
    guard.reset();
    Print(JsonObject().Add("ok", Bool(placed)).Str());
    return placed ? 0 : 2;
}

struct ProcessWindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK TakeWindowOfProcess(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ProcessWindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || ClassOf(hwnd) != search->className || !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

// A visible top-level window of that class that belongs to the program's process.
HWND FindWindowOfProgram(const wchar_t* className) {
    HWND main = FindMainWindow();
    if (!main) return nullptr;
    ProcessWindowSearch search{0, className, nullptr};
    GetWindowThreadProcessId(main, &search.pid);
    EnumWindows(TakeWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible dialog box (class #32770) that belongs to the program's process.
HWND FindMessageBox() {
    return FindWindowOfProgram(L"#32770");
}

int CmdMessageBox(DWORD timeout_ms) {
    HWND box = nullptr;
    WaitFor(timeout_ms, [&] { return (box = FindMessageBox()) != nullptr; });
    if (!box) {
        Print("{\"found\":false}");
        return 1;
    }
    std::vector<std::string> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (lstrcmpiW(ClassOf(child).c_str(), L"Button") == 0 && IsWindowVisible(child))
            buttons.push_back(Quote(TextOf(child)));
    HWND owner = GetWindow(box, GW_OWNER);
    HWND text = GetDlgItem(box, 0xFFFF);
    Print(JsonObject()
              .Add("found", "true")
              .Add("hwnd", HwndJson(box))
              .Add("caption", Quote(TextOf(box)))
              .Add("text", text ? Quote(TextOf(text)) : "null")
              .Add("owner", HwndJson(owner))
              .Add("owner_is_main", Bool(owner && owner == FindMainWindow()))
              .Add("buttons", JsonArray(buttons))
              .Str());
    return 0;
}

int CmdCloseMessageBox() {
    HWND box = FindMessageBox();
    if (!box) {
        Print("{\"found\":false}");
        return 1;
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    bool closed = WaitFor(3000, [&] { return !IsWindow(box); });
    Print(JsonObject().Add("found", "true").Add("closed", Bool(closed)).Str());
    return closed ? 0 : 2;
}

int CmdSetText(int id, const std::wstring& text) {
    HWND hwnd = FindMainWindow();
    HWND control = hwnd ? GetDlgItem(hwnd, id) : nullptr;
    if (!control) {
        Print("{\"found\":false}");
        return 1;
    }
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Print(JsonObject().Add("found", "true").Add("text", Quote(TextOf(control))).Str());
    return 0;
}

// Holds the clipboard the way another program does: open for a window of its own (Wine
// refuses a second opener only when the clipboard is open for a different window).
int CmdHoldClipboard(DWORD hold_ms) {
    UniqueWindow helper(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
    if (!helper || !OpenClipboard(helper.get())) {
        Print("{\"held\":false}");
        return 2;
    }
    Print("{\"held\":true}");
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < hold_ms; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, hold_ms - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    CloseClipboard();
    Print("{\"released\":true}");
    return 0;
}

int CmdWaitText(int id, const std::wstring& expected, DWORD timeout_ms) {
    HWND hwnd = FindMainWindow();
    HWND control = hwnd ? GetDlgItem(hwnd, id) : nullptr;
    if (!control) {
        Print("{\"ready\":false}");
        return 1;
    }
    Print("{\"ready\":true}");
    const DWORD start = GetTickCount();
    std::wstring text;
    bool seen = false;
    // Polled every millisecond, so that the time seen is the time the text changed. A
    // program busy with a search answers WM_GETTEXT only when it is done, so a poll may
    // wait that long.
    while (!seen && GetTickCount() - start < timeout_ms) {
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeout_ms,
                                &length)) {
            text.assign(length + 1, L'\0');
            DWORD_PTR copied = 0;
            SendMessageTimeoutW(control, WM_GETTEXT, text.size(),
                                reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, timeout_ms,
                                &copied);
            text.resize(copied);
            seen = text == expected;
        }
        if (!seen) Sleep(1);
    }
    Print(JsonObject()
              .Add("seen", Bool(seen))
              .Add("text", Quote(text))
              .Add("elapsed_ms", Num(GetTickCount() - start))
              .Str());
    return seen ? 0 : 1;
}

int CmdFileAttributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool found = attributes != INVALID_FILE_ATTRIBUTES;
    Print(JsonObject().Add("attributes", found ? Num(attributes) : "null").Str());
    return found ? 0 : 1;
}

int CmdDialog(DWORD timeout_ms) {
    HWND box = nullptr;
    WaitFor(timeout_ms, [&] { return (box = FindMessageBox()) != nullptr; });
    if (!box) {
        Print("{\"found\":false}");
        return 1;
    }
    std::vector<std::string> children;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(JsonObject()
                               .Add("id", Num(GetDlgCtrlID(child)))
                               .Add("class", Quote(ClassOf(child)))
                               .Add("text", Quote(TextOf(child)))
                               .Add("visible", Bool(IsWindowVisible(child)))
                               .Str());
    }
    HWND owner = GetWindow(box, GW_OWNER);
    Print(JsonObject()
              .Add("found", "true")
              .Add("caption", Quote(TextOf(box)))
              .Add("owner_is_main", Bool(owner && owner == FindMainWindow()))
              .Add("children", JsonArray(children))
              .Str());
    return 0;
}

int CmdSetDialogText(int id, const std::wstring& text) {
    HWND box = FindMessageBox();
    HWND control = box ? GetDlgItem(box, id) : nullptr;
    if (!control) {
        Print("{\"found\":false}");
        return 1;
    }
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Print(JsonObject().Add("found", "true").Add("text", Quote(TextOf(control))).Str());
    return 0;
}

int CmdMenu(DWORD timeout_ms) {
    HWND popup = nullptr;
    WaitFor(timeout_ms, [&] { return (popup = FindWindowOfProgram(L"#32768")) != nullptr; });
    if (!popup) {
        Print("{\"found\":false}");
        return 1;
    }
    RECT rect{};
    GetWindowRect(popup, &rect);
    // Menus are the program's own objects; not every platform lets another process read them.
    std::vector<std::string> items;
    HMENU menu = reinterpret_cast<HMENU>(Send(popup, MN_GETHMENU));
    const int count = menu ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        items.push_back(JsonObject()
                            .Add("text", Quote(text))
                            .Add("grayed", Bool(state & (MF_GRAYED | MF_DISABLED)))
                            .Add("separator", Bool(state & MF_SEPARATOR))
                            .Str());
    }
    Print(JsonObject()
              .Add("found", "true")
              .Add("rect", RectJson(rect))
              .Add("items", count >= 0 ? JsonArray(items) : "null")
              .Str());
    return 0;
}

int CmdDpiChanged(UINT dpi) {
    HWND hwnd = FindMainWindow();
    UniqueHandle process = hwnd ? OpenProcessOf(hwnd) : UniqueHandle();
    if (!process) {
        Print("{\"found\":false}");
        return 1;
    }
    // The suggested rectangle: the window's corner kept, its size in proportion.
    RECT now{};
    GetWindowRect(hwnd, &now);
    HDC screen = GetDC(nullptr);
    const int old_dpi = std::max(1, GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    RECT suggested{now.left, now.top,
                   now.left + MulDiv(now.right - now.left, static_cast<int>(dpi), old_dpi),
                   now.top + MulDiv(now.bottom - now.top, static_cast<int>(dpi), old_dpi)};
    RemoteBuffer buffer(process.get(), sizeof suggested);
    if (!buffer.address() || !buffer.Write(0, &suggested, sizeof suggested)) return 2;
    Send(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(buffer.address()));
    Print(WindowJson(hwnd));
    return 0;
}

int CmdVersionInfo(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<char> data(size);
    if (!size || !GetFileVersionInfoW(file.c_str(), 0, size, data.data())) {
        Print("{\"found\":false}");
        return 1;
    }
    JsonObject json;
    json.Add("found", "true");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        auto version = [](DWORD ms, DWORD ls) {
            return JsonArray({Num(HIWORD(ms)), Num(LOWORD(ms)), Num(HIWORD(ls)), Num(LOWORD(ls))});
        };
        json.Add("file_version", version(fixed->dwFileVersionMS, fixed->dwFileVersionLS))
            .Add("product_version", version(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    }
    struct Translation {
        WORD language;
        WORD code_page;
    }* translations = nullptr;
    std::vector<std::string> blocks;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translations), &length)) {
        for (UINT i = 0; i < length / sizeof(Translation); ++i) {
            wchar_t block[16];
            std::swprintf(block, 16, L"%04x%04x", translations[i].language,
                          translations[i].code_page);
            JsonObject strings;
            strings.Add("block", Quote(block));
            for (const wchar_t* name :
                 {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                  L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
                const std::wstring path =
                    std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
                wchar_t* value = nullptr;
                UINT chars = 0;
                const bool found = VerQueryValueW(data.data(), path.c_str(),
                                                  reinterpret_cast<void**>(&value), &chars) &&
                                   value;
                strings.Add(Utf8(name).c_str(), found ? Quote(value) : "null");
            }
            blocks.push_back(strings.Str());
        }
    }
    Print(json.Add("strings", JsonArray(blocks)).Str());
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: trovella_inspector [--class NAME] window | wait-window MS | controls | "
                 "list | clipboard | set-clipboard TEXT | messagebox [MS] | close-messagebox | "
                 "set-text ID TEXT | hold-clipboard MS | wait-text ID TEXT MS | "
                 "file-attributes PATH | dialog [MS] | set-dialog-text ID TEXT | menu [MS] | "
                 "dpi-changed DPI | version-info FILE\n");
    return 2;
}

int Run(std::vector<std::wstring> args) {
    if (args.size() >= 2 && args[0] == L"--class") {
        g_window_class = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const std::wstring& command = args[0];
    auto arg_number = [&](size_t i, DWORD fallback) {
        return i < args.size() ? static_cast<DWORD>(std::wcstoul(args[i].c_str(), nullptr, 10))
                               : fallback;
    };
    if (command == L"window") return CmdWindow();
    if (command == L"wait-window") return CmdWaitWindow(arg_number(1, 10000));
    if (command == L"controls") return CmdControls();
    if (command == L"list") return CmdList();
    if (command == L"clipboard") return CmdClipboard();
    if (command == L"set-clipboard" && args.size() == 2) return CmdSetClipboard(args[1]);
    if (command == L"messagebox") return CmdMessageBox(arg_number(1, 0));
    if (command == L"close-messagebox") return CmdCloseMessageBox();
    if (command == L"set-text" && args.size() == 3)
        return CmdSetText(static_cast<int>(arg_number(1, 0)), args[2]);
    if (command == L"file-attributes" && args.size() == 2) return CmdFileAttributes(args[1]);
    if (command == L"hold-clipboard") return CmdHoldClipboard(arg_number(1, 5000));
    if (command == L"wait-text" && args.size() == 4)
        return CmdWaitText(static_cast<int>(arg_number(1, 0)), args[2], arg_number(3, 0));
    if (command == L"dialog") return CmdDialog(arg_number(1, 0));
    if (command == L"set-dialog-text" && args.size() == 3)
        return CmdSetDialogText(static_cast<int>(arg_number(1, 0)), args[2]);
    if (command == L"menu") return CmdMenu(arg_number(1, 0));
    if (command == L"dpi-changed" && args.size() == 2)
        return CmdDpiChanged(static_cast<UINT>(arg_number(1, 96)));
    if (command == L"version-info" && args.size() == 2) return CmdVersionInfo(args[1]);
    return Usage();
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return Run(std::move(args));
}
