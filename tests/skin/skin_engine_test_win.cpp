// jedata.dll on real windows: loaded as the program loads it, bound by name, then looked at
// pixel by pixel. Needs an X display under Wine.
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "skin/engine/skin_file.h"
#include "tests/skin/skin_bytes.h"

namespace {

using AttachFunction = int(__stdcall*)(const char*, const char*);

enum ChildId { kBlueLabel = 1, kGreenLabel, kEdit, kButton, kCheckBox, kList };
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr wchar_t kClassName[] = L"SkinEngineTestWindow";

std::wstring Directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L'\\') + 1);
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    const int length =
        WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, bytes.data(), length, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

std::wstring DefaultSkinPath() {
    return Directory() + L"皮肤.she";
}

Skin DefaultSkin() {
    std::ifstream file(DefaultSkinPath().c_str(), std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::optional<Skin> skin = ParseSkin(bytes);
    EXPECT_TRUE(skin);
    return skin.value_or(Skin{});
}

COLORREF Ref(Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// What the test window's procedure saw.
int clicks = 0;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            const HWND child = reinterpret_cast<HWND>(lParam);
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetDlgCtrlID(child) == kBlueLabel    ? kBlue
                             : GetDlgCtrlID(child) == kGreenLabel ? kGreen
                                                                  : RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kButton && HIWORD(wParam) == BN_CLICKED) ++clicks;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void Pump() {
    for (int round = 0; round < 5; ++round) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

void Repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
}

COLORREF PixelAt(HWND window, int x, int y) {
    const HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// How many pixels of the window's client area pass the test.
template <typename Test>
int CountPixels(HWND window, Test test) {
    RECT client{};
    GetClientRect(window, &client);
    const HDC dc = GetDC(window);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) count += test(GetPixel(dc, x, y)) ? 1 : 0;
    }
    ReleaseDC(window, dc);
    return count;
}

// A window with the control kinds of the program's main window.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        RegisterClassExW(&windowClass);
        window_ = CreateWindowExW(0, kClassName, L"Skin test",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 40, 40,
                                  349, 448, nullptr, nullptr, windowClass.hInstance, nullptr);
        constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        Add(L"STATIC", L"提示：双击列表可 复制歌曲地址...", kChild | SS_LEFT | SS_CENTERIMAGE, 0, 8,
            40, 232, 32, kBlueLabel);
        Add(L"STATIC", L"一共搜索到 [3]首歌曲...", kChild | SS_LEFT | SS_CENTERIMAGE, 0, 16, 72,
            304, 24, kGreenLabel);
        Add(L"EDIT", L"10001000", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 56, 16,
            112, 24, kEdit);
        Add(L"BUTTON", L"点我搜索", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0, 176, 16,
            72, 24, kButton);
        Add(L"BUTTON", L"提示地址", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 264, 48, 72, 16,
            kCheckBox);
        const HWND list = Add(WC_LISTVIEWW, L"", kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL,
                              WS_EX_CLIENTEDGE, 8, 104, 328, 312, kList);
        ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        ListView_SetBkColor(list, RGB(255, 255, 255));
        ListView_SetTextBkColor(list, RGB(255, 255, 255));
        const wchar_t* titles[] = {L"ID", L"歌曲名称", L"歌曲地址"};
        const int widths[] = {50, 180, 100};
        for (int column = 0; column < 3; ++column) {
            LVCOLUMNW header{};
            header.mask = LVCF_TEXT | LVCF_WIDTH;
            header.cx = widths[column];
            header.pszText = const_cast<wchar_t*>(titles[column]);
            ListView_InsertColumn(list, column, &header);
        }
        for (int row = 0; row < 3; ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            std::wstring number = std::to_wstring(row + 1);
            item.pszText = number.data();
            ListView_InsertItem(list, &item);
        }
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        Repaint(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow() { DestroyWindow(window_); }

    HWND get() const { return window_; }
    HWND Child(int id) const { return GetDlgItem(window_, id); }
    COLORREF Background() const { return PixelAt(window_, 300, 90); }
    COLORREF ButtonFace() const { return PixelAt(Child(kButton), 3, 3); }
    COLORREF ButtonCorner() const { return PixelAt(Child(kButton), 0, 0); }
    // A pixel of the row's first cell, right of its short number.
    COLORREF RowPixel(int row) const {
        RECT rect{};
        ListView_GetItemRect(Child(kList), row, &rect, LVIR_BOUNDS);
        return PixelAt(Child(kList), rect.left + 35, (rect.top + rect.bottom) / 2);
    }
    COLORREF HeaderPixel() const { return PixelAt(ListView_GetHeader(Child(kList)), 300, 4); }

private:
    HWND Add(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int x,
             int y, int width, int height, int id) {
        const HWND child =
            CreateWindowExW(exStyle, className, text, style, x, y, width, height, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
        return child;
    }

    HWND window_ = nullptr;
};

// jedata.dll, loaded for one test and unloaded after it, which also tests its clean-up.
class SkinEngineTest : public testing::Test {
protected:
    void SetUp() override {
        // Keep the pointer away from the windows, so that no button is hot.
        SetCursorPos(1270, 1010);
        INITCOMMONCONTROLSEX common{sizeof common, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&common);
        library_ = LoadLibraryW((Directory() + L"jedata.dll").c_str());
        ASSERT_TRUE(library_);
        attach_ = reinterpret_cast<AttachFunction>(
            reinterpret_cast<void*>(GetProcAddress(library_, "SkinH_AttachEx")));
        ASSERT_TRUE(attach_);
        clicks = 0;
    }
    void TearDown() override { Unload(); }
    void Unload() {
        if (library_) FreeLibrary(library_);
        library_ = nullptr;
    }

    int Attach(const std::wstring& path) { return attach_(Narrow(path, CP_UTF8).c_str(), ""); }

    HMODULE library_ = nullptr;
    AttachFunction attach_ = nullptr;
};

TEST_F(SkinEngineTest, DefaultSkinRestylesTheWindowAndKeepsTheLabelColours) {
    const Skin skin = DefaultSkin();
    TestWindow window;
    ASSERT_EQ(window.Background(), GetSysColor(COLOR_BTNFACE));

    ASSERT_EQ(Attach(DefaultSkinPath()), 0);
    Repaint(window.get());
    EXPECT_EQ(window.Background(), Ref(skin.windowBackground));
    EXPECT_EQ(window.ButtonFace(), Ref(skin.buttonFace));
    EXPECT_EQ(window.ButtonCorner(), Ref(skin.buttonBorder));
    EXPECT_EQ(window.HeaderPixel(), Ref(skin.headerBackground));
    EXPECT_EQ(window.RowPixel(0), Ref(skin.listBackground));
    EXPECT_EQ(window.RowPixel(1), Ref(skin.listAlternate));
    EXPECT_EQ(PixelAt(window.Child(kEdit), 80, 3), Ref(skin.editBackground));
    EXPECT_EQ(PixelAt(window.Child(kCheckBox), 70, 1), Ref(skin.windowBackground));

    // The labels: the skin's background behind the colours the window gave them.
    EXPECT_EQ(PixelAt(window.Child(kBlueLabel), 230, 1), Ref(skin.windowBackground));
    EXPECT_EQ(PixelAt(window.Child(kGreenLabel), 300, 1), Ref(skin.windowBackground));
    EXPECT_GT(CountPixels(window.Child(kBlueLabel),
                          [](COLORREF c) {
                              return GetBValue(c) > GetRValue(c) + 60 &&
                                     GetBValue(c) > GetGValue(c) + 60;
                          }),
              20);
    EXPECT_GT(CountPixels(window.Child(kGreenLabel),
                          [](COLORREF c) {
                              return GetGValue(c) > GetRValue(c) + 40 &&
                                     GetGValue(c) > GetBValue(c) + 40;
                          }),
              20);

    // A selected row of the focused list takes the selection colours.
    const HWND list = window.Child(kList);
    SetForegroundWindow(window.get());
    SetFocus(list);
    ListView_SetItemState(list, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Repaint(window.get());
    EXPECT_EQ(window.RowPixel(2), Ref(skin.selectionBackground));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 2);

    // The controls still behave: the button clicks, the check box toggles.
    SendMessageW(window.Child(kButton), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    SendMessageW(window.Child(kCheckBox), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(window.Child(kCheckBox), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SkinEngineTest, BadSkinsFailAndLeaveThePlainLook) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring directory = std::wstring(temp) + L"trovella_skin_test\\";
    CreateDirectoryW(directory.c_str(), nullptr);

    std::mt19937 random(7);
    Bytes noise(4000);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    const Bytes whole = CompleteSkinBytes();
    Bytes wrongMagic = whole;
    wrongMagic[0] = 'X';
    struct Case {
        const wchar_t* name;
        std::optional<Bytes> bytes;  // none: the file is not there
    };
    const Case cases[] = {
        {L"missing.she", std::nullopt},
        {L"empty.she", Bytes{}},
        {L"magic.she", wrongMagic},
        {L"truncated.she",
         Bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2))},
        {L"version.she", SkinBytes(CompleteRecords(), 9)},
        {L"random.she", noise},
        {L"huge.she", Bytes(50 * 1024 * 1024, 0)},
    };

    TestWindow window;
    for (const Case& c : cases) {
        const std::wstring path = directory + c.name;
        DeleteFileW(path.c_str());
        if (c.bytes) {
            std::ofstream(path.c_str(), std::ios::binary)
                .write(reinterpret_cast<const char*>(c.bytes->data()),
                       static_cast<std::streamsize>(c.bytes->size()));
        }
        EXPECT_NE(Attach(path), 0) << c.name;
        DeleteFileW(path.c_str());
    }
    EXPECT_NE(Attach(directory), 0) << "a directory";
    EXPECT_NE(attach_(nullptr, nullptr), 0) << "no path";
    EXPECT_NE(attach_("", nullptr), 0) << "empty path";
    EXPECT_NE(attach_("\xFF\xFE\xFD", nullptr), 0) << "bytes of no file";
    RemoveDirectoryW(directory.c_str());

    Repaint(window.get());
    EXPECT_EQ(window.Background(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(window.RowPixel(1), RGB(255, 255, 255));
    EXPECT_EQ(GetWindowLongW(window.Child(kButton), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(ListView_GetBkColor(window.Child(kList)), RGB(255, 255, 255));
}

// Filled in by the timer that runs inside the message box's own message loop.
struct MessageBoxLook {
    bool seen = false;
    COLORREF background = CLR_INVALID;
    COLORREF buttonFace = CLR_INVALID;
};
MessageBoxLook messageBoxLook;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK LookAtMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, timer);
    Repaint(box);
    const HWND ok = GetDlgItem(box, IDOK);
    messageBoxLook = {true, PixelAt(box, 2, 2), PixelAt(ok, 3, 3)};
    SendMessageW(ok, BM_CLICK, 0, 0);
}

TEST_F(SkinEngineTest, WindowsCreatedAfterTheAttachAreSkinned) {
    const Skin skin = DefaultSkin();
    ASSERT_EQ(Attach(DefaultSkinPath()), 0);

    const TestWindow window;
    EXPECT_EQ(window.Background(), Ref(skin.windowBackground));
    EXPECT_EQ(window.ButtonFace(), Ref(skin.buttonFace));
    EXPECT_EQ(window.RowPixel(1), Ref(skin.listAlternate));

    messageBoxLook = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookAtMessageBox);
    const int answer = MessageBoxW(nullptr, L"歌曲地址已复制。", L"信息：", MB_OK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(answer, IDOK) << "the skinned OK button still closes the box";
    ASSERT_TRUE(messageBoxLook.seen);
    EXPECT_EQ(messageBoxLook.background, Ref(skin.windowBackground));
    EXPECT_EQ(messageBoxLook.buttonFace, Ref(skin.buttonFace));
}

TEST_F(SkinEngineTest, AttachingAgainSwapsTheSkinAndUnloadingRestoresThePlainLook) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring other = std::wstring(temp) + L"trovella_other_skin.she";
    const Bytes bytes = CompleteSkinBytes();
    std::ofstream(other.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    TestWindow window;
    ASSERT_EQ(Attach(DefaultSkinPath()), 0);
    ASSERT_EQ(Attach(other), 0);
    DeleteFileW(other.c_str());
    Repaint(window.get());
    const Bytes background = TestColour(kFirstColourTag);
    EXPECT_EQ(window.Background(), RGB(background[0], background[1], background[2]));
    // A failed attach keeps the skin that is on.
    EXPECT_NE(Attach(other), 0);
    Repaint(window.get());
    EXPECT_EQ(window.Background(), RGB(background[0], background[1], background[2]));

    Unload();
    Repaint(window.get());
    EXPECT_EQ(window.Background(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetWindowLongW(window.Child(kButton), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(ListView_GetBkColor(window.Child(kList)), RGB(255, 255, 255));
    EXPECT_EQ(SendMessageW(window.Child(kButton), WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
    // Nothing of the unloaded engine is left on the windows.
    SendMessageW(window.Child(kButton), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    const TestWindow later;
    EXPECT_EQ(later.Background(), GetSysColor(COLOR_BTNFACE));
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) {
    *reinterpret_cast<bool*>(seen) = true;
    return 0;
}

bool FaceInstalled(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    const HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

TEST_F(SkinEngineTest, TakesTheSkinFontOnlyWhereItShowsAndFitsEveryText) {
    constexpr wchar_t kChineseFace[] = L"WenQuanYi Micro Hei";
    if (!FaceInstalled(kChineseFace)) GTEST_SKIP() << "needs the WenQuanYi Micro Hei font";
    struct Case {
        const char* face;
        std::uint8_t points;
        bool replaced;
    };
    const Case cases[] = {
        {"WenQuanYi Micro Hei", 9, true},
        {"No Such Face", 9, false},          // a stand-in font could lack the Chinese glyphs
        {"WenQuanYi Micro Hei", 30, false},  // the labels' texts would not fit
    };
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"trovella_font_skin.she";
    for (const Case& c : cases) {
        std::vector<Record> records = WithRecord(kFontFaceTag, TextBytes(c.face));
        for (Record& record : records) {
            if (record.tag == kFontSizeTag) record.payload = {c.points};
        }
        const Bytes bytes = SkinBytes(records);
        std::ofstream(path.c_str(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        const TestWindow window;
        ASSERT_EQ(Attach(path), 0) << c.face;
        const LRESULT font = SendMessageW(window.Child(kBlueLabel), WM_GETFONT, 0, 0);
        EXPECT_EQ(font != reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)), c.replaced)
            << c.face << " " << int{c.points};
        // Every control of the window gets the same font.
        EXPECT_EQ(SendMessageW(window.Child(kButton), WM_GETFONT, 0, 0), font) << c.face;
        EXPECT_EQ(SendMessageW(window.Child(kList), WM_GETFONT, 0, 0), font) << c.face;
    }
    DeleteFileW(path.c_str());
}

TEST_F(SkinEngineTest, TakesTheSkinPathInTheAnsiCodePage) {
    if (GetACP() != 936)
        GTEST_SKIP() << "needs the Chinese ANSI code page, this system has " << GetACP();
    EXPECT_EQ(attach_(Narrow(DefaultSkinPath(), CP_ACP).c_str(), nullptr), 0);
}

}  // namespace
