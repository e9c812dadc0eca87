// The GDI side of a skin: its colours as COLORREFs, and the brushes and font it lends out.
#pragma once

#include <windows.h>

#include <memory>

#include "skin/engine/skin_file.h"
#include "toolkit/win_resource.h"

inline COLORREF Colour(Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// Halfway between two colours: disabled text on a button face.
COLORREF MixColours(COLORREF a, COLORREF b);

struct Theme {
    Skin skin;
    UniqueBrush windowBrush;
    UniqueBrush editBrush;
    UniqueFont font;  // may be empty: the controls then keep their fonts
};

// The theme of a skin; null when its brushes cannot be made.
std::unique_ptr<Theme> MakeTheme(const Skin& skin);
