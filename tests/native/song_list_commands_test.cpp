#include <gtest/gtest.h>

#include "actions/playlist_export.h"
#include "actions/song_list_commands.h"
#include "memory_toolkit.h"

namespace {

// --- the bytes of the link list and of the M3U file ---

const std::vector<ListedSong> kSongs = {
    {"春天的信", "http://music.example.net/song/1001.mp3"},
    {"A, \"quoted\" name", "http://h/b.mp3"},
};

TEST(PlaylistExport, M3uIsUtf8WithHeaderExtinfAndCrlf) {
    EXPECT_EQ(M3uPlaylistText(kSongs),
              "#EXTM3U\r\n"
              "#EXTINF:-1,春天的信\r\nhttp://music.example.net/song/1001.mp3\r\n"
              "#EXTINF:-1,A, \"quoted\" name\r\nhttp://h/b.mp3\r\n");
    EXPECT_EQ(M3uPlaylistText({}), "#EXTM3U\r\n");
    EXPECT_EQ(PlaylistFileBytes(kSongs, PlaylistFormat::M3u), M3uPlaylistText(kSongs));
}

TEST(PlaylistExport, LinkListHasOneLinkPerCrlfLine) {
    EXPECT_EQ(LinkListText(kSongs), "http://music.example.net/song/1001.mp3\r\nhttp://h/b.mp3\r\n");
    EXPECT_EQ(LinkListText({}), "");
    EXPECT_EQ(PlaylistFileBytes(kSongs, PlaylistFormat::LinkList), LinkListText(kSongs));
}

// A name or link with a line break in it would otherwise add a line of its own: in an M3U
// file a second entry, in a link list a second, broken link.
TEST(PlaylistExport, LineBreaksInsideFieldsBecomeSpaces) {
    const std::vector<ListedSong> songs = {{"two\r\nhttp://evil/x.mp3", "http://h/a\n.mp3"}};
    EXPECT_EQ(M3uPlaylistText(songs),
              "#EXTM3U\r\n#EXTINF:-1,two  http://evil/x.mp3\r\nhttp://h/a .mp3\r\n");
    EXPECT_EQ(LinkListText(songs), "http://h/a .mp3\r\n");
}

// A row without a link has nothing to play or fetch; an #EXTINF line without its link would
// name the next song's link instead.
TEST(PlaylistExport, RowsWithoutLinkAreLeftOut) {
    const std::vector<ListedSong> songs = {
        {"a", "http://h/a.mp3"}, {"no link", ""}, {"c", "http://h/c.mp3"}};
    EXPECT_EQ(M3uPlaylistText(songs),
              "#EXTM3U\r\n#EXTINF:-1,a\r\nhttp://h/a.mp3\r\n#EXTINF:-1,c\r\nhttp://h/c.mp3\r\n");
    EXPECT_EQ(LinkListText(songs), "http://h/a.mp3\r\nhttp://h/c.mp3\r\n");
}

TEST(PlaylistExport, FormatFollowsTheExtensionElseTheChosenType) {
    const struct {
        const char* fileName;
        PlaylistFormat chosen;
        PlaylistFormat expected;
    } cases[] = {
        {"C:\\歌\\list.m3u", PlaylistFormat::LinkList, PlaylistFormat::M3u},
        {"list.M3U8", PlaylistFormat::LinkList, PlaylistFormat::M3u},
        {"list.TxT", PlaylistFormat::M3u, PlaylistFormat::LinkList},
        {"list", PlaylistFormat::LinkList, PlaylistFormat::LinkList},
        {"list.pls", PlaylistFormat::M3u, PlaylistFormat::M3u},
        {"m3u", PlaylistFormat::LinkList, PlaylistFormat::LinkList},
        {"list.m3u.bak", PlaylistFormat::LinkList, PlaylistFormat::LinkList},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaylistFormatForFileName(c.fileName, c.chosen), c.expected) << c.fileName;
    }
}

// --- the menu's commands over the toolkit ---

class SongListCommands : public testing::Test {
protected:
    SongListCommands() {
        toolkit.rows = {
            {{"1", "A", "http://h/a.mp3"}}, {{"2", "B", ""}}, {{"3", "C", "http://h/c.mp3"}}};
        toolkit.clipboard = "before";
        toolkit.clipboardHasText = true;
        toolkit.checked[Control::选择框1] = true;
    }
    MemoryToolkit toolkit;
};

TEST_F(SongListCommands, CopyTheSelectedRowsLinkOrNameSilently) {
    toolkit.selection = 2;
    OnCopySongLinkChosen(toolkit);
    EXPECT_EQ(toolkit.clipboard, "http://h/c.mp3");
    OnCopySongNameChosen(toolkit);
    EXPECT_EQ(toolkit.clipboard, "C");
    // The notice box belongs to the double-click alone.
    EXPECT_TRUE(toolkit.messageBoxes.empty());
}

TEST_F(SongListCommands, RowCommandsDoNothingWithoutASelection) {
    OnCopySongLinkChosen(toolkit);
    OnCopySongNameChosen(toolkit);
    EXPECT_EQ(toolkit.clipboard, "before");
    EXPECT_TRUE(toolkit.log.empty());
}

TEST_F(SongListCommands, CopyAllLinksTakesEveryRowInOrder) {
    OnCopyAllLinksChosen(toolkit);
    EXPECT_EQ(toolkit.clipboard, "http://h/a.mp3\r\nhttp://h/c.mp3\r\n");
    EXPECT_EQ(ReadListedSongs(toolkit).size(), 3u);

    toolkit.rows.clear();
    toolkit.clipboard = "before";
    OnCopyAllLinksChosen(toolkit);
    EXPECT_EQ(toolkit.clipboard, "before");
}

TEST_F(SongListCommands, MenuStateFollowsSelectionAndRows) {
    SongMenuState state = ReadSongMenuState(toolkit);
    EXPECT_FALSE(state.rowCommands);
    EXPECT_TRUE(state.listCommands);
    toolkit.selection = 0;
    EXPECT_TRUE(ReadSongMenuState(toolkit).rowCommands);
    toolkit.DeleteAllRows(Control::超级列表框1);
    state = ReadSongMenuState(toolkit);
    EXPECT_FALSE(state.rowCommands);
    EXPECT_FALSE(state.listCommands);
}

}  // namespace
