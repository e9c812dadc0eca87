// Two other ways to extract the songs, to check FindSongMatches against and to time it by.
#pragma once

#include <iosfwd>
#include <string_view>
#include <vector>

#include "search/song_extraction.h"

struct PlainLoopResult {
    std::vector<SongMatch> matches;
    bool gaveUp = false;  // Boost threw its complexity or stack error part-way
};

// The plain Boost loop: search the rest of the reply again and again, each search starting
// where the previous match ended. Boost may give up on a reply shaped wrong.
PlainLoopResult PlainLoopSongMatches(std::string_view reply);

// SongEntryPattern's matches found by hand, without Boost and without giving up: the
// leftmost match, each lazy group as short as the rest allows, the next search starting
// where the previous match ended.
std::vector<SongMatch> ReferenceSongMatches(std::string_view reply);

bool operator==(const SongSpan& a, const SongSpan& b);
bool operator==(const SongMatch& a, const SongMatch& b);
std::ostream& operator<<(std::ostream& out, const SongMatch& match);
