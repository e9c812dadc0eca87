// FetchUrlText through the system's request component against the fake playlist service
// (tests/fake_service), which with_fake_service.py puts behind http_proxy.
#include "search/fetch_url_text_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kPlaylistUrl =
    "http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=";

Text PlaylistUrlFor(std::string_view account) {
    return Text(kPlaylistUrl) + Text(account);
}

// tests/fixtures/playlists/two_songs.txt as the service sends it: GBK bytes.
const Text kTwoSongs =
    "jsonCallback({code:0,data:{songs:[{xqusic_id:1001,xsong_name:\"\xb4\xba\xcc\xec\xb5\xc4"
    "\xd0\xc5\",xsinger_name:\"\xc1\xd6\xd0\xa1\xd3\xea\",xsong_url:'http://music.example.net/"
    "song/1001.mp3'},{xqusic_id:1002,xsong_name:\"\xd2\xb9\xbf\xd5\xc0\xef\xb5\xc4\xba\xd3\","
    "xsinger_name:\"\xcd\xf5\xb4\xf3\xba\xa3\",xsong_url:'http://music.example.net/song/"
    "1002.mp3'}]}})";
const Text kFirstSongOfTwo = kTwoSongs.substr(0, kTwoSongs.find("},") + 2);
const Text kNoSongs = "jsonCallback({code:0,data:{songs:[]}})";

// The service's request log: one JSON object a line.
std::vector<std::string> LoggedRequests() {
    std::vector<std::string> lines;
    const char* path = std::getenv("TROVELLA_SERVICE_LOG");
    if (path == nullptr) return lines;
    std::ifstream log(path, std::ios::binary);
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

// The requests the service logged while `call` ran.
std::vector<std::string> RequestsDuring(const std::function<void()>& call) {
    const std::size_t before = LoggedRequests().size();
    call();
    std::vector<std::string> after = LoggedRequests();
    return {after.begin() + static_cast<std::ptrdiff_t>(before), after.end()};
}

// The value of a string field in a log line; the service's fields hold no escaped quotes.
std::string StringField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": \"";
    const std::size_t start = line.find(key);
    if (start == std::string::npos) return "(missing)";
    const std::size_t valueStart = start + key.size();
    return line.substr(valueStart, line.find('"', valueStart) - valueStart);
}

std::string NumberField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": ";
    const std::size_t start = line.find(key);
    if (start == std::string::npos) return "(missing)";
    const std::size_t valueStart = start + key.size();
    return line.substr(valueStart, line.find_first_of(",}", valueStart) - valueStart);
}

// The names in the "header_names" list of a log line.
std::vector<std::string> HeaderNames(const std::string& line) {
    std::vector<std::string> names;
    const std::string key = "\"header_names\": [";
    const std::size_t start = line.find(key);
    if (start == std::string::npos) return names;
    const std::size_t end = line.find(']', start);
    for (std::size_t open = line.find('"', start + key.size()); open < end;) {
        const std::size_t close = line.find('"', open + 1);
        names.push_back(line.substr(open + 1, close - open - 1));
        open = line.find('"', close + 1);
    }
    return names;
}

class FetchUrlTextTest : public testing::Test {
protected:
    void SetUp() override {
        // Without the fake service in front, the requests would go out to the internet.
        const char* proxy = std::getenv("http_proxy");
        if (proxy == nullptr || std::string_view(proxy).rfind("http://127.0.0.1:", 0) != 0) {
            GTEST_FAIL() << "run through tests/fake_service/with_fake_service.py";
        }
    }
};

struct ReplyCase {
    const char* account;
    Text expected;
};

class FetchUrlTextReplyTest : public FetchUrlTextTest,
                              public testing::WithParamInterface<ReplyCase> {};

TEST_P(FetchUrlTextReplyTest, GivesTheBodyUpToItsFirstZeroByte) {
    EXPECT_EQ(FetchUrlText("GET", PlaylistUrlFor(GetParam().account)), GetParam().expected);
}

// The names arrive as the GBK bytes the service sent; error statuses keep their bodies.
INSTANTIATE_TEST_SUITE_P(
    Replies, FetchUrlTextReplyTest,
    testing::Values(ReplyCase{"two_songs", kTwoSongs}, ReplyCase{"unknown_account", kNoSongs},
                    ReplyCase{"fault_404", kTwoSongs}, ReplyCase{"fault_500", kTwoSongs},
                    ReplyCase{"fault_zero_inside", kFirstSongOfTwo},
                    ReplyCase{"fault_zero_first", ""}, ReplyCase{"fault_empty", ""}),
    [](const testing::TestParamInfo<ReplyCase>& reply) { return reply.param.account; });

TEST_F(FetchUrlTextTest, GivesALargeBodyWhole) {
    // The two songs, then the digits 0 to 9 over and over up to 10 MiB.
    Text expected = kTwoSongs;
    for (std::size_t i = 0; expected.size() < 10 * 1024 * 1024; ++i) {
        expected.push_back(static_cast<char>('0' + i % 10));
    }
    const Text reply = FetchUrlText("GET", PlaylistUrlFor("fault_large"));
    EXPECT_EQ(reply.size(), expected.size());
    EXPECT_TRUE(reply == expected);  // not EXPECT_EQ: a mismatch would print 10 MB
}

// The component reports the failed Send; reading the body after that would crash Wine's
// component, so nothing of the half body comes back.
TEST_F(FetchUrlTextTest, ResetMidBodyGivesTheEmptyText) {
    EXPECT_EQ(FetchUrlText("GET", PlaylistUrlFor("fault_reset")), "");
}

TEST_F(FetchUrlTextTest, SendsThePlainRequestTheComponentMakes) {
    const std::vector<std::string> requests =
        RequestsDuring([] { FetchUrlText("GET", PlaylistUrlFor("two_songs")); });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(StringField(requests[0], "request_line"),
              "GET http://qzone-music.qq.com:80/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs "
              "HTTP/1.1");
    EXPECT_EQ(NumberField(requests[0], "body_length"), "0");
    // Only what the component sends by itself: nothing added by the routine.
    const std::set<std::string> componentHeaders = {"Accept", "User-Agent", "Host", "Connection",
                                                    "Proxy-Connection"};
    for (const std::string& name : HeaderNames(requests[0])) {
        EXPECT_TRUE(componentHeaders.contains(name)) << name;
    }
}

// The component writes the scheme in small letters on the wire, so a URL given with a scheme
// in any letter case shows only by arriving at all: with "http://" put in front of it, its
// host would be "http".
struct SchemeCase {
    const char* url;
    const char* target;  // as the service receives it
};

class FetchUrlTextSchemeTest : public FetchUrlTextTest,
                               public testing::WithParamInterface<SchemeCase> {};

TEST_P(FetchUrlTextSchemeTest, SendsTheUrlWithAScheme) {
    Text reply;
    const std::vector<std::string> requests =
        RequestsDuring([&] { reply = FetchUrlText("GET", GetParam().url); });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(StringField(requests[0], "target"), GetParam().target);
    EXPECT_EQ(reply, kTwoSongs);
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, FetchUrlTextSchemeTest,
    testing::Values(
        SchemeCase{
            "qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs",
            "http://qzone-music.qq.com:80/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs"},
        SchemeCase{
            "HTTP://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs",
            "http://qzone-music.qq.com:80/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs"},
        SchemeCase{
            "hTtP://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs",
            "http://qzone-music.qq.com:80/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=two_songs"}));

TEST_F(FetchUrlTextTest, TheUrlOnlyOverloadSendsGet) {
    Text reply;
    const std::vector<std::string> requests =
        RequestsDuring([&] { reply = FetchUrlText(PlaylistUrlFor("two_songs")); });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(StringField(requests[0], "method"), "GET");
    EXPECT_EQ(reply, kTwoSongs);
}

TEST_F(FetchUrlTextTest, SendsTheMethodItIsGiven) {
    Text reply;
    const std::vector<std::string> requests =
        RequestsDuring([&] { reply = FetchUrlText("POST", PlaylistUrlFor("two_songs")); });
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(StringField(requests[0], "method"), "POST");
    EXPECT_EQ(NumberField(requests[0], "body_length"), "0");
    EXPECT_EQ(reply, "bad request: method POST is not GET");
}

// Slow: the service says nothing until the component gives up (Windows: its 30 s receive
// time-out) or the service hangs up (under Wine, whose component waits for ever).
using FetchUrlTextNoAnswerTest = FetchUrlTextTest;
TEST_F(FetchUrlTextNoAnswerTest, GivesTheEmptyText) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FetchUrlText("GET", PlaylistUrlFor("fault_silent")), "");
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("seconds_until_returned", std::to_string(seconds));
    std::cout << "the call returned after " << seconds << " s\n";
}

// Run with http_proxy pointing at a port that refuses connections.
using FetchUrlTextRefusedTest = FetchUrlTextTest;
TEST_F(FetchUrlTextRefusedTest, GivesTheEmptyText) {
    EXPECT_EQ(FetchUrlText("GET", PlaylistUrlFor("two_songs")), "");
}

}  // namespace
