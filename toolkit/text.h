// Text: the program's byte strings, and the two helpers the logic needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A byte string as the window and the service hand it over. "No text" is the empty text.
using Text = std::string;

// The concatenation of the pieces, in order.
Text JoinText(std::initializer_list<std::string_view> pieces);

// The number in decimal: a minus sign when negative, no leading zeros or spaces.
Text DecimalText(std::int64_t number);

// The bytes before the first zero byte, or all of them when there is none.
std::string_view UpToFirstZero(std::string_view bytes);
