// Drawing of the parts that the engine paints itself: flat buttons, the list header, edges.
#pragma once

#include <windows.h>

#include "skin/engine/skin_file.h"

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

struct ButtonLook {
    bool hot = false;
    bool isDefault = false;
};

// A push button that the engine made owner-drawn, from its WM_DRAWITEM.
void DrawFlatButton(const DRAWITEMSTRUCT& item, const Skin& skin, ButtonLook look);

// The whole of a header control: background, item texts and separators.
void PaintHeader(HWND header, HDC dc, const Skin& skin);

// Replaces the sunken client edge (WS_EX_CLIENTEDGE) by a thin flat frame.
void DrawFlatClientEdge(HWND window, COLORREF border, COLORREF inside);
