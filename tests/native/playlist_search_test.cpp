#include "search/playlist_search.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "memory_toolkit.h"
#include "search/playlist_url.h"

namespace {

// A fetch routine that serves one reply and remembers what it was asked for.
struct FakeFetch {
    explicit FakeFetch(Text served) : reply(std::move(served)) {}

    Text reply;
    std::vector<std::string> requests;
    MemoryToolkit* toolkit = nullptr;
    bool buttonDisabledDuringFetch = false;

    FetchRoutine Routine() {
        return [this](const Text& method, const Text& url) {
            requests.push_back(method + " " + url);
            if (toolkit) buttonDisabledDuringFetch = toolkit->disabled[Control::按钮_搜索];
            return reply;
        };
    }
};

const char kTwoSongs[] =
    R"(jsonCallback({code:0,data:{songs:[{xsong_name:"A",xsong_url:'http://h/a'},)"
    R"({xsong_name:"B",xsong_url:'http://h/b'}]}}))";

std::vector<std::vector<Text>> Cells(const MemoryToolkit& toolkit) {
    std::vector<std::vector<Text>> cells;
    for (const auto& row : toolkit.rows) cells.push_back(row.cells);
    return cells;
}

TEST(SearchPlaylist, FillsNumberedRowsAndTheCount) {
    MemoryToolkit toolkit;
    FakeFetch fetch(kTwoSongs);
    SearchPlaylist(toolkit, fetch.Routine(), "12345678");

    EXPECT_EQ(
        fetch.requests,
        std::vector<std::string>{
            "GET http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=12345678"});
    EXPECT_EQ(Cells(toolkit),
              (std::vector<std::vector<Text>>{{"1", "A", "http://h/a"}, {"2", "B", "http://h/b"}}));
    EXPECT_EQ(toolkit.texts[Control::标签_状态], "一共搜索到 [2]首歌曲...");
}

TEST(SearchPlaylist, ASecondSearchReplacesTheRows) {
    MemoryToolkit toolkit;
    FakeFetch fetch(kTwoSongs);
    SearchPlaylist(toolkit, fetch.Routine(), "1");
    fetch.reply = R"(xsong_name:"C",xsong_url:'http://h/c')";
    SearchPlaylist(toolkit, fetch.Routine(), "2");

    EXPECT_EQ(Cells(toolkit), (std::vector<std::vector<Text>>{{"1", "C", "http://h/c"}}));
    EXPECT_EQ(toolkit.texts[Control::标签_状态], "一共搜索到 [1]首歌曲...");
}

TEST(SearchPlaylist, AFailedFetchEmptiesTheListAndCountsZero) {
    MemoryToolkit toolkit;
    FakeFetch fetch(kTwoSongs);
    SearchPlaylist(toolkit, fetch.Routine(), "1");
    fetch.reply = "";
    SearchPlaylist(toolkit, fetch.Routine(), "1");

    EXPECT_TRUE(toolkit.rows.empty());
    EXPECT_EQ(toolkit.texts[Control::标签_状态], "一共搜索到 [0]首歌曲...");
}

TEST(SearchPlaylist, TheCountIsReadBackFromTheList) {
    MemoryToolkit toolkit;
    toolkit.insertFails = true;
    FakeFetch fetch(kTwoSongs);
    SearchPlaylist(toolkit, fetch.Routine(), "1");

    EXPECT_TRUE(toolkit.rows.empty());
    EXPECT_EQ(toolkit.texts[Control::标签_状态], "一共搜索到 [0]首歌曲...");
}

TEST(SearchPlaylist, TheListRepaintsAgainWhateverTheReply) {
    for (const Text& reply : {Text(kTwoSongs), Text()}) {
        SCOPED_TRACE(reply.empty() ? "empty reply" : "two songs");
        MemoryToolkit toolkit;
        FakeFetch fetch(reply);
        SearchPlaylist(toolkit, fetch.Routine(), "1");
        EXPECT_FALSE(toolkit.redrawSuspended[Control::超级列表框1]);
        EXPECT_EQ(toolkit.rowChangesWhileDrawn, 0);
    }
}

TEST(SearchPlaylist, OldRowsStayUntilTheReplyHasArrived) {
    MemoryToolkit toolkit;
    FakeFetch fetch(kTwoSongs);
    SearchPlaylist(toolkit, fetch.Routine(), "1");
    bool rowsPresentDuringFetch = false;
    SearchPlaylist(
        toolkit,
        [&](const Text&, const Text&) {
            rowsPresentDuringFetch = toolkit.rows.size() == 2;
            return Text{};
        },
        "1");
    EXPECT_TRUE(rowsPresentDuringFetch);
}

TEST(PlaylistUrl, SendsTheAccountAsTyped) {
    EXPECT_EQ(PlaylistUrl(""),
              "http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=");
    EXPECT_EQ(PlaylistUrl(" 12a &#%"),
              "http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin= 12a &#%");
    EXPECT_EQ(PlaylistUrl("号码"),
              "http://qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?json=1&uin=号码");
}

TEST(OnSearchClicked, DisablesTheButtonForTheWholeSearch) {
    MemoryToolkit toolkit;
    toolkit.texts[Control::编辑框_QQ号码] = "87654321";
    FakeFetch fetch(kTwoSongs);
    fetch.toolkit = &toolkit;
    OnSearchClicked(toolkit, fetch.Routine());

    EXPECT_TRUE(fetch.buttonDisabledDuringFetch);
    EXPECT_FALSE(toolkit.disabled[Control::按钮_搜索]);
    // The list is emptied and refilled unseen, and shown whole before the count is written.
    EXPECT_EQ(toolkit.log, (std::vector<std::string>{"Disable", "SuspendRedraw", "DeleteAllRows",
                                                     "ResumeRedraw", "WriteCaption", "Enable"}));
    EXPECT_EQ(toolkit.rowChangesWhileDrawn, 0);
    ASSERT_EQ(fetch.requests.size(), 1u);
    EXPECT_TRUE(fetch.requests[0].ends_with("&uin=87654321")) << fetch.requests[0];
}

TEST(OnSearchClicked, AnEmptyBoxSendsNothingAfterUin) {
    MemoryToolkit toolkit;
    FakeFetch fetch("");
    OnSearchClicked(toolkit, fetch.Routine());
    ASSERT_EQ(fetch.requests.size(), 1u);
    EXPECT_TRUE(fetch.requests[0].ends_with("&uin=")) << fetch.requests[0];
    EXPECT_EQ(toolkit.texts[Control::标签_状态], "一共搜索到 [0]首歌曲...");
}

}  // namespace
