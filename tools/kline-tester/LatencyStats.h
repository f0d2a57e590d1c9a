#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Reply latencies of a --repeat run, in memory that stays the same however long the run.
// Minimum, maximum and mean are exact. Percentiles are exact nearest-rank ones while the run
// has at most kExactSamples replies; beyond that they come from a histogram whose buckets are
// 1 µs wide below 2.048 ms and never wider than 1/1024 of their value above.
class LatencyStats {
public:
    static constexpr std::size_t kExactSamples = 65536;

    void Add(double ms);
    std::uint64_t Count() const { return count_; }
    double Min() const { return count_ == 0 ? 0 : min_; }
    double Max() const { return count_ == 0 ? 0 : max_; }
    double Mean() const { return count_ == 0 ? 0 : sum_ / static_cast<double>(count_); }
    // The nearest-rank percentile, p in 0..100.
    double Percentile(double p) const;
    // "min 0.412 mean 0.731 p50 0.650 p95 1.200 max 3.100 ms", or "no replies".
    std::string Summary() const;

private:
    // Below 2^kExactBits µs one bucket per µs; above, 2^(kExactBits-1) buckets per power of two.
    static constexpr int kExactBits = 11;
    static constexpr std::size_t kBuckets = (64 - kExactBits + 2) << (kExactBits - 1);
    static std::size_t BucketOf(std::uint64_t us);
    static double MiddleOf(std::size_t bucket);

    std::uint64_t count_ = 0;
    double sum_ = 0;
    double min_ = 0;
    double max_ = 0;
    std::vector<double> samples_;  // the first kExactSamples, then given up
    std::vector<std::uint64_t> buckets_ = std::vector<std::uint64_t>(kBuckets);
};
