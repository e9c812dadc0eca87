// Reads a skin file named by the path bytes that the engine's caller passes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "skin/engine/skin_file.h"

// UTF-16 of a path given as bytes: UTF-8 when the bytes are valid UTF-8, otherwise the
// system ANSI code page; empty when they are empty or cannot be converted.
std::wstring WidePathFromBytes(std::string_view path);

enum class SkinLoadError { kNone, kUnreadable, kMalformed };

struct SkinLoadResult {
    std::optional<Skin> skin;
    SkinLoadError error = SkinLoadError::kNone;
};

// Reads and parses the file; files larger than kMaxSkinFileSize are refused unread.
SkinLoadResult LoadSkinFile(const std::wstring& path);
