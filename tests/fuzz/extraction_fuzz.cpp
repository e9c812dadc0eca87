// libFuzzer target: FindSongMatches must give the hand-written matcher's matches for any
// bytes, and the plain Boost loop's on the replies small enough for it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "search/song_extraction.h"
#include "tests/native/extraction_references.h"

namespace {

// Under the sanitizers the plain loop backtracks for milliseconds on a kilobyte shaped
// wrong, which would slow the fuzzer tenfold; on small inputs it still checks the very
// semantics the hand-written matcher is built on.
constexpr std::size_t kPlainLoopLimit = 256;

void Report(const char* against, const std::vector<SongMatch>& found,
            const std::vector<SongMatch>& expected) {
    std::cerr << "FindSongMatches differs from " << against << "\nfound:";
    for (const SongMatch& match : found) std::cerr << ' ' << match;
    std::cerr << "\nexpected:";
    for (const SongMatch& match : expected) std::cerr << ' ' << match;
    std::cerr << std::endl;
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::vector<SongMatch> found = FindSongMatches(reply);
    const std::vector<SongMatch> expected = ReferenceSongMatches(reply);
    if (found != expected) Report("the hand-written matcher", found, expected);
    if (size <= kPlainLoopLimit) {
        const PlainLoopResult plain = PlainLoopSongMatches(reply);
        if (found != plain.matches) Report("the plain Boost loop", found, plain.matches);
    }
    return 0;
}
