// The text rule at the window's edge: UTF-8 when valid, else GBK, in; UTF-8 out.
#include "toolkit/text_encoding_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

struct IncomingCase {
    const char* name;
    std::string bytes;
    std::wstring wide;
};

TEST(TextEncoding, WideFromTextTakesUtf8ElseGbk) {
    const IncomingCase cases[] = {
        {"empty", "", L""},
        {"ASCII", "12345678", L"12345678"},
        {"UTF-8 Chinese", "歌曲名称", L"歌曲名称"},
        {"UTF-8 outside the BMP", "\xF0\x9F\x8E\xB5", L"\U0001F3B5"},
        {"GBK Chinese", "\xD6\xD0\xCE\xC4", L"中文"},
        {"GBK mixed with ASCII", "QQ\xBA\xC5\xC2\xEB: 1", L"QQ号码: 1"},
        {"ends at its first zero byte", "ab\0cd"s, L"ab"},
        {"zero byte first", "\0abc"s, L""},
        {"GBK before a zero byte", "\xD6\xD0\0\xFF"s, L"中"},
    };
    for (const IncomingCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WideFromText(c.bytes), c.wide);
    }
}

struct OutgoingCase {
    const char* name;
    std::wstring wide;
    std::string bytes;
};

TEST(TextEncoding, TextFromWideGivesUtf8) {
    const OutgoingCase cases[] = {
        {"empty", L"", ""},
        {"ASCII", L"http://a/b.mp3", "http://a/b.mp3"},
        {"Chinese", L"信息：", "信息："},
        {"outside the BMP", L"\U0001F3B5", "\xF0\x9F\x8E\xB5"},
        {"ends at its first zero", L"ab\0cd"s, "ab"},
    };
    for (const OutgoingCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextFromWide(c.wide), c.bytes);
    }
}

}  // namespace
