// Extraction speed over realistic playlist replies and over replies shaped wrong, each
// beside the plain Boost loop (search the rest of the reply again and again) as baseline.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "search/song_extraction.h"
#include "tests/native/extraction_references.h"

namespace {

enum class Shape {
    Realistic,
    NamesWithoutLinks,    // no xsong_url field anywhere
    LinksInDoubleQuotes,  // xsong_url:"..." where the pattern wants apostrophes
};

std::string Song(std::size_t i, Shape shape) {
    const std::string n = std::to_string(i);
    std::string song = "{xqusic_id:" + n + ",xctype:3,xexpire_time:0,xdesc:\"\",";
    song += "xsong_name:\"\xC4\xE3\xBA\xC3 \xCA\xC0\xBD\xE7 " + n + "\",";
    song += "xsinger_name:\"\xB8\xE8\xCA\xD6 " + n + "\",xsinger_id:" + n + ",";
    const std::string link = "http://stream" + n + ".music.example/music/" + n + ".mp3";
    if (shape == Shape::Realistic) song += "xsong_url:'" + link + "',";
    if (shape == Shape::LinksInDoubleQuotes) song += "xsong_url:\"" + link + "\",";
    song += "xsong_size:4194304,xsong_time:240,xrate:320,xdownload:1,";
    song += "xalbum_name:\"\xD7\xA8\xBC\xAD\"},\n";
    return song;
}

std::string Reply(Shape shape, std::size_t bytes) {
    std::string reply = "jsonCallback({code:0,subcode:0,message:\"\",data:{uin:12345678,songs:[";
    for (std::size_t i = 0; reply.size() < bytes; ++i) reply += Song(i, shape);
    return reply + "]}})";
}

std::string Songs(std::size_t count) {
    std::string reply = "jsonCallback({code:0,subcode:0,message:\"\",data:{uin:12345678,songs:[";
    for (std::size_t i = 0; i < count; ++i) reply += Song(i, Shape::Realistic);
    return reply + "]}})";
}

std::vector<SongMatch> PlainLoop(std::string_view reply) {
    return PlainLoopSongMatches(reply).matches;
}

template <auto Extract>
void Run(benchmark::State& state, const std::string& reply) {
    std::size_t songs = 0;
    for (auto _ : state) {
        auto matches = Extract(reply);
        songs = matches.size();
        benchmark::DoNotOptimize(matches);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(reply.size()));
    state.counters["reply_KB"] = static_cast<double>(reply.size()) / 1024;
    state.counters["songs"] = static_cast<double>(songs);
}

const std::string& Reply300Songs() {
    static const std::string reply = Songs(300);
    return reply;
}
constexpr std::size_t k100KB = 100 * 1024;
constexpr std::size_t k10MB = 10 * 1024 * 1024;
template <Shape shape, std::size_t bytes>
const std::string& ShapedReply() {
    static const std::string reply = Reply(shape, bytes);
    return reply;
}

void BM_Extract_300Songs(benchmark::State& s) {
    Run<FindSongMatches>(s, Reply300Songs());
}
void BM_PlainLoop_300Songs(benchmark::State& s) {
    Run<PlainLoop>(s, Reply300Songs());
}
BENCHMARK(BM_Extract_300Songs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainLoop_300Songs)->Unit(benchmark::kMicrosecond);

void BM_Extract_10MB(benchmark::State& s) {
    Run<FindSongMatches>(s, ShapedReply<Shape::Realistic, k10MB>());
}
void BM_PlainLoop_10MB(benchmark::State& s) {
    Run<PlainLoop>(s, ShapedReply<Shape::Realistic, k10MB>());
}
BENCHMARK(BM_Extract_10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_10MB)->Unit(benchmark::kMillisecond);

void BM_Extract_NamesWithoutLinks100KB(benchmark::State& s) {
    Run<FindSongMatches>(s, ShapedReply<Shape::NamesWithoutLinks, k100KB>());
}
void BM_PlainLoop_NamesWithoutLinks100KB(benchmark::State& s) {
    Run<PlainLoop>(s, ShapedReply<Shape::NamesWithoutLinks, k100KB>());
}
void BM_Extract_LinksInDoubleQuotes100KB(benchmark::State& s) {
    Run<FindSongMatches>(s, ShapedReply<Shape::LinksInDoubleQuotes, k100KB>());
}
void BM_PlainLoop_LinksInDoubleQuotes100KB(benchmark::State& s) {
    Run<PlainLoop>(s, ShapedReply<Shape::LinksInDoubleQuotes, k100KB>());
}
BENCHMARK(BM_Extract_NamesWithoutLinks100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_NamesWithoutLinks100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract_LinksInDoubleQuotes100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_LinksInDoubleQuotes100KB)->Unit(benchmark::kMillisecond);

// On 10 MB shaped wrong the plain loop backtracks for far longer than a benchmark can wait
// (minutes at the least) before Boost gives up; its rows are marked as skipped.
void SkippedPlainLoop(benchmark::State& s) {
    s.SkipWithError("skipped: the plain loop would run for minutes before Boost gives up");
    for (auto _ : s) {
    }
}
void BM_Extract_NamesWithoutLinks10MB(benchmark::State& s) {
    Run<FindSongMatches>(s, ShapedReply<Shape::NamesWithoutLinks, k10MB>());
}
void BM_Extract_LinksInDoubleQuotes10MB(benchmark::State& s) {
    Run<FindSongMatches>(s, ShapedReply<Shape::LinksInDoubleQuotes, k10MB>());
}
BENCHMARK(BM_Extract_NamesWithoutLinks10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(SkippedPlainLoop)->Name("BM_PlainLoop_NamesWithoutLinks10MB");
BENCHMARK(BM_Extract_LinksInDoubleQuotes10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(SkippedPlainLoop)->Name("BM_PlainLoop_LinksInDoubleQuotes10MB");

}  // namespace

BENCHMARK_MAIN();
