// kline-tester's latency figures over a very long --repeat run: the resident memory after
// 1 000 000 replies (the baseline) and after 100 000 000 (by default), and the time per reply.
//   latency_stats_bench [--replies N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <unistd.h>

#include "LatencyStats.h"
#include "bench/ResidentMemory.h"

namespace {

}  // namespace

int main(int argc, char** argv) {
    long long replies = 100000000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--replies")) replies = std::max(2000000LL, std::atoll(argv[i + 1]));
    }
    std::mt19937 random(1);
    std::lognormal_distribution<double> latency(0.5, 1.2);
    LatencyStats stats;
    const long long baselineAt = 1000000;
    double baselineMb = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long long n = 1; n <= replies; ++n) {
        stats.Add(latency(random));
        if (n == baselineAt) baselineMb = ResidentMb();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("resident after %lld replies: %.1f MB; after %lld: %.1f MB; %.1f ns a reply\n", baselineAt,
                baselineMb, replies, ResidentMb(), seconds * 1e9 / static_cast<double>(replies));
    std::printf("latency %s\n", stats.Summary().c_str());
    return 0;
}
