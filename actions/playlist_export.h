// Playlist export: the bytes of the "all links" text and of the exported playlist files.
#pragma once

#include <string_view>
#include <vector>

#include "toolkit/text.h"

// One row of the song list: its name and link as the list shows them (UTF-8).
struct ListedSong {
    Text name;
    Text link;
};

enum class PlaylistFormat {
    M3u,       // "#EXTM3U", then "#EXTINF:-1,<name>" and the link for each song
    LinkList,  // one link per line, the form download managers take for a batch
};

// Each song's link on a line of its own, every line ended with CRLF.
Text LinkListText(const std::vector<ListedSong>& songs);

// The playlist as a UTF-8 M3U file without byte-order mark, CRLF line ends.
Text M3uPlaylistText(const std::vector<ListedSong>& songs);

Text PlaylistFileBytes(const std::vector<ListedSong>& songs, PlaylistFormat format);

// The format a file name's extension stands for (.m3u, .m3u8, .txt in any letter case);
// `chosen` for any other name.
PlaylistFormat PlaylistFormatForFileName(std::string_view fileName, PlaylistFormat chosen);
