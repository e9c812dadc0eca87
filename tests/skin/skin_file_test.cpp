#include "skin/engine/skin_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "skin/engine/utf8.h"
#include "tests/skin/skin_bytes.h"

namespace {

std::optional<Skin> Parse(const Bytes& bytes) {
    return ParseSkin(bytes);
}

Rgb AsRgb(const Bytes& colour) {
    return {colour[0], colour[1], colour[2]};
}

// The complete skin padded with an unknown record to exactly the given size.
Bytes PaddedSkin(std::size_t size) {
    std::vector<Record> records = CompleteRecords();
    const std::size_t padding = size - CompleteSkinBytes().size() - 4;
    records.push_back({0x7FFF, Bytes(padding, 0xAB)});
    return SkinBytes(records);
}

}  // namespace

TEST(ParseSkin, ReadsEveryFieldIntoItsOwnMember) {
    const std::optional<Skin> skin = Parse(CompleteSkinBytes());
    ASSERT_TRUE(skin);
    const Rgb Skin::*members[] = {
        &Skin::windowBackground,    &Skin::windowText,     &Skin::buttonFace,
        &Skin::buttonText,          &Skin::buttonBorder,   &Skin::buttonHot,
        &Skin::buttonPressed,       &Skin::editBackground, &Skin::editText,
        &Skin::headerBackground,    &Skin::headerText,     &Skin::listBackground,
        &Skin::listAlternate,       &Skin::listText,       &Skin::listGrid,
        &Skin::selectionBackground, &Skin::selectionText,
    };
    std::uint16_t tag = kFirstColourTag;
    for (const auto member : members) {
        EXPECT_EQ((*skin).*member, AsRgb(TestColour(tag))) << "tag " << tag;
        ++tag;
    }
    EXPECT_EQ(skin->fontFace, "Tahoma");
    EXPECT_EQ(skin->fontPoints, 9);
}

TEST(ParseSkin, TakesRecordsInAnyOrderAndSkipsUnknownTags) {
    std::vector<Record> records = CompleteRecords();
    std::reverse(records.begin(), records.end());
    records.insert(records.begin() + 3, {0x0100, TextBytes("a later field")});
    records.push_back({0x0042, {}});
    const std::optional<Skin> skin = Parse(SkinBytes(records));
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->windowBackground, AsRgb(TestColour(0x0001)));
    EXPECT_EQ(skin->fontFace, "Tahoma");
}

TEST(ParseSkin, AcceptsTheLimitsOfEachField) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"smallest font", SkinBytes(WithRecord(kFontSizeTag, {6}))},
        {"largest font", SkinBytes(WithRecord(kFontSizeTag, {36}))},
        {"31-unit face", SkinBytes(WithRecord(kFontFaceTag, Bytes(31, 'x')))},
        {"Chinese face", SkinBytes(WithRecord(kFontFaceTag, TextBytes("微软雅黑")))},
        {"file of the largest size", PaddedSkin(kMaxSkinFileSize)},
    };
    for (const Case& c : cases) EXPECT_TRUE(Parse(c.bytes)) << c.name;
}

TEST(ParseSkin, RejectsMalformedFiles) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes wrongMagic = CompleteSkinBytes();
    wrongMagic[3] = 'F';
    Bytes wrongGeneration = CompleteSkinBytes();
    wrongGeneration[5] = 0x02;
    Bytes lengthPastEnd = CompleteSkinBytes();
    lengthPastEnd[lengthPastEnd.size() - 3] = 2;  // the font size record claims two bytes
    std::vector<Record> duplicated = CompleteRecords();
    duplicated.push_back({0x0005, TestColour(0x0005)});

    const Case cases[] = {
        {"empty", {}},
        {"magic only", {'.', 'S', 'H', 'E', 0x00, 0x03}},
        {"wrong magic", wrongMagic},
        {"wrong generation byte", wrongGeneration},
        {"version 0", SkinBytes(CompleteRecords(), 0)},
        {"version 2", SkinBytes(CompleteRecords(), 2)},
        {"header without fields", SkinBytes({})},
        {"a colour missing", SkinBytes(WithoutRecord(0x000C))},
        {"font face missing", SkinBytes(WithoutRecord(kFontFaceTag))},
        {"font size missing", SkinBytes(WithoutRecord(kFontSizeTag))},
        {"a field twice", SkinBytes(duplicated)},
        {"colour of two bytes", SkinBytes(WithRecord(0x0001, {1, 2}))},
        {"colour of four bytes", SkinBytes(WithRecord(0x0001, {1, 2, 3, 4}))},
        {"font of 5 points", SkinBytes(WithRecord(kFontSizeTag, {5}))},
        {"font of 37 points", SkinBytes(WithRecord(kFontSizeTag, {37}))},
        {"font of 0 points", SkinBytes(WithRecord(kFontSizeTag, {0}))},
        {"font size of two bytes", SkinBytes(WithRecord(kFontSizeTag, {9, 0}))},
        {"empty face", SkinBytes(WithRecord(kFontFaceTag, {}))},
        {"face with a zero byte", SkinBytes(WithRecord(kFontFaceTag, {'A', 0, 'B'}))},
        {"face not UTF-8", SkinBytes(WithRecord(kFontFaceTag, {0xCE, 0xA2, 0xC8, 0xED}))},
        {"face of 32 units", SkinBytes(WithRecord(kFontFaceTag, Bytes(32, 'x')))},
        {"record header cut",
         [] {
             Bytes b = CompleteSkinBytes();
             b.insert(b.end(), {0x01, 0x00, 0x03});
             return b;
         }()},
        {"payload running past the end", lengthPastEnd},
        {"one byte over the size cap", PaddedSkin(kMaxSkinFileSize + 1)},
        {"50 MB of zeros", Bytes(50 * 1024 * 1024, 0)},
    };
    for (const Case& c : cases) EXPECT_FALSE(Parse(c.bytes)) << c.name;
}

TEST(ParseSkin, RejectsEveryTruncation) {
    const Bytes whole = CompleteSkinBytes();
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_FALSE(Parse(Bytes(whole.begin(), whole.begin() + size))) << size << " bytes";
    }
}

// Mutated skins, as a fuzzer would make them: the parser must never read out of bounds
// (the native build runs with AddressSanitizer) and what it accepts must be in range.
TEST(ParseSkin, SurvivesRandomMutations) {
    std::mt19937 random(20240611);
    const Bytes whole = CompleteSkinBytes();
    for (int round = 0; round < 20000; ++round) {
        Bytes bytes = whole;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int edit = 0; edit < edits && !bytes.empty(); ++edit) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
                case 0:
                    bytes[at] = static_cast<std::uint8_t>(random());
                    break;
                case 1:
                    bytes.erase(bytes.begin() + static_cast<long>(at));
                    break;
                case 2:
                    bytes.insert(bytes.begin() + static_cast<long>(at),
                                 static_cast<std::uint8_t>(random()));
                    break;
                default:
                    bytes.resize(at);
                    break;
            }
        }
        if (const std::optional<Skin> skin = Parse(bytes)) {
            EXPECT_GE(skin->fontPoints, kMinFontPoints);
            EXPECT_LE(skin->fontPoints, kMaxFontPoints);
            EXPECT_TRUE(IsValidUtf8(skin->fontFace));
        }
    }
    std::uniform_int_distribution<int> size(0, 400);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes(static_cast<std::size_t>(size(random)));
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
        EXPECT_FALSE(Parse(bytes));
    }
}

TEST(Utf16Length, CountsUnitsOfValidUtf8AndRefusesTheRest) {
    struct Case {
        std::string bytes;
        std::optional<std::size_t> units;
    };
    const Case cases[] = {
        {"", 0},
        {"Tahoma", 6},
        {"微软雅黑", 4},
        {"\xF0\x9F\x8E\xB5", 2},             // U+1F3B5, a surrogate pair
        {"\xC0\x80", std::nullopt},          // overlong zero
        {"\xE0\x80\xAF", std::nullopt},      // overlong slash
        {"\xED\xA0\x80", std::nullopt},      // a surrogate
        {"\xF4\x90\x80\x80", std::nullopt},  // past U+10FFFF
        {"\xE4\xB8", std::nullopt},          // cut short
        {"\xC4\xE3\xBA\xC3", std::nullopt},  // GBK
        {"\x80", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf16Length(c.bytes), c.units) << c.bytes;
}

// WCAG contrast ratio of two colours.
double Contrast(Rgb a, Rgb b) {
    const auto luminance = [](Rgb c) {
        const auto linear = [](std::uint8_t v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(DefaultSkin, ParsesAndKeepsEveryTextReadable) {
    std::ifstream file(TROVELLA_DEFAULT_SKIN, std::ios::binary);
    ASSERT_TRUE(file) << TROVELLA_DEFAULT_SKIN;
    const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::optional<Skin> skin = Parse(bytes);
    ASSERT_TRUE(skin);

    const Rgb black{0, 0, 0}, blue{0, 0, 255}, green{0, 128, 0};
    struct Pair {
        const char* name;
        Rgb text, background;
    };
    const Pair pairs[] = {
        {"window text", skin->windowText, skin->windowBackground},
        {"black label", black, skin->windowBackground},
        {"blue label", blue, skin->windowBackground},
        {"green label", green, skin->windowBackground},
        {"button", skin->buttonText, skin->buttonFace},
        {"hot button", skin->buttonText, skin->buttonHot},
        {"pressed button", skin->buttonText, skin->buttonPressed},
        {"edit", skin->editText, skin->editBackground},
        {"header", skin->headerText, skin->headerBackground},
        {"row", skin->listText, skin->listBackground},
        {"alternate row", skin->listText, skin->listAlternate},
        {"selection", skin->selectionText, skin->selectionBackground},
    };
    for (const Pair& pair : pairs)
        EXPECT_GE(Contrast(pair.text, pair.background), 4.5) << pair.name;
    // The look must differ from the plain one where it counts.
    EXPECT_NE(skin->windowBackground, (Rgb{240, 240, 240}));
    EXPECT_NE(skin->listAlternate, skin->listBackground);
    EXPECT_NE(skin->selectionBackground, skin->listBackground);
}
