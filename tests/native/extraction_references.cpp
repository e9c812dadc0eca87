#include "tests/native/extraction_references.h"

#include <boost/regex.hpp>
#include <exception>
#include <optional>
#include <ostream>

PlainLoopResult PlainLoopSongMatches(std::string_view reply) {
    const std::string_view text = UpToFirstZero(reply);
    PlainLoopResult result;
    if (text.empty()) return result;

    try {
        const boost::regex pattern(SongEntryPattern.data(), SongEntryPattern.size(),
                                   boost::regex::perl);
        const char* const begin = text.data();
        const char* const end = begin + text.size();
        const char* from = begin;
        boost::cmatch found;
        while (from < end && boost::regex_search(from, end, found, pattern)) {
            SongMatch match;
            for (std::size_t group = 0; group < match.groups.size(); ++group) {
                const auto& sub = found[static_cast<int>(group)];
                if (!sub.matched) continue;
                match.groups[group] = SongSpan{static_cast<std::size_t>(sub.first - begin),
                                               static_cast<std::size_t>(sub.length()), true};
            }
            result.matches.push_back(match);
            from = found[0].second;
        }
    } catch (const std::exception&) {
        result.gaveUp = true;
    }
    return result;
}

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// For every position, where the next occurrence of a piece starts (kNone when there is
// none), so that the choices below visit only places where their piece fits.
class NextOccurrence {
public:
    NextOccurrence(std::string_view text, std::string_view piece) : next_(text.size() + 1, kNone) {
        for (std::size_t at = text.size(); at-- > 0;) {
            next_[at] = text.substr(at).starts_with(piece) ? at : next_[at + 1];
        }
    }
    std::size_t From(std::size_t at) const { return at < next_.size() ? next_[at] : kNone; }

private:
    std::vector<std::size_t> next_;
};

SongSpan Span(std::size_t from, std::size_t to) {
    return SongSpan{from, to - from, true};
}

}  // namespace

// Tries the choices in the order a backtracking matcher does: start positions from left to
// right; for each, every length of group 1 from the shortest; for each of those, every
// length of group 2; then group 3. The first complete choice is the match.
std::vector<SongMatch> ReferenceSongMatches(std::string_view reply) {
    const std::string_view text = UpToFirstZero(reply);
    const std::string_view nameField = R"(xsong_name:")";
    const std::string_view linkField = "xsong_url:'";
    const NextOccurrence nextName(text, nameField), nextQuote(text, "\""),
        nextLink(text, linkField), nextApostrophe(text, "'");

    const auto leftmostFrom = [&](std::size_t from) -> std::optional<SongMatch> {
        for (std::size_t start = nextName.From(from); start != kNone;
             start = nextName.From(start + 1)) {
            const std::size_t nameBegin = start + nameField.size();
            for (std::size_t quote = nextQuote.From(nameBegin); quote != kNone;
                 quote = nextQuote.From(quote + 1)) {
                for (std::size_t link = nextLink.From(quote + 1); link != kNone;
                     link = nextLink.From(link + 1)) {
                    const std::size_t linkBegin = link + linkField.size();
                    const std::size_t apostrophe = nextApostrophe.From(linkBegin);
                    if (apostrophe == kNone) continue;
                    return SongMatch{{Span(start, apostrophe + 1), Span(nameBegin, quote),
                                      Span(quote + 1, link), Span(linkBegin, apostrophe)}};
                }
            }
        }
        return std::nullopt;
    };

    std::vector<SongMatch> matches;
    for (auto match = leftmostFrom(0); match;
         match = leftmostFrom(match->groups[0].offset + match->groups[0].length)) {
        matches.push_back(*match);
    }
    return matches;
}

bool operator==(const SongSpan& a, const SongSpan& b) {
    return a.offset == b.offset && a.length == b.length && a.matched == b.matched;
}

bool operator==(const SongMatch& a, const SongMatch& b) {
    return a.groups == b.groups;
}

std::ostream& operator<<(std::ostream& out, const SongMatch& match) {
    out << '{';
    for (const SongSpan& span : match.groups) {
        if (span.matched) {
            out << '[' << span.offset << ',' << span.offset + span.length << ')';
        } else {
            out << "unmatched";
        }
        out << ' ';
    }
    return out << '}';
}
