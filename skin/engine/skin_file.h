// The .she skin file: the colours and the font of the look, and the parser that reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Skin {
    Rgb windowBackground;
    Rgb windowText;
    Rgb buttonFace;
    Rgb buttonText;
    Rgb buttonBorder;
    Rgb buttonHot;
    Rgb buttonPressed;
    Rgb editBackground;
    Rgb editText;
    Rgb headerBackground;
    Rgb headerText;
    Rgb listBackground;
    Rgb listAlternate;
    Rgb listText;
    Rgb listGrid;
    Rgb selectionBackground;
    Rgb selectionText;
    std::string fontFace;  // UTF-8
    int fontPoints = 0;
};

// Files larger than this are refused unread; a valid skin is a few hundred bytes.
inline constexpr std::size_t kMaxSkinFileSize = 64 * 1024;
inline constexpr std::uint16_t kSkinLayoutVersion = 1;
inline constexpr int kMinFontPoints = 6;
inline constexpr int kMaxFontPoints = 36;
// LOGFONT's face name holds 31 UTF-16 units and the terminating zero.
inline constexpr std::size_t kMaxFontFaceUnits = 31;

// The skin in the bytes of a .she file, or none when the bytes are not a complete, well-formed
// skin of a layout this reader knows.
std::optional<Skin> ParseSkin(std::span<const std::uint8_t> bytes);
