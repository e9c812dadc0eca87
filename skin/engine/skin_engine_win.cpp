#include "skin/engine/skin_engine_win.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "skin/engine/skin_loader_win.h"
#include "skin/engine/skin_paint_win.h"
#include "skin/engine/theme_win.h"
#include "toolkit/win_resource.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x4A45;
// Longest path the wide file functions take.
constexpr std::size_t kMaxPathBytes = 32767 * 3;

enum class Role {
    kPending,  // created after the attach, not yet through WM_CREATE
    kSurface,  // top-level window, dialog or container: background, control colours, owner draw
    kButton,   // push button turned owner-drawn
    kEdit,
    kList,
    kHeader,
    kPlain,  // static text, check box and the like: the font only
};

struct WindowRecord {
    Role role = Role::kPending;
    bool hot = false;
    bool wasDefaultButton = false;
    bool fontReplaced = false;
    HFONT originalFont = nullptr;
    // A list's own colours: background, text background, text.
    COLORREF listColours[3] = {};
};

struct Engine {
    DWORD threadId = 0;
    std::unique_ptr<Theme> theme;
    UniqueHook hook;
    std::unordered_map<HWND, WindowRecord> windows;
};

Engine* engine = nullptr;

LRESULT CALLBACK SkinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR);

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

bool IsClass(const std::wstring& name, const wchar_t* expected) {
    return lstrcmpiW(name.c_str(), expected) == 0;
}

// Windows of the program's own classes (their window procedure is in the executable) and
// dialogs get the skin's background; other modules' windows (tool tips, IME) are left alone.
bool IsSurfaceClass(HWND window, const std::wstring& name) {
    if (IsClass(name, L"#32770")) return true;
    const auto procedure = reinterpret_cast<LPCWSTR>(GetClassLongPtrW(window, GCLP_WNDPROC));
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              procedure, &module) &&
           module == GetModuleHandleW(nullptr);
}

WindowRecord* Find(HWND window) {
    if (!engine) return nullptr;
    const auto found = engine->windows.find(window);
    return found == engine->windows.end() ? nullptr : &found->second;
}

bool Track(HWND window, Role role) {
    if (Find(window)) return false;
    try {
        engine->windows[window].role = role;
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (SetWindowSubclass(window, SkinProc, kSubclassId, 0)) return true;
    engine->windows.erase(window);
    return false;
}

void SetButtonType(HWND button, LONG type) {
    const LONG style = GetWindowLongW(button, GWL_STYLE);
    SendMessageW(button, BM_SETSTYLE, static_cast<WPARAM>((style & ~BS_TYPEMASK) | type), TRUE);
}

void SetListColours(HWND list, const Skin& skin) {
    ListView_SetBkColor(list, Colour(skin.listBackground));
    ListView_SetTextBkColor(list, Colour(skin.listBackground));
    ListView_SetTextColor(list, Colour(skin.listText));
}

// Gives a child window of a skinned window its role; windows of unknown classes stay plain.
void SkinChild(HWND child) {
    WindowRecord* record = Find(child);
    if (record && record->role != Role::kPending) return;
    const std::wstring name = ClassName(child);
    Role role = Role::kPlain;
    if (IsClass(name, L"Button")) {
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) role = Role::kButton;
    } else if (IsClass(name, L"Edit")) {
        role = Role::kEdit;
    } else if (IsClass(name, WC_LISTVIEWW)) {
        role = Role::kList;
    } else if (IsClass(name, WC_HEADERW)) {
        role = Role::kHeader;
    } else if (IsSurfaceClass(child, name)) {
        role = Role::kSurface;
    } else if (!IsClass(name, L"Static")) {
        if (record) {
            RemoveWindowSubclass(child, SkinProc, kSubclassId);
            engine->windows.erase(child);
        }
        return;
    }
    if (!record) {
        if (!Track(child, role)) return;
        record = Find(child);
    }
    record->role = role;
    if (role == Role::kButton) {
        record->wasDefaultButton =
            (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        // Our own BM_SETSTYLE handler keeps the owner-drawn type.
        SetButtonType(child, BS_OWNERDRAW);
    } else if (role == Role::kList) {
        record->listColours[0] = ListView_GetBkColor(child);
        record->listColours[1] = ListView_GetTextBkColor(child);
        record->listColours[2] = ListView_GetTextColor(child);
        SetListColours(child, engine->theme->skin);
        if (const HWND header = ListView_GetHeader(child)) SkinChild(header);
    }
}

BOOL CALLBACK SkinChildCallback(HWND child, LPARAM) {
    SkinChild(child);
    return TRUE;
}

// --- fonts -------------------------------------------------------------------------------

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The room a control gives its text, and whether the text may wrap there.
struct TextRoom {
    SIZE size;
    bool wraps;
};

TextRoom RoomFor(HWND control, Role role) {
    RECT client{};
    GetClientRect(control, &client);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    TextRoom room{{client.right - client.left, client.bottom - client.top}, false};
    if (role == Role::kButton) {
        room.size.cx -= 8;
        room.wraps = style & BS_MULTILINE;
    } else if (role == Role::kEdit) {
        room.size.cx = LONG_MAX;  // a single-line edit scrolls; only the height counts
    } else if (IsClass(ClassName(control), L"Button")) {
        room.size.cx -= GetSystemMetrics(SM_CXMENUCHECK) + 6;
        room.wraps = style & BS_MULTILINE;
    } else {
        const LONG type = style & SS_TYPEMASK;
        room.wraps =
            (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && !(style & SS_CENTERIMAGE);
    }
    return room;
}

SIZE MeasureText(HDC dc, HFONT font, const std::wstring& text, const TextRoom& room) {
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT rect{0, 0, room.wraps ? room.size.cx : 0, 0};
    DrawTextW(dc, text.c_str(), -1, &rect,
              DT_CALCRECT | DT_NOPREFIX | (room.wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// True when the system gave the face the skin asked for, rather than a stand-in.
bool HasRequestedFace(HDC dc, HFONT font) {
    LOGFONTW requested{};
    if (!GetObjectW(font, sizeof requested, &requested)) return false;
    const HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    const bool same =
        GetTextFaceW(dc, LF_FACESIZE, face) > 0 && lstrcmpiW(face, requested.lfFaceName) == 0;
    SelectObject(dc, previous);
    return same;
}

bool HasEveryGlyph(HDC dc, HFONT font, const std::wstring& text) {
    std::vector<WORD> glyphs(text.size());
    const HGDIOBJ previous = SelectObject(dc, font);
    const DWORD converted = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                                             glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, previous);
    if (converted == GDI_ERROR) return false;
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF) return false;
    }
    return true;
}

// True when the new font shows the control's text and it fits, or takes no more room than before.
bool TextFits(HWND control, Role role, HFONT newFont, HFONT oldFont, HDC dc) {
    std::wstring text = WindowText(control);
    if (!HasEveryGlyph(dc, newFont, text)) return false;
    if (text.empty()) text = L"Ag";  // an empty edit or label still needs the line height
    const TextRoom room = RoomFor(control, role);
    const SIZE now = MeasureText(dc, newFont, text, room);
    if (now.cx <= room.size.cx && now.cy <= room.size.cy) return true;
    const SIZE before = MeasureText(dc, oldFont, text, room);
    return now.cx <= before.cx && now.cy <= before.cy;
}

bool TakesFont(Role role) {
    return role == Role::kButton || role == Role::kEdit || role == Role::kList ||
           role == Role::kPlain;
}

BOOL CALLBACK CollectFontTakers(HWND child, LPARAM controls) {
    const WindowRecord* record = Find(child);
    if (record && TakesFont(record->role))
        reinterpret_cast<std::vector<HWND>*>(controls)->push_back(child);
    return TRUE;
}

// Puts the skin's font on the controls of a top-level window when every text still fits,
// and the controls' own fonts back otherwise.
void ApplyFont(HWND topLevel) {
    std::vector<HWND> controls;
    EnumChildWindows(topLevel, CollectFontTakers, reinterpret_cast<LPARAM>(&controls));
    const HFONT skinFont = engine->theme->font.get();
    const HDC dc = GetDC(topLevel);
    if (!dc) return;
    bool fits = skinFont && HasRequestedFace(dc, skinFont);
    for (HWND control : controls) {
        if (!fits) break;
        WindowRecord& record = *Find(control);
        if (!record.fontReplaced)
            record.originalFont = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        const HFONT oldFont = record.originalFont ? record.originalFont
                                                  : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        if (record.role != Role::kList)
            fits = TextFits(control, record.role, skinFont, oldFont, dc);
    }
    ReleaseDC(topLevel, dc);
    for (HWND control : controls) {
        WindowRecord& record = *Find(control);
        if (fits) {
            record.fontReplaced = true;
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(skinFont), TRUE);
        } else if (record.fontReplaced) {
            record.fontReplaced = false;
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(record.originalFont), TRUE);
        }
    }
}

// --- painting ----------------------------------------------------------------------------

bool HasFocus(HWND window) {
    const HWND focus = GetFocus();
    return focus && (focus == window || IsChild(window, focus));
}

LRESULT ListCustomDraw(HWND list, NMLVCUSTOMDRAW& draw, const Skin& skin) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const int item = static_cast<int>(draw.nmcd.dwItemSpec);
            const bool selected = ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED;
            const bool shown =
                HasFocus(list) || (GetWindowLongW(list, GWL_STYLE) & LVS_SHOWSELALWAYS);
            // The list would paint its own highlight over ours.
            draw.nmcd.uItemState &= ~CDIS_SELECTED;
            if (selected && shown) {
                draw.clrText = Colour(skin.selectionText);
                draw.clrTextBk = Colour(skin.selectionBackground);
            } else {
                draw.clrText = Colour(skin.listText);
                draw.clrTextBk = Colour(item % 2 ? skin.listAlternate : skin.listBackground);
            }
            return draw.nmcd.dwDrawStage & CDDS_SUBITEM ? CDRF_DODEFAULT : CDRF_NOTIFYSUBITEMDRAW;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

LRESULT SurfaceMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       const Theme& theme) {
    const Skin& skin = theme.skin;
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, theme.windowBrush.get());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG: {
            // The window picks the text colour (the labels' black, blue and green); the skin
            // gives only the background. A dialog's default text colour takes the skin's.
            DefSubclassProc(window, message, wParam, lParam);
            const HDC dc = reinterpret_cast<HDC>(wParam);
            if (IsClass(ClassName(window), L"#32770") &&
                GetTextColor(dc) == GetSysColor(COLOR_WINDOWTEXT)) {
                SetTextColor(dc, Colour(skin.windowText));
            }
            SetBkColor(dc, Colour(skin.windowBackground));
            return reinterpret_cast<LRESULT>(theme.windowBrush.get());
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            DefSubclassProc(window, message, wParam, lParam);
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, Colour(skin.editText));
            SetBkColor(dc, Colour(skin.editBackground));
            return reinterpret_cast<LRESULT>(theme.editBrush.get());
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const WindowRecord* button = item.CtlType == ODT_BUTTON ? Find(item.hwndItem) : nullptr;
            if (!button || button->role != Role::kButton) break;
            DrawFlatButton(item, skin, {button->hot, button->wasDefaultButton});
            return TRUE;
        }
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            const WindowRecord* list = Find(header.hwndFrom);
            if (header.code != NM_CUSTOMDRAW || !list || list->role != Role::kList) break;
            return ListCustomDraw(header.hwndFrom, *reinterpret_cast<NMLVCUSTOMDRAW*>(lParam),
                                  skin);
        }
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT ButtonMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            if (WindowRecord* record = Find(window); record && !record->hot) {
                record->hot = true;
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
                TrackMouseEvent(&track);
                InvalidateRect(window, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            if (WindowRecord* record = Find(window)) record->hot = false;
            InvalidateRect(window, nullptr, FALSE);
            break;
        case WM_GETDLGCODE: {
            // The dialog manager still sees the push button it had, so Enter and the default
            // button behave as before.
            const WindowRecord* record = Find(window);
            LRESULT code = DefSubclassProc(window, message, wParam, lParam);
            code &= ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
            return code | DLGC_BUTTON |
                   (record && record->wasDefaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        }
        case BM_SETSTYLE: {
            const LONG type = static_cast<LONG>(wParam & BS_TYPEMASK);
            if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) break;
            if (WindowRecord* record = Find(window))
                record->wasDefaultButton = type == BS_DEFPUSHBUTTON;
            const LRESULT result =
                DefSubclassProc(window, message, (wParam & ~BS_TYPEMASK) | BS_OWNERDRAW, lParam);
            if (lParam) InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT HeaderMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Skin& skin) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (const HDC dc = BeginPaint(window, &paint)) {
                PaintHeader(window, dc, skin);
                EndPaint(window, &paint);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintHeader(window, reinterpret_cast<HDC>(wParam), skin);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEMOVE:
        case WM_MOUSELEAVE:
        case WM_CAPTURECHANGED: {
            // The header draws pressed and hot items straight to the screen; paint over them.
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        default:
            return DefSubclassProc(window, message, wParam, lParam);
    }
}

// Edits and lists: a flat frame that takes the selection colour while the control has the focus.
LRESULT FramedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Skin& skin,
                      Role role) {
    switch (message) {
        case WM_NCPAINT: {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            const COLORREF border =
                Colour(HasFocus(window) ? skin.selectionBackground : skin.buttonBorder);
            DrawFlatClientEdge(
                window, border,
                Colour(role == Role::kEdit ? skin.editBackground : skin.listBackground));
            return result;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
            RedrawWindow(window, nullptr, nullptr,
                         RDW_FRAME | RDW_INVALIDATE | (role == Role::kList ? RDW_ERASE : 0));
            return result;
        }
        default:
            return DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK SkinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    const WindowRecord* record = Find(window);
    if (!record || !engine->theme) return DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SkinProc, kSubclassId);
        engine->windows.erase(window);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    const Theme& theme = *engine->theme;
    switch (record->role) {
        case Role::kPending:
            if (message == WM_CREATE) {
                const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
                if (result != -1) SkinChild(window);
                return result;
            }
            break;
        case Role::kSurface:
            return SurfaceMessage(window, message, wParam, lParam, theme);
        case Role::kButton:
            return ButtonMessage(window, message, wParam, lParam);
        case Role::kHeader:
            return HeaderMessage(window, message, wParam, lParam, theme.skin);
        case Role::kEdit:
        case Role::kList:
            return FramedMessage(window, message, wParam, lParam, theme.skin, record->role);
        case Role::kPlain:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// --- windows present and future ----------------------------------------------------------

void SkinTopLevel(HWND window) {
    const WindowRecord* record = Find(window);
    if (!record) {
        if (!IsSurfaceClass(window, ClassName(window)) || !Track(window, Role::kSurface)) return;
    } else if (record->role != Role::kSurface) {
        return;
    }
    EnumChildWindows(window, SkinChildCallback, 0);
    ApplyFont(window);
    for (const auto& [child, childRecord] : engine->windows) {
        if (childRecord.role == Role::kList && IsChild(window, child))
            SetListColours(child, engine->theme->skin);
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

BOOL CALLBACK SkinTopLevelCallback(HWND window, LPARAM) {
    SkinTopLevel(window);
    return TRUE;
}

// Windows created after the attach: skinned top-level windows and the children of skinned
// windows are subclassed before their first message; children get their role after WM_CREATE,
// when their style and text are in place. Fonts stay as their creator sets them.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && engine && engine->theme) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        const CREATESTRUCTW& create = *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (create.style & WS_CHILD) {
            if (create.hwndParent && Find(create.hwndParent)) {
                if (IsSurfaceClass(window, ClassName(window))) {
                    Track(window, Role::kSurface);
                } else {
                    Track(window, Role::kPending);
                }
            }
        } else if (IsSurfaceClass(window, ClassName(window))) {
            Track(window, Role::kSurface);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int LoadTheme(const char* skinPath, std::unique_ptr<Theme>& theme) {
    if (!skinPath) return kBadPathArgument;
    const std::size_t length = strnlen(skinPath, kMaxPathBytes + 1);
    if (length == 0 || length > kMaxPathBytes) return kBadPathArgument;
    const std::wstring path = WidePathFromBytes(std::string_view(skinPath, length));
    if (path.empty()) return kBadPathArgument;
    const SkinLoadResult loaded = LoadSkinFile(path);
    if (loaded.error == SkinLoadError::kUnreadable) return kSkinUnreadable;
    if (!loaded.skin) return kSkinMalformed;
    theme = MakeTheme(*loaded.skin);
    return theme ? kAttached : kNoResources;
}

}  // namespace

int AttachSkin(const char* skinPath) {
    const DWORD thread = GetCurrentThreadId();
    if (engine && engine->threadId != thread) return kOtherThread;
    std::unique_ptr<Theme> theme;
    if (const int result = LoadTheme(skinPath, theme); result != kAttached) return result;

    if (!engine) {
        auto fresh = std::make_unique<Engine>();
        fresh->threadId = thread;
        fresh->hook.reset(SetWindowsHookExW(WH_CBT, CreationHook, nullptr, thread));
        if (!fresh->hook) return kNoResources;
        engine = fresh.release();
    }
    // The old theme's font may still be on controls until the new one has replaced it.
    const std::unique_ptr<Theme> previous = std::exchange(engine->theme, std::move(theme));
    EnumThreadWindows(thread, SkinTopLevelCallback, 0);
    return kAttached;
}

void DetachSkin(bool processEnding) {
    if (!engine) return;
    std::unique_ptr<Engine> owned(std::exchange(engine, nullptr));
    owned->hook.reset();
    if (processEnding || owned->threadId != GetCurrentThreadId()) return;
    for (const auto& [window, record] : owned->windows) {
        if (!IsWindow(window)) continue;
        RemoveWindowSubclass(window, SkinProc, kSubclassId);
        if (record.role == Role::kButton)
            SetButtonType(window, record.wasDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (record.role == Role::kList) {
            ListView_SetBkColor(window, record.listColours[0]);
            ListView_SetTextBkColor(window, record.listColours[1]);
            ListView_SetTextColor(window, record.listColours[2]);
        }
        if (record.fontReplaced)
            SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(record.originalFont), TRUE);
        if (GetAncestor(window, GA_ROOT) == window) {
            RedrawWindow(window, nullptr, nullptr,
                         RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
        }
    }
}
