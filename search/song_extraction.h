// The songs of a playlist reply: every match of SongEntryPattern, in order.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "toolkit/text.h"

// Group 1 is the song's name, group 3 its link; group 2 is whatever lies between them.
inline constexpr std::string_view SongEntryPattern =
    R"re(xsong_name:"(.*?)"(.*?)xsong_url:'(.*?)')re";

struct SongSpan {
    std::size_t offset = 0;  // from the start of the searched text
    std::size_t length = 0;
    bool matched = false;
};

// Spans of the whole match (group 0) and of groups 1 to 3.
struct SongMatch {
    std::array<SongSpan, 4> groups;
};

// All matches in the text before its first zero byte, each search starting where the
// previous whole match ended. The work is linear in the reply's size, whatever its shape.
// Should the regex engine still give up (out of memory), the matches found up to then are
// returned.
std::vector<SongMatch> FindSongMatches(std::string_view reply);

// A copy of one group's bytes; empty for a group that did not take part or is out of range.
Text GroupText(const SongMatch& match, std::string_view reply, int group);
