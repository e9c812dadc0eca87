#include "skin/engine/skin_file.h"

#include <array>
#include <string_view>

#include "skin/engine/utf8.h"

namespace {

constexpr std::array<std::uint8_t, 6> kMagic = {'.', 'S', 'H', 'E', 0x00, 0x03};
constexpr std::size_t kHeaderSize = kMagic.size() + 2;
constexpr std::size_t kRecordHeaderSize = 4;

struct ColourField {
    std::uint16_t tag;
    Rgb Skin::*member;
};

// Tags are part of the file layout: never renumber them (skin/README.md lists them too).
constexpr std::array<ColourField, 17> kColourFields = {{
    {0x0001, &Skin::windowBackground},
    {0x0002, &Skin::windowText},
    {0x0003, &Skin::buttonFace},
    {0x0004, &Skin::buttonText},
    {0x0005, &Skin::buttonBorder},
    {0x0006, &Skin::buttonHot},
    {0x0007, &Skin::buttonPressed},
    {0x0008, &Skin::editBackground},
    {0x0009, &Skin::editText},
    {0x000A, &Skin::headerBackground},
    {0x000B, &Skin::headerText},
    {0x000C, &Skin::listBackground},
    {0x000D, &Skin::listAlternate},
    {0x000E, &Skin::listText},
    {0x000F, &Skin::listGrid},
    {0x0010, &Skin::selectionBackground},
    {0x0011, &Skin::selectionText},
}};
constexpr std::uint16_t kFontFaceTag = 0x0020;
constexpr std::uint16_t kFontSizeTag = 0x0021;
constexpr std::size_t kFieldCount = kColourFields.size() + 2;

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

bool ReadFontFace(std::span<const std::uint8_t> payload, std::string& face) {
    const std::string_view text(reinterpret_cast<const char*>(payload.data()), payload.size());
    if (text.empty() || text.find('\0') != std::string_view::npos) return false;
    const std::optional<std::size_t> units = Utf16Length(text);
    if (!units || *units > kMaxFontFaceUnits) return false;
    face.assign(text);
    return true;
}

// Reads one known field into the skin; false when its payload is not what the tag needs.
// Unknown tags leave the skin as it is and report nothing.
bool ReadField(std::uint16_t tag, std::span<const std::uint8_t> payload, Skin& skin,
               std::array<bool, kFieldCount>& seen) {
    for (std::size_t i = 0; i < kColourFields.size(); ++i) {
        if (kColourFields[i].tag != tag) continue;
        if (seen[i] || payload.size() != 3) return false;
        seen[i] = true;
        skin.*kColourFields[i].member = Rgb{payload[0], payload[1], payload[2]};
        return true;
    }
    if (tag == kFontFaceTag) {
        bool& fontFaceSeen = seen[kColourFields.size()];
        if (fontFaceSeen || !ReadFontFace(payload, skin.fontFace)) return false;
        fontFaceSeen = true;
        return true;
    }
    if (tag == kFontSizeTag) {
        bool& fontSizeSeen = seen[kColourFields.size() + 1];
        if (fontSizeSeen || payload.size() != 1) return false;
        if (payload[0] < kMinFontPoints || payload[0] > kMaxFontPoints) return false;
        fontSizeSeen = true;
        skin.fontPoints = payload[0];
        return true;
    }
    return true;
}

}  // namespace

std::optional<Skin> ParseSkin(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize || bytes.size() > kMaxSkinFileSize) return std::nullopt;
    for (std::size_t i = 0; i < kMagic.size(); ++i) {
        if (bytes[i] != kMagic[i]) return std::nullopt;
    }
    if (ReadU16(bytes, kMagic.size()) != kSkinLayoutVersion) return std::nullopt;

    Skin skin;
    std::array<bool, kFieldCount> seen{};
    std::size_t at = kHeaderSize;
    while (at < bytes.size()) {
        if (bytes.size() - at < kRecordHeaderSize) return std::nullopt;
        const std::uint16_t tag = ReadU16(bytes, at);
        const std::size_t length = ReadU16(bytes, at + 2);
        at += kRecordHeaderSize;
        if (bytes.size() - at < length) return std::nullopt;
        if (!ReadField(tag, bytes.subspan(at, length), skin, seen)) return std::nullopt;
        at += length;
    }
    for (bool fieldSeen : seen) {
        if (!fieldSeen) return std::nullopt;
    }
    return skin;
}
