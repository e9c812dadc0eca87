#include "skin/engine/theme_win.h"

#include <string>

COLORREF MixColours(COLORREF a, COLORREF b) {
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
               (GetBValue(a) + GetBValue(b)) / 2);
}

namespace {

HFONT MakeFont(const Skin& skin) {
    LOGFONTW logFont{};
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, skin.fontFace.data(),
                                           static_cast<int>(skin.fontFace.size()),
                                           logFont.lfFaceName, LF_FACESIZE - 1);
    if (length <= 0) return nullptr;
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    logFont.lfHeight = -MulDiv(skin.fontPoints, dpi, 72);
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = DEFAULT_QUALITY;
    return CreateFontIndirectW(&logFont);
}

}  // namespace

std::unique_ptr<Theme> MakeTheme(const Skin& skin) {
    auto theme = std::make_unique<Theme>();
    theme->skin = skin;
    theme->windowBrush.reset(CreateSolidBrush(Colour(skin.windowBackground)));
    theme->editBrush.reset(CreateSolidBrush(Colour(skin.editBackground)));
    if (!theme->windowBrush || !theme->editBrush) return nullptr;
    theme->font.reset(MakeFont(skin));
    return theme;
}
