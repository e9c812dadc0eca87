#include "actions/playlist_export.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Names and links come from the service unchecked and may hold line breaks; one that got
// through would split a song over two lines, and in an M3U file turn the rest of a name
// into an entry of its own.
Text OnOneLine(std::string_view field) {
    Text line(field);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    return std::equal(ending.begin(), ending.end(), text.end() - ending.size(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

// A row without a link is left out: an empty line is no link, and an M3U entry without
// one would lend its name to the next song's link.
Text LinkListText(const std::vector<ListedSong>& songs) {
    Text text;
    for (const ListedSong& song : songs) {
        if (song.link.empty()) continue;
        text += OnOneLine(song.link);
        text += kLineEnd;
    }
    return text;
}

Text M3uPlaylistText(const std::vector<ListedSong>& songs) {
    Text text = JoinText({"#EXTM3U", kLineEnd});
    for (const ListedSong& song : songs) {
        if (song.link.empty()) continue;
        text += JoinText(
            {"#EXTINF:-1,", OnOneLine(song.name), kLineEnd, OnOneLine(song.link), kLineEnd});
    }
    return text;
}

Text PlaylistFileBytes(const std::vector<ListedSong>& songs, PlaylistFormat format) {
    return format == PlaylistFormat::M3u ? M3uPlaylistText(songs) : LinkListText(songs);
}

PlaylistFormat PlaylistFormatForFileName(std::string_view fileName, PlaylistFormat chosen) {
    if (EndsWithNoCase(fileName, ".m3u") || EndsWithNoCase(fileName, ".m3u8"))
        return PlaylistFormat::M3u;
    if (EndsWithNoCase(fileName, ".txt")) return PlaylistFormat::LinkList;
    return chosen;
}
