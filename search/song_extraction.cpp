#include "search/song_extraction.h"

#include <boost/regex.hpp>
#include <exception>

std::vector<SongMatch> FindSongMatches(std::string_view reply) {
    const std::string_view text = UpToFirstZero(reply);
    std::vector<SongMatch> matches;
    if (text.empty()) return matches;

    try {
        const boost::regex pattern(SongEntryPattern.begin(), SongEntryPattern.end(),
                                   boost::regex::perl);
        const char* const begin = text.data();
        const char* const end = begin + text.size();
        const char* from = begin;
        boost::cmatch found;
        // Each search treats its starting point as the beginning of the text.
        while (from < end && boost::regex_search(from, end, found, pattern)) {
            SongMatch match;
            for (std::size_t group = 0; group < match.groups.size(); ++group) {
                const auto& sub = found[static_cast<int>(group)];
                if (!sub.matched) continue;
                match.groups[group] = SongSpan{static_cast<std::size_t>(sub.first - begin),
                                               static_cast<std::size_t>(sub.length()), true};
            }
            matches.push_back(match);
            // The pattern cannot match nothing, so this always moves forward.
            from = found[0].second;
        }
    } catch (const std::exception&) {
        // The engine gave up part-way: the matches found so far stand.
    }
    return matches;
}

Text GroupText(const SongMatch& match, std::string_view reply, int group) {
    if (group < 0 || group >= static_cast<int>(match.groups.size())) return {};
    const SongSpan& span = match.groups[static_cast<std::size_t>(group)];
    if (!span.matched || span.offset > reply.size()) return {};
    return Text(reply.substr(span.offset, span.length));
}
