#include "search/song_extraction.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Song = std::pair<std::string, std::string>;  // name, link

std::vector<Song> Songs(std::string_view reply) {
    std::vector<Song> songs;
    for (const SongMatch& match : FindSongMatches(reply)) {
        songs.emplace_back(GroupText(match, reply, 1), GroupText(match, reply, 3));
    }
    return songs;
}

struct ExtractionCase {
    const char* title;
    std::string reply;
    std::vector<Song> songs;
};

void PrintTo(const ExtractionCase& c, std::ostream* out) {
    *out << c.title;
}

class Extraction : public testing::TestWithParam<ExtractionCase> {};

TEST_P(Extraction, FindsTheSongsInOrder) {
    EXPECT_EQ(Songs(GetParam().reply), GetParam().songs);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Replies, Extraction,
    testing::Values(
        ExtractionCase{
            "TwoSongs",
            R"(jsonCallback({code:0,data:{songs:[)"
            R"({xqusic_id:1,xsong_name:"A",xsinger_name:"x",xsong_url:'http://h/a.mp3'},)"
            R"({xqusic_id:2,xsong_name:"B",xsinger_name:"y",xsong_url:'http://h/b.mp3'}]}}))",
            {{"A", "http://h/a.mp3"}, {"B", "http://h/b.mp3"}}},
        ExtractionCase{"LineBreaksBetweenNameAndLink",
                       "xsong_name:\"A\",\r\n\fxsinger_name:\"x\",\nxsong_url:'u'",
                       {{"A", "u"}}},
        ExtractionCase{"LineBreakInsideNameAndLink",
                       "xsong_name:\"A\nB\"xsong_url:'u\r\nv'",
                       {{"A\nB", "u\r\nv"}}},
        ExtractionCase{"UpperCaseFieldNamesDoNotMatch",
                       R"(XSONG_NAME:"A",xsong_url:'u' xsong_name:"B",XSONG_URL:'v')",
                       {}},
        ExtractionCase{"EmptyNameAndEmptyLink", R"(xsong_name:"",xsong_url:'')", {{"", ""}}},
        ExtractionCase{
            "SongWithoutLinkTakesTheNextSongsLink",
            R"({xsong_name:"A",xsong_url:'a'},{xsong_name:"B"},{xsong_name:"C",xsong_url:'c'})",
            {{"A", "a"}, {"B", "c"}}},
        ExtractionCase{"SameSongTwiceIsListedTwice",
                       R"(xsong_name:"A",xsong_url:'a',xsong_name:"A",xsong_url:'a')",
                       {{"A", "a"}, {"A", "a"}}},
        ExtractionCase{"GbkNamesStayAsBytes",
                       "xsong_name:\"\xC4\xE3\xBA\xC3\",xsong_url:'http://h/\xB8\xE8.mp3'",
                       {{"\xC4\xE3\xBA\xC3", "http://h/\xB8\xE8.mp3"}}},
        ExtractionCase{"GbkTrailByteThatLooksLikeAQuoteIsNotSpecial",
                       // 0x5C (backslash) is a valid GBK trail byte; it escapes nothing here.
                       "xsong_name:\"\x95\x5C\",xsong_url:'u'",
                       {{"\x95\x5C", "u"}}},
        ExtractionCase{"ZeroByteEndsTheReply",
                       "xsong_name:\"A\",xsong_url:'a'\0xsong_name:\"B\",xsong_url:'b'"s,
                       {{"A", "a"}}},
        ExtractionCase{"ZeroByteFirst", "\0xsong_name:\"A\",xsong_url:'a'"s, {}},
        ExtractionCase{"EmptyReply", "", {}},
        ExtractionCase{"NoSongs", R"(jsonCallback({code:-1,msg:"no playlist"}))", {}},
        ExtractionCase{"EscapedQuoteCutsTheName",
                       R"(xsong_name:"say \"hi\"",xsong_url:'u')",
                       {{R"(say \)", "u"}}},
        ExtractionCase{"LinkInDoubleQuotesDoesNotMatch", R"(xsong_name:"A",xsong_url:"u")", {}},
        ExtractionCase{"NextSearchStartsAfterTheLinkUsed",
                       // The second name lies inside the first match, so it is skipped.
                       R"(xsong_name:"A" xsong_name:"B" xsong_url:'u' xsong_url:'v')",
                       {{"A", "u"}}},
        ExtractionCase{"ShortestMatchIs25Bytes", R"(xsong_name:""xsong_url:'')", {{"", ""}}}),
    [](const testing::TestParamInfo<ExtractionCase>& param) { return param.param.title; });

TEST(SongMatch, RecordsTheSpansOfEveryGroup) {
    const std::string reply = R"(..xsong_name:"Ab",x,xsong_url:'u'..)";
    const auto matches = FindSongMatches(reply);
    ASSERT_EQ(matches.size(), 1u);
    const auto& g = matches[0].groups;
    EXPECT_EQ(reply.substr(g[0].offset, g[0].length), R"(xsong_name:"Ab",x,xsong_url:'u')");
    EXPECT_EQ(GroupText(matches[0], reply, 2), ",x,");
    for (const SongSpan& span : g) EXPECT_TRUE(span.matched);
    EXPECT_EQ(GroupText(matches[0], reply, 4), "");
    EXPECT_EQ(GroupText(matches[0], reply, -1), "");
}

TEST(SongMatch, AnEmptyGroupGivesTheEmptyText) {
    const std::string reply = R"(xsong_name:""xsong_url:'')";
    const auto matches = FindSongMatches(reply);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].groups[1].length, 0u);
    EXPECT_EQ(GroupText(matches[0], reply, 1), "");
    EXPECT_EQ(GroupText(matches[0], reply, 2), "");
}

TEST(SongMatch, PatternIsTheFortyCharacterEntry) {
    EXPECT_EQ(SongEntryPattern.size(), 40u);
}

// A reply the engine gives up on part-way keeps the songs found before that point.
TEST(SongMatch, EngineGivingUpKeepsEarlierSongs) {
    std::string reply = R"(xsong_name:"A",xsong_url:'a',xsong_name:"B",xsong_url:'b',)";
    for (int i = 0; i < 100; ++i) reply += R"(xsong_name:"n",)";
    const auto songs = Songs(reply);
    ASSERT_GE(songs.size(), 2u);
    EXPECT_EQ(songs[0], Song("A", "a"));
    EXPECT_EQ(songs[1], Song("B", "b"));
}

}  // namespace
