// Win32WindowToolkit on real controls of a test window, the real clipboard and a real
// message box.
#include "toolkit/window_toolkit_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include "toolkit/win_resource.h"

namespace {

using namespace std::string_literals;

constexpr wchar_t kTestWindowClass[] = L"TrovellaToolkitTest";

void RegisterTestWindowClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTestWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    ASSERT_TRUE(registered);
}

HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style) {
    return CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 24,
                           parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring WindowWideText(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

// The clipboard's contents in one format, read past the toolkit; empty when absent.
std::string RawClipboardBytes(UINT format) {
    const ClipboardGuard clipboard(nullptr);
    const HANDLE data = clipboard.IsOpen() ? GetClipboardData(format) : nullptr;
    if (!data) return {};
    const GlobalLockGuard lock(data);
    return std::string(static_cast<const char*>(lock.data()), GlobalSize(data));
}

// Puts bytes on the clipboard in one format, as another program would.
void PutRawClipboardBytes(UINT format, const std::string& bytes) {
    UniqueHGlobal global(GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1));
    ASSERT_TRUE(global);
    {
        const GlobalLockGuard lock(global.get());
        std::memcpy(lock.data(), bytes.c_str(), bytes.size() + 1);
    }
    const ClipboardGuard clipboard(nullptr);
    ASSERT_TRUE(clipboard.IsOpen());
    EmptyClipboard();
    ASSERT_TRUE(SetClipboardData(format, global.get()));
    global.release();
}

// A hidden top-level window with the eight controls of the main window.
class WindowToolkitTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterTestWindowClass();
        window_.reset(CreateWindowExW(0, kTestWindowClass, L"Trovella", WS_OVERLAPPEDWINDOW, 0, 0,
                                      349, 448, nullptr, nullptr, GetModuleHandleW(nullptr),
                                      nullptr));
        ASSERT_TRUE(window_);
        const HWND parent = window_.get();
        Set(Control::标签1, CreateChild(parent, L"STATIC", L"QQ号码：", SS_LEFT));
        Set(Control::编辑框_QQ号码,
            CreateChild(parent, L"EDIT", L"10000001", WS_BORDER | ES_LEFT | ES_AUTOHSCROLL));
        Set(Control::按钮_搜索, CreateChild(parent, L"BUTTON", L"点我搜索", BS_PUSHBUTTON));
        // Not LVS_SINGLESEL, so that "the lowest of several selected rows" can be tested.
        Set(Control::超级列表框1,
            CreateChild(parent, WC_LISTVIEWW, L"", WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS));
        Set(Control::标签_状态, CreateChild(parent, L"STATIC", L"", SS_LEFT));
        Set(Control::按钮_清空号码, CreateChild(parent, L"BUTTON", L"清空号码", BS_PUSHBUTTON));
        Set(Control::标签2, CreateChild(parent, L"STATIC", L"提示：", SS_LEFT));
        Set(Control::选择框1, CreateChild(parent, L"BUTTON", L"提示地址", BS_AUTOCHECKBOX));
        for (HWND control : windows_) ASSERT_NE(control, nullptr);
        toolkit_.emplace(windows_);

        const wchar_t* headers[] = {L"ID", L"歌曲名称", L"歌曲地址"};
        const int widths[] = {50, 180, 100};
        for (int column = 0; column < 3; ++column) {
            LVCOLUMNW lvColumn{};
            lvColumn.mask = LVCF_TEXT | LVCF_WIDTH;
            lvColumn.pszText = const_cast<wchar_t*>(headers[column]);
            lvColumn.cx = widths[column];
            ASSERT_EQ(SendMessageW(List(), LVM_INSERTCOLUMNW, column,
                                   reinterpret_cast<LPARAM>(&lvColumn)),
                      column);
        }
    }

    void Set(Control control, HWND window) { windows_[static_cast<int>(control)] = window; }
    HWND Of(Control control) const { return windows_[static_cast<int>(control)]; }
    HWND List() const { return Of(Control::超级列表框1); }

    void AddRows(int count) {
        for (int row = 0; row < count; ++row) toolkit_->InsertRow(Control::超级列表框1, "row");
    }
    void Select(int row, bool selected) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = selected ? LVIS_SELECTED : 0;
        SendMessageW(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }

    UniqueWindow window_;
    ControlWindows windows_{};
    std::optional<Win32WindowToolkit> toolkit_;
};

struct TextCase {
    const char* name;
    std::string in;
    std::wstring shown;
    std::string out;
};

const TextCase kTextCases[] = {
    {"ASCII", "12345678", L"12345678", "12345678"},
    {"UTF-8 Chinese", "共 3 首歌曲", L"共 3 首歌曲", "共 3 首歌曲"},
    {"GBK Chinese", "\xB8\xE8\xC7\xFA", L"歌曲", "歌曲"},
    {"empty", "", L"", ""},
    {"cut at a zero byte",
     "12\0"
     "34"s,
     L"12", "12"},
};

TEST_F(WindowToolkitTest, WrittenTextIsShownAndReadBackAsUtf8) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(c.name);
        toolkit_->WriteText(Control::编辑框_QQ号码, c.in);
        EXPECT_EQ(WindowWideText(Of(Control::编辑框_QQ号码)), c.shown);
        EXPECT_EQ(toolkit_->ReadText(Control::编辑框_QQ号码), c.out);

        toolkit_->WriteCaption(Control::标签_状态, c.in);
        EXPECT_EQ(WindowWideText(Of(Control::标签_状态)), c.shown);
        EXPECT_EQ(toolkit_->ReadText(Control::标签_状态), c.out);
    }
}

TEST_F(WindowToolkitTest, ReadTextOfTheInitialTexts) {
    EXPECT_EQ(toolkit_->ReadText(Control::按钮_搜索), "点我搜索");
    EXPECT_EQ(toolkit_->ReadText(Control::标签_状态), "");
}

TEST_F(WindowToolkitTest, WriteDisabledGreysTheButtonAndBack) {
    const HWND button = Of(Control::按钮_搜索);
    toolkit_->WriteDisabled(Control::按钮_搜索, true);
    EXPECT_FALSE(IsWindowEnabled(button));
    toolkit_->WriteDisabled(Control::按钮_搜索, true);
    EXPECT_FALSE(IsWindowEnabled(button));
    toolkit_->WriteDisabled(Control::按钮_搜索, false);
    EXPECT_TRUE(IsWindowEnabled(button));
}

TEST_F(WindowToolkitTest, ReenablingTheFocusedButtonGivesItTheFocusBack) {
    ShowWindow(window_.get(), SW_SHOW);
    SetForegroundWindow(window_.get());
    ASSERT_EQ(GetActiveWindow(), window_.get());
    const HWND button = Of(Control::按钮_搜索);
    SetFocus(button);
    ASSERT_EQ(GetFocus(), button);

    toolkit_->WriteDisabled(Control::按钮_搜索, true);
    EXPECT_EQ(GetFocus(), nullptr);  // the system takes it from a disabled control
    toolkit_->WriteDisabled(Control::按钮_搜索, false);
    EXPECT_EQ(GetFocus(), button);

    // Focus that went elsewhere meanwhile stays there.
    const HWND edit = Of(Control::编辑框_QQ号码);
    toolkit_->WriteDisabled(Control::按钮_搜索, true);
    SetFocus(edit);
    toolkit_->WriteDisabled(Control::按钮_搜索, false);
    EXPECT_EQ(GetFocus(), edit);

    // A button that did not have the focus does not take it.
    SetFocus(nullptr);
    toolkit_->WriteDisabled(Control::按钮_搜索, true);
    toolkit_->WriteDisabled(Control::按钮_搜索, false);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowToolkitTest, ReadCheckedFollowsTheCheckBox) {
    const HWND checkBox = Of(Control::选择框1);
    EXPECT_FALSE(toolkit_->ReadChecked(Control::选择框1));
    SendMessageW(checkBox, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(toolkit_->ReadChecked(Control::选择框1));
    SendMessageW(checkBox, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_FALSE(toolkit_->ReadChecked(Control::选择框1));
}

TEST_F(WindowToolkitTest, InsertRowAppendsAndReturnsItsIndex) {
    EXPECT_EQ(toolkit_->RowCount(Control::超级列表框1), 0);
    EXPECT_EQ(toolkit_->InsertRow(Control::超级列表框1, "1"), 0);
    EXPECT_EQ(toolkit_->InsertRow(Control::超级列表框1, "2"), 1);
    EXPECT_EQ(toolkit_->InsertRow(Control::超级列表框1, "\xC8\xFD"), 2);  // "三" in GBK
    EXPECT_EQ(toolkit_->RowCount(Control::超级列表框1), 3);
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 0, 0), "1");
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 1, 0), "2");
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 2, 0), "三");
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 2, 1), "");

    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_INDENT | LVIF_STATE;
    item.iItem = 2;
    item.stateMask = static_cast<UINT>(-1);
    ASSERT_TRUE(SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.lParam, 0);
    EXPECT_EQ(item.iIndent, 0);
    EXPECT_EQ(item.state & (LVIS_SELECTED | LVIS_STATEIMAGEMASK), 0u);
}

TEST_F(WindowToolkitTest, CellTextRoundTrips) {
    AddRows(2);
    const std::string chinese = "周杰伦 - 晴天";
    std::string longUtf8;
    for (int i = 0; i < 2000; ++i) longUtf8 += "歌";
    const struct {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"UTF-8 Chinese", chinese, chinese},
        {"GBK Chinese", "\xC7\xE7\xCC\xEC", "晴天"},
        {"255 characters", std::string(255, 'a'), std::string(255, 'a')},
        {"256 characters", std::string(256, 'b'), std::string(256, 'b')},
        {"257 characters", std::string(257, 'c'), std::string(257, 'c')},
        {"2,000 Chinese characters", longUtf8, longUtf8},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int column = 0; column < 3; ++column) {
            toolkit_->SetCellText(Control::超级列表框1, 1, column, c.in);
            EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 1, column), c.out);
        }
    }
}

TEST_F(WindowToolkitTest, MissingCellsReadEmptyAndCannotBeWritten) {
    AddRows(2);
    toolkit_->SetCellText(Control::超级列表框1, 1, 2, "link");
    const struct {
        int row;
        int column;
    } missing[] = {{2, 0}, {99, 2}, {-1, 0}, {-1, 2}, {1, 3}, {1, -1}, {0, 99}};
    for (const auto& cell : missing) {
        SCOPED_TRACE(testing::Message() << "row " << cell.row << ", column " << cell.column);
        EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, cell.row, cell.column), "");
        toolkit_->SetCellText(Control::超级列表框1, cell.row, cell.column, "x");
    }
    EXPECT_EQ(toolkit_->RowCount(Control::超级列表框1), 2);
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 1, 2), "link");
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 0, 0), "row");
}

TEST_F(WindowToolkitTest, DeleteAllRowsEmptiesTheList) {
    toolkit_->DeleteAllRows(Control::超级列表框1);
    EXPECT_EQ(toolkit_->RowCount(Control::超级列表框1), 0);
    AddRows(5);
    Select(3, true);
    toolkit_->DeleteAllRows(Control::超级列表框1);
    EXPECT_EQ(toolkit_->RowCount(Control::超级列表框1), 0);
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), -1);
    EXPECT_EQ(toolkit_->InsertRow(Control::超级列表框1, "again"), 0);
}

TEST_F(WindowToolkitTest, RowsChangedWhileRedrawIsSuspendedArePaintedOnResume) {
    ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
    UpdateWindow(window_.get());
    RECT pending{};
    ASSERT_FALSE(GetUpdateRect(List(), &pending, FALSE));

    toolkit_->SuspendRedraw(Control::超级列表框1);
    toolkit_->DeleteAllRows(Control::超级列表框1);
    AddRows(50);
    toolkit_->SetCellText(Control::超级列表框1, 49, 2, "link");
    EXPECT_FALSE(GetUpdateRect(List(), &pending, FALSE)) << "the list asked to be repainted";

    toolkit_->ResumeRedraw(Control::超级列表框1);
    EXPECT_TRUE(IsWindowVisible(List()));
    EXPECT_TRUE(GetUpdateRect(List(), &pending, FALSE)) << "the new rows were never painted";
    EXPECT_EQ(toolkit_->RowCount(Control::超级列表框1), 50);
    EXPECT_EQ(toolkit_->GetCellText(Control::超级列表框1, 49, 2), "link");
}

TEST_F(WindowToolkitTest, CurrentSelectionIsTheLowestSelectedRow) {
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), -1);
    AddRows(5);
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), -1);
    Select(4, true);
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), 4);
    Select(1, true);
    Select(3, true);
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), 1);
    Select(1, false);
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), 3);
    Select(3, false);
    Select(4, false);
    EXPECT_EQ(toolkit_->CurrentSelection(Control::超级列表框1), -1);
}

TEST_F(WindowToolkitTest, ClipboardRoundTrips) {
    const struct {
        const char* name;
        std::string in;
        std::string out;
    } cases[] = {
        {"UTF-8 Chinese", "http://a.example/晴天.mp3", "http://a.example/晴天.mp3"},
        {"GBK Chinese", "http://a.example/\xC7\xE7\xCC\xEC.mp3", "http://a.example/晴天.mp3"},
        {"cut at a zero byte", "http://a\0b"s, "http://a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(toolkit_->SetClipboardText(c.in));
        EXPECT_EQ(toolkit_->GetClipboardText(), c.out);
    }
}

TEST_F(WindowToolkitTest, ClipboardTextIsOfferedAsPlainTextToo) {
    ASSERT_TRUE(toolkit_->SetClipboardText("http://a.example/1.mp3"));
    EXPECT_EQ(RawClipboardBytes(CF_TEXT).c_str(), "http://a.example/1.mp3"s);
}

TEST_F(WindowToolkitTest, ClipboardPlainTextOfAnotherProgramIsRead) {
    PutRawClipboardBytes(CF_TEXT, "http://b.example/2.mp3");
    EXPECT_EQ(toolkit_->GetClipboardText(), "http://b.example/2.mp3");
}

TEST_F(WindowToolkitTest, EmptyTextEmptiesTheClipboardsText) {
    ASSERT_TRUE(toolkit_->SetClipboardText("something"));
    ASSERT_TRUE(toolkit_->SetClipboardText(""));
    EXPECT_EQ(toolkit_->GetClipboardText(), "");

    {
        const ClipboardGuard clipboard(nullptr);
        ASSERT_TRUE(clipboard.IsOpen());
        EmptyClipboard();
    }
    EXPECT_EQ(toolkit_->GetClipboardText(), "");
}

TEST_F(WindowToolkitTest, ClipboardHeldByAnotherThreadIsLeftAlone) {
    ASSERT_TRUE(toolkit_->SetClipboardText("before"));

    std::promise<bool> opened;
    std::promise<void> release;
    // The holder opens the clipboard for a window of its own, as programs do: Wine, unlike
    // Windows, lets a second thread in when both open it without a window.
    std::thread holder([&] {
        const UniqueWindow helper(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                  nullptr, GetModuleHandleW(nullptr), nullptr));
        const ClipboardGuard clipboard(helper.get());
        opened.set_value(clipboard.IsOpen());
        release.get_future().wait();
    });
    const bool holderOpened = opened.get_future().get();
    const bool written = toolkit_->SetClipboardText("after");
    const Text readWhileHeld = toolkit_->GetClipboardText();
    release.set_value();
    holder.join();

    ASSERT_TRUE(holderOpened);
    EXPECT_FALSE(written);
    EXPECT_EQ(readWhileHeld, "");
    EXPECT_EQ(toolkit_->GetClipboardText(), "before");
}

// What the timer saw of the message box before it pressed OK.
struct SeenMessageBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    bool hasOk = false;
    bool hasCancel = false;
    bool testWindowEnabled = true;
    HWND testWindow = nullptr;
};
SeenMessageBox* g_seen = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t windowClass[16] = {};
    GetClassNameW(window, windowClass, 16);
    if (std::wcscmp(windowClass, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK InspectAndCloseMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, timer);

    SeenMessageBox& seen = *g_seen;
    seen.found = true;
    seen.caption = WindowWideText(box);
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    seen.text = text;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.hasOk = IsWindowVisible(GetDlgItem(box, IDOK));
    seen.hasCancel = IsWindowVisible(GetDlgItem(box, IDCANCEL));
    seen.testWindowEnabled = IsWindowEnabled(seen.testWindow);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(WindowToolkitTest, MessageBoxIsTaskModalWithoutOwner) {
    const struct {
        const char* name;
        std::string in;
        std::wstring shown;
    } cases[] = {
        {"UTF-8", "歌曲链接地址：http://a/1.mp3\r\n请到迅雷下载.",
         L"歌曲链接地址：http://a/1.mp3\r\n请到迅雷下载."},
        {"GBK", "\xC7\xE7\xCC\xEC", L"晴天"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SeenMessageBox seen;
        seen.testWindow = window_.get();
        g_seen = &seen;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, InspectAndCloseMessageBox);
        ASSERT_NE(timer, 0u);
        toolkit_->ShowMessageBox(c.in);
        KillTimer(nullptr, timer);
        g_seen = nullptr;

        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.caption, L"信息：");
        EXPECT_EQ(seen.text, c.shown);
        EXPECT_EQ(seen.owner, nullptr);
        EXPECT_TRUE(seen.hasOk);
        EXPECT_FALSE(seen.hasCancel);
        EXPECT_FALSE(seen.testWindowEnabled);  // task-modal: the thread's windows wait
        EXPECT_TRUE(IsWindowEnabled(window_.get()));
    }
}

}  // namespace
