#include "toolkit/text.h"

#include <charconv>

Text JoinText(std::initializer_list<std::string_view> pieces) {
    std::size_t length = 0;
    for (std::string_view piece : pieces) length += piece.size();
    Text joined;
    joined.reserve(length);
    for (std::string_view piece : pieces) joined.append(piece);
    return joined;
}

Text DecimalText(std::int64_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    return Text(digits, result.ptr);
}

std::string_view UpToFirstZero(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}
