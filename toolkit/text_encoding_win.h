// The text rule at the window's edge: UTF-8 when valid, else GBK, in; UTF-8 out.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/text.h"

// UTF-16 for the W functions: the bytes as UTF-8 when they are valid UTF-8, otherwise as
// GBK (code page 936), which is what the playlist service sends.
std::wstring WideFromText(std::string_view text);

// UTF-8 bytes of a UTF-16 string.
Text TextFromWide(std::wstring_view wide);
