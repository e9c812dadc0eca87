#include "toolkit/text.h"

#include <gtest/gtest.h>

#include <limits>

TEST(DecimalText, WritesSignAndDigitsOnly) {
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(7), "7");
    EXPECT_EQ(DecimalText(-42), "-42");
    EXPECT_EQ(DecimalText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(JoinText, ConcatenatesInOrderKeepingEveryByte) {
    EXPECT_EQ(JoinText({}), "");
    EXPECT_EQ(JoinText({"一共搜索到 [", "3", "]首歌曲..."}), "一共搜索到 [3]首歌曲...");
    EXPECT_EQ(JoinText({"\xC4\xE3", "", "\xBA\xC3"}), "\xC4\xE3\xBA\xC3");
}

TEST(UpToFirstZero, CutsAtTheFirstZeroByte) {
    using namespace std::string_view_literals;
    EXPECT_EQ(UpToFirstZero("abc"sv), "abc");
    EXPECT_EQ(UpToFirstZero("ab\0c\0"sv), "ab");
    EXPECT_EQ(UpToFirstZero("\0abc"sv), "");
    EXPECT_EQ(UpToFirstZero(""sv), "");
}
