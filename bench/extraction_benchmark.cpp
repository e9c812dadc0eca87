// Extraction speed over realistic playlist replies.
#include <benchmark/benchmark.h>

#include <string>

#include "search/song_extraction.h"

namespace {

std::string RealisticReply(std::size_t songs) {
    std::string reply = "jsonCallback({code:0,subcode:0,message:\"\",data:{uin:12345678,songs:[";
    for (std::size_t i = 0; i < songs; ++i) {
        const std::string n = std::to_string(i);
        reply += "{xqusic_id:" + n + ",xctype:3,xexpire_time:0,xdesc:\"\",";
        reply += "xsong_name:\"\xC4\xE3\xBA\xC3 \xCA\xC0\xBD\xE7 " + n + "\",";
        reply += "xsinger_name:\"\xB8\xE8\xCA\xD6 " + n + "\",xsinger_id:" + n + ",";
        reply += "xsong_url:'http://stream" + n + ".music.example/music/" + n + ".mp3',";
        reply += "xsong_size:4194304,xsong_time:240,xalbum_name:\"\xD7\xA8\xBC\xAD\"},\n";
    }
    reply += "]}})";
    return reply;
}

void Extract(benchmark::State& state, const std::string& reply) {
    for (auto _ : state) benchmark::DoNotOptimize(FindSongMatches(reply));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(reply.size()));
    state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

void BM_Extract300Songs(benchmark::State& state) {
    static const std::string reply = RealisticReply(300);
    Extract(state, reply);
}
BENCHMARK(BM_Extract300Songs)->Unit(benchmark::kMicrosecond);

void BM_Extract10MB(benchmark::State& state) {
    static const std::string reply = [] {
        // Songs grow with their numbers, so the average is taken over a long reply.
        const std::size_t averageSongBytes = RealisticReply(10'000).size() / 10'000;
        return RealisticReply(10'000'000 / averageSongBytes);
    }();
    Extract(state, reply);
}
BENCHMARK(BM_Extract10MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
