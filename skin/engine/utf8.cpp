#include "skin/engine/utf8.h"

#include <cstdint>

namespace {

// Decodes the sequence at bytes[i]; returns its length, or 0 when it is malformed.
std::size_t DecodeOne(std::string_view bytes, std::size_t i, char32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}

}  // namespace

std::optional<std::size_t> Utf16Length(std::string_view bytes) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeOne(bytes, i, codePoint);
        if (length == 0) return std::nullopt;
        units += codePoint >= 0x10000 ? 2 : 1;
        i += length;
    }
    return units;
}

bool IsValidUtf8(std::string_view bytes) {
    return Utf16Length(bytes).has_value();
}
