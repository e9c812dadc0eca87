// FindSongMatches against the hand-written matcher and the plain Boost loop, over replies
// shaped every way a reply can go wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/song_extraction.h"
#include "tests/native/extraction_references.h"

namespace {

using namespace std::string_literals;

std::string Repeat(const std::string& piece, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += piece;
    return text;
}

const std::string kSong = R"({xsong_name:"A",xsinger_name:"s",xsong_url:'http://h/a.mp3'},)";
const std::string kNameOnly = R"({xsong_name:"A",xsinger_name:"s"},)";
const std::string kDoubleQuotedLink =
    R"({xsong_name:"A",xsinger_name:"s",xsong_url:"http://h/a"},)";

// Above this size the plain loop takes seconds (under the sanitizers) on a reply shaped
// wrong before it gives up, so only the hand-written matcher checks the large replies.
constexpr std::size_t kPlainLoopLimit = 2048;

struct Reply {
    const char* title;
    std::string text;
    std::size_t songs;  // the count a reader of the reply expects, as a check on both
};

void PrintTo(const Reply& reply, std::ostream* out) {
    *out << reply.title << " (" << reply.text.size() << " bytes)";
}

class Differential : public testing::TestWithParam<Reply> {};

TEST_P(Differential, SameMatchesAsTheReferences) {
    const std::string& text = GetParam().text;
    const std::vector<SongMatch> found = FindSongMatches(text);
    EXPECT_EQ(found.size(), GetParam().songs);
    EXPECT_EQ(found, ReferenceSongMatches(text));
    if (text.size() <= kPlainLoopLimit) {
        // Even where Boost gives up, it does so only on a search that has no match left.
        const PlainLoopResult plain = PlainLoopSongMatches(text);
        EXPECT_EQ(found, plain.matches) << "plain loop gave up: " << plain.gaveUp;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Differential,
    testing::Values(
        Reply{"ThreeSongs", kSong + kSong + kSong, 3},
        Reply{"NameInsideName", R"(xsong_name:"A xsong_name:"B" xsong_url:'u')", 1},
        Reply{"NameFieldRepeatedInsideNames",
              R"(xsong_name:"xsong_name:"xsong_name:""xsong_url:'a'xsong_name:"B"xsong_url:'b')",
              2},
        Reply{"LinkFieldInsideName", R"(xsong_name:"xsong_url:'x'"xsong_url:'u')", 1},
        Reply{"LinkFieldInsideLink", R"(xsong_name:"A"xsong_url:'xsong_url:'u')", 1},
        Reply{"SecondNameInsideFirstMatchIsSkipped",
              R"(xsong_name:"A" xsong_name:"B" xsong_url:'u' xsong_url:'v')", 1},
        Reply{"EscapedQuotesInNames", R"(xsong_name:"a \"b\" c",xsong_url:'u')", 1},
        Reply{"ApostrophesInNames", R"(xsong_name:"it's",xsong_url:'u')", 1},
        Reply{"LinkFieldsBeforeNames",
              R"(xsong_url:'a',xsong_name:"A",xsong_url:'b',xsong_url:'c',xsong_name:"B")", 1},
        Reply{"LinkFieldOnlyOpened", R"(xsong_name:"A",xsong_url:')", 0},
        Reply{"LastLinkWithoutClosingApostrophe",
              R"(xsong_name:"A",xsong_url:'a',xsong_name:"B",xsong_url:'b)", 1},
        Reply{"LinkWithoutApostropheBorrowsTheNextOne",
              R"(xsong_name:"A",xsong_url:'a,xsong_name:"B",xsong_url:'b')", 1},
        Reply{"NameNeverClosed", R"(xsong_name:"A,xsong_url:'a')", 0},
        Reply{"NameFieldOpenedByTheLastByte", R"(xsong_url:'a'xsong_name:")", 0},
        Reply{"LinksInDoubleQuotes", kDoubleQuotedLink + kDoubleQuotedLink, 0},
        Reply{"OneGoodLinkAfterDoubleQuotedOnes", kDoubleQuotedLink + kDoubleQuotedLink + kSong, 1},
        Reply{"FieldNamesCutShort", R"(xsong_name:xsong_name"xsong_url'xsong_url:'a')", 0},
        Reply{"ShortestMatches", R"(xsong_name:""xsong_url:''xsong_name:""xsong_url:'')", 2},
        Reply{"ZeroByteInsideTheSecondSong", kSong + "{xsong_name:\"A\0\",xsong_url:'u'}"s, 1},
        Reply{"ZeroByteInsideAWindow", "xsong_name:\"A\",\0xsong_url:'u'"s, 0},
        Reply{"GbkBytes",
              "xsong_name:\"\xC4\xE3\x5C\",xsinger_name:\"\xB8\xE8\","
              "xsong_url:'http://h/\xA1\xA2\x5C.mp3',xsong_name:\"\x81\x40\",xsong_url:'\xFE\xFE'",
              2},
        Reply{"HighBytesEverywhere", Repeat("\xFF\x80\x22\x27\x81", 200) + kSong, 1},
        Reply{"NamesWithoutLinks2KB", Repeat(kNameOnly, kPlainLoopLimit - 100), 0},
        Reply{"SongsThenNamesWithoutLinks2KB",
              kSong + kSong + Repeat(kNameOnly, kPlainLoopLimit - 300), 2},
        Reply{"NamesWithoutLinks100KB", Repeat(kNameOnly, 100'000), 0},
        Reply{"LinksInDoubleQuotes100KB", Repeat(kDoubleQuotedLink, 100'000), 0},
        Reply{"SongsThenNamesWithoutLinks100KB", kSong + kSong + Repeat(kNameOnly, 100'000), 2},
        Reply{"NamesWithoutLinksThenOneLink100KB", Repeat(kNameOnly, 100'000) + R"(xsong_url:'u')",
              1},
        Reply{"ManySongs100KB", Repeat(kSong, 100'000),
              (100'000 + kSong.size() - 1) / kSong.size()},
        Reply{"OneSongSpanning1MB",
              "xsong_name:\"" + std::string(300'000, 'n') + "\"" + std::string(300'000, '-') +
                  "xsong_url:'" + std::string(400'000, 'u') + "'",
              1}),
    [](const testing::TestParamInfo<Reply>& param) { return param.param.title; });

// The table above reaches the plain loop's giving up: after the last song, Boost works on a
// search that has no match left until it throws, and the songs before stand.
TEST(PlainLoop, GivesUpAfterTheLastSongOnly) {
    const std::string reply = kSong + kSong + Repeat(kNameOnly, kPlainLoopLimit - 200);
    const PlainLoopResult plain = PlainLoopSongMatches(reply);
    EXPECT_TRUE(plain.gaveUp);
    EXPECT_EQ(plain.matches, FindSongMatches(reply));
}

}  // namespace
