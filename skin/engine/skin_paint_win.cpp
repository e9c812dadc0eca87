#include "skin/engine/skin_paint_win.h"

#include <commctrl.h>

#include <string>

#include "skin/engine/theme_win.h"

namespace {

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Frame(HDC dc, RECT rect, COLORREF colour, int thickness) {
    for (int i = 0; i < thickness; ++i) {
        FillSolid(dc, {rect.left, rect.top, rect.right, rect.top + 1}, colour);
        FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
        FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
        FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
        InflateRect(&rect, -1, -1);
    }
}

// Keeps the DC's font, colours and background mode as they were.
class DcStateGuard {
public:
    explicit DcStateGuard(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    DcStateGuard(const DcStateGuard&) = delete;
    DcStateGuard& operator=(const DcStateGuard&) = delete;
    ~DcStateGuard() {
        if (saved_) RestoreDC(dc_, saved_);
    }

private:
    HDC dc_;
    int saved_;
};

}  // namespace

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF previous = SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, previous);
}

void DrawFlatButton(const DRAWITEMSTRUCT& item, const Skin& skin, ButtonLook look) {
    const DcStateGuard state(item.hDC);
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    COLORREF face = Colour(skin.buttonFace);
    if (pressed) {
        face = Colour(skin.buttonPressed);
    } else if (look.hot && !disabled) {
        face = Colour(skin.buttonHot);
    }
    RECT rect = item.rcItem;
    FillSolid(item.hDC, rect, face);
    Frame(item.hDC, rect, Colour(skin.buttonBorder), look.isDefault ? 2 : 1);

    if (const auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0))) {
        SelectObject(item.hDC, font);
    }
    SetBkMode(item.hDC, TRANSPARENT);
    const COLORREF text = Colour(skin.buttonText);
    SetTextColor(item.hDC, disabled ? MixColours(text, face) : text);

    const std::wstring caption = WindowText(item.hwndItem);
    RECT textRect = rect;
    InflateRect(&textRect, -4, -2);
    UINT format = DT_CENTER | ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    if (GetWindowLongW(item.hwndItem, GWL_STYLE) & BS_MULTILINE) {
        RECT measured = textRect;
        DrawTextW(item.hDC, caption.c_str(), -1, &measured, format | DT_WORDBREAK | DT_CALCRECT);
        const int spare = (textRect.bottom - textRect.top) - (measured.bottom - measured.top);
        if (spare > 0) textRect.top += spare / 2;
        format |= DT_WORDBREAK;
    } else {
        format |= DT_SINGLELINE | DT_VCENTER;
    }
    DrawTextW(item.hDC, caption.c_str(), -1, &textRect, format);

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&rect, -3, -3);
        SetTextColor(item.hDC, RGB(0, 0, 0));
        SetBkColor(item.hDC, RGB(255, 255, 255));
        DrawFocusRect(item.hDC, &rect);
    }
}

void PaintHeader(HWND header, HDC dc, const Skin& skin) {
    const DcStateGuard state(dc);
    RECT client{};
    GetClientRect(header, &client);
    FillSolid(dc, client, Colour(skin.headerBackground));
    FillSolid(dc, {client.left, client.bottom - 1, client.right, client.bottom},
              Colour(skin.listGrid));

    if (const auto font = reinterpret_cast<HFONT>(SendMessageW(header, WM_GETFONT, 0, 0))) {
        SelectObject(dc, font);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(skin.headerText));
    const int count = Header_GetItemCount(header);
    for (int index = 0; index < count; ++index) {
        RECT rect{};
        if (!Header_GetItemRect(header, index, &rect)) continue;
        wchar_t title[260] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = title;
        item.cchTextMax = static_cast<int>(std::size(title));
        if (!Header_GetItem(header, index, &item)) continue;
        FillSolid(dc, {rect.right - 1, rect.top + 3, rect.right, rect.bottom - 4},
                  Colour(skin.listGrid));
        RECT textRect = rect;
        InflateRect(&textRect, -6, 0);
        UINT align = DT_LEFT;
        if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
        if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
        DrawTextW(dc, title, -1, &textRect,
                  align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

void DrawFlatClientEdge(HWND window, COLORREF border, COLORREF inside) {
    if (!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return;
    const HDC dc = GetWindowDC(window);
    if (!dc) return;
    RECT rect{};
    GetWindowRect(window, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    Frame(dc, rect, border, 1);
    InflateRect(&rect, -1, -1);
    Frame(dc, rect, inside, GetSystemMetrics(SM_CXEDGE) - 1);
    ReleaseDC(window, dc);
}
