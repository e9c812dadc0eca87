#include "search/song_extraction.h"

#include <boost/regex.hpp>
#include <exception>

namespace {

constexpr std::string_view kNameField = R"(xsong_name:")";
constexpr std::string_view kLinkField = "xsong_url:'";

// The end of the first match of SongEntryPattern that starts at `start`, where the name
// field begins, or npos when none starts there.
//
// The lazy groups make the first choice of each one win whenever any choice can: group 1
// ends at the first double quote, group 2 at the first link field after it, group 3 at the
// first apostrophe after that. A later choice only leaves fewer of the later pieces, so if
// the first choices fail, every choice fails. A name field further on has its first
// choices at or after these, so when no match starts here, none starts later either.
std::size_t EndOfMatchAt(std::string_view text, std::size_t start) {
    const std::size_t closingQuote = text.find('"', start + kNameField.size());
    if (closingQuote == std::string_view::npos) return std::string_view::npos;
    const std::size_t linkField = text.find(kLinkField, closingQuote + 1);
    if (linkField == std::string_view::npos) return std::string_view::npos;
    const std::size_t closingApostrophe = text.find('\'', linkField + kLinkField.size());
    if (closingApostrophe == std::string_view::npos) return std::string_view::npos;
    return closingApostrophe + 1;
}

}  // namespace

// Boost finds every match, but each search is held to the stretch of the reply that is
// known to hold exactly one match, from its name field to its closing apostrophe, and
// anchored at its start. Asked to search the whole rest of a reply that has no match left
// (names without links, links in double quotes), Boost would try every later quote as the
// end of every later name, for seconds, until its complexity limit made it give up; here
// such a rest costs one scan, and the work for any reply is linear in its size.
std::vector<SongMatch> FindSongMatches(std::string_view reply) {
    const std::string_view text = UpToFirstZero(reply);
    std::vector<SongMatch> matches;
    if (text.empty()) return matches;

    try {
        // Pointer and length, not begin() and end(): every file that includes the pattern
        // may hold its own copy of the literal, and a compiler may take the two ends from
        // different copies.
        const boost::regex pattern(SongEntryPattern.data(), SongEntryPattern.size(),
                                   boost::regex::perl);
        const char* const begin = text.data();
        boost::cmatch found;
        std::size_t from = 0;
        while (true) {
            const std::size_t start = text.find(kNameField, from);
            if (start == std::string_view::npos) break;
            const std::size_t end = EndOfMatchAt(text, start);
            if (end == std::string_view::npos) break;
            if (!boost::regex_search(begin + start, begin + end, found, pattern,
                                     boost::match_default | boost::match_continuous)) {
                break;
            }
            SongMatch match;
            for (std::size_t group = 0; group < match.groups.size(); ++group) {
                const auto& sub = found[static_cast<int>(group)];
                if (!sub.matched) continue;
                match.groups[group] = SongSpan{static_cast<std::size_t>(sub.first - begin),
                                               static_cast<std::size_t>(sub.length()), true};
            }
            matches.push_back(match);
            // Each search treats its starting point as the beginning of the text.
            from = static_cast<std::size_t>(found[0].second - begin);
        }
    } catch (const std::exception&) {
        // Not expected, as each search does linear work; should the engine still give up
        // (or memory run out), the matches found so far stand.
    }
    return matches;
}

Text GroupText(const SongMatch& match, std::string_view reply, int group) {
    if (group < 0 || group >= static_cast<int>(match.groups.size())) return {};
    const SongSpan& span = match.groups[static_cast<std::size_t>(group)];
    if (!span.matched || span.offset > reply.size()) return {};
    return Text(reply.substr(span.offset, span.length));
}
