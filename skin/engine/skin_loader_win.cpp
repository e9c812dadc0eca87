#include "skin/engine/skin_loader_win.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/engine/utf8.h"
#include "toolkit/win_resource.h"

namespace {

std::wstring Widen(std::string_view bytes, UINT codePage) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return {};
    const int size = static_cast<int>(bytes.size());
    const int length =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

std::wstring WidePathFromBytes(std::string_view path) {
    // A GBK name is almost never valid UTF-8, so trying UTF-8 first does not misread ANSI names.
    return Widen(path, IsValidUtf8(path) ? CP_UTF8 : CP_ACP);
}

SkinLoadResult LoadSkinFile(const std::wstring& path) {
    if (path.empty()) return {std::nullopt, SkinLoadError::kUnreadable};
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Only disk files: a pipe or a device could keep the caller waiting for ever.
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) {
        return {std::nullopt, SkinLoadError::kUnreadable};
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        return {std::nullopt, SkinLoadError::kUnreadable};
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxSkinFileSize) {
        return {std::nullopt, SkinLoadError::kMalformed};
    }

    // One byte more than the cap, so a file that grew since GetFileSizeEx is still caught.
    std::vector<std::uint8_t> bytes(kMaxSkinFileSize + 1);
    std::size_t total = 0;
    for (;;) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(bytes.size() - total);
        if (!ReadFile(file.get(), bytes.data() + total, wanted, &read, nullptr)) {
            return {std::nullopt, SkinLoadError::kUnreadable};
        }
        if (read == 0) break;
        total += read;
        if (total == bytes.size()) break;
    }
    bytes.resize(total);
    std::optional<Skin> skin = ParseSkin(bytes);
    if (!skin) return {std::nullopt, SkinLoadError::kMalformed};
    return {std::move(skin), SkinLoadError::kNone};
}
