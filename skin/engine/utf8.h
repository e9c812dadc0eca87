// UTF-8 checks for texts that come from outside: skin files and path arguments.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The number of UTF-16 code units the text takes; none when it is not valid UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view bytes);
