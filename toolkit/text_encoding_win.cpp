#include "toolkit/text_encoding_win.h"

#include <windows.h>

#include <climits>

namespace {

constexpr UINT kGbkCodePage = 936;

// The bytes decoded in the code page; empty when they do not decode (with
// MB_ERR_INVALID_CHARS: when they are not valid in it).
std::wstring DecodeBytes(UINT codePage, DWORD flags, std::string_view bytes) {
    const int byteCount = static_cast<int>(bytes.size());
    const int wideCount = MultiByteToWideChar(codePage, flags, bytes.data(), byteCount, nullptr, 0);
    if (wideCount <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideCount), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), byteCount, wide.data(), wideCount);
    return wide;
}

}  // namespace

std::wstring WideFromText(std::string_view text) {
    // A Text ends at its first zero byte, as the window would read it.
    const std::string_view bytes = UpToFirstZero(text);
    if (bytes.empty() || bytes.size() > INT_MAX) return {};

    std::wstring wide = DecodeBytes(CP_UTF8, MB_ERR_INVALID_CHARS, bytes);
    if (wide.empty()) wide = DecodeBytes(kGbkCodePage, 0, bytes);
    return wide;
}

Text TextFromWide(std::wstring_view wide) {
    wide = wide.substr(0, wide.find(L'\0'));
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int wideCount = static_cast<int>(wide.size());
    const int byteCount =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    if (byteCount <= 0) return {};
    Text text(static_cast<std::size_t>(byteCount), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, text.data(), byteCount, nullptr,
                        nullptr);
    return text;
}
