#include "actions/song_link_copy.h"

#include <gtest/gtest.h>

#include "app/clear_account.h"
#include "memory_toolkit.h"

namespace {

const char kNoticeTail[] = "\r\n请到迅雷下载.或者直接添加到QQ空间背景音乐..";

class SongLinkCopy : public testing::Test {
protected:
    SongLinkCopy() {
        toolkit.rows = {{{"1", "A", "http://h/a.mp3"}}, {{"2", "B", ""}}};
        toolkit.checked[Control::选择框1] = true;
        toolkit.clipboard = "before";
        toolkit.clipboardHasText = true;
    }
    MemoryToolkit toolkit;
};

TEST_F(SongLinkCopy, CopiesTheLinkAndShowsTheNotice) {
    toolkit.selection = 0;
    OnSongListDoubleClicked(toolkit);
    EXPECT_EQ(toolkit.clipboard, "http://h/a.mp3");
    ASSERT_EQ(toolkit.messageBoxes.size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes[0], std::string("歌曲链接地址：http://h/a.mp3") + kNoticeTail);
}

TEST_F(SongLinkCopy, CopiesSilentlyWhenTheBoxIsClear) {
    toolkit.selection = 0;
    toolkit.checked[Control::选择框1] = false;
    OnSongListDoubleClicked(toolkit);
    EXPECT_EQ(toolkit.clipboard, "http://h/a.mp3");
    EXPECT_TRUE(toolkit.messageBoxes.empty());
}

TEST_F(SongLinkCopy, DoesNothingWithoutASelection) {
    OnSongListDoubleClicked(toolkit);
    EXPECT_EQ(toolkit.clipboard, "before");
    EXPECT_TRUE(toolkit.messageBoxes.empty());
    EXPECT_TRUE(toolkit.log.empty());
}

TEST_F(SongLinkCopy, AnEmptyLinkEmptiesTheClipboardText) {
    toolkit.selection = 1;
    OnSongListDoubleClicked(toolkit);
    EXPECT_EQ(toolkit.clipboard, "");
    ASSERT_EQ(toolkit.messageBoxes.size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes[0], std::string("歌曲链接地址：") + kNoticeTail);
}

TEST_F(SongLinkCopy, ALockedClipboardKeepsItsTextAndTheNoticeShowsNothing) {
    toolkit.selection = 0;
    toolkit.clipboardLocked = true;
    OnSongListDoubleClicked(toolkit);
    EXPECT_EQ(toolkit.clipboard, "before");
    ASSERT_EQ(toolkit.messageBoxes.size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes[0], std::string("歌曲链接地址：") + kNoticeTail);
}

TEST(OnClearClicked, EmptiesOnlyTheAccountBox) {
    MemoryToolkit toolkit;
    toolkit.texts[Control::编辑框_QQ号码] = "12345678";
    toolkit.texts[Control::标签_状态] = "一共搜索到 [1]首歌曲...";
    toolkit.rows = {{{"1", "A", "a"}}};
    OnClearClicked(toolkit);
    EXPECT_EQ(toolkit.texts[Control::编辑框_QQ号码], "");
    EXPECT_EQ(toolkit.texts[Control::标签_状态], "一共搜索到 [1]首歌曲...");
    EXPECT_EQ(toolkit.rows.size(), 1u);
    EXPECT_EQ(toolkit.log, std::vector<std::string>{"WriteText"});
}

}  // namespace
