#include "LatencyStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::size_t LatencyStats::BucketOf(std::uint64_t us) {
    constexpr std::uint64_t kLinear = std::uint64_t{1} << kExactBits;
    if (us < kLinear) return static_cast<std::size_t>(us);
    // us in [2^(k+e), 2^(k+e+1)): 2^(k-1) buckets of width 2^(e+1).
    int e = 0;
    while ((us >> e) >= kLinear) ++e;
    const std::uint64_t within = (us >> e) - (kLinear >> 1);  // 2^(k-1) .. 2^k - 1, less 2^(k-1)
    return static_cast<std::size_t>(kLinear + (static_cast<std::uint64_t>(e - 1) << (kExactBits - 1)) + within);
}

double LatencyStats::MiddleOf(std::size_t bucket) {
    constexpr std::size_t kLinear = std::size_t{1} << kExactBits;
    if (bucket < kLinear) return static_cast<double>(bucket) / 1000.0;
    const std::size_t above = bucket - kLinear;
    const int e = static_cast<int>(above >> (kExactBits - 1)) + 1;
    const double low = std::ldexp(static_cast<double>((above & ((kLinear >> 1) - 1)) + (kLinear >> 1)), e);
    return (low + std::ldexp(1.0, e) / 2) / 1000.0;
}

void LatencyStats::Add(double ms) {
    min_ = count_ == 0 ? ms : std::min(min_, ms);
    max_ = count_ == 0 ? ms : std::max(max_, ms);
    sum_ += ms;
    ++count_;
    const double us = std::clamp(std::round(ms * 1000.0), 0.0, 1e18);
    ++buckets_[std::min(BucketOf(static_cast<std::uint64_t>(us)), kBuckets - 1)];
    if (count_ <= kExactSamples) {
        samples_.push_back(ms);
    } else if (!samples_.empty()) {
        std::vector<double>().swap(samples_);
    }
}

double LatencyStats::Percentile(double p) const {
    if (count_ == 0) {
        return 0;
    }
    const double rank = std::ceil(std::clamp(p, 0.0, 100.0) / 100.0 * static_cast<double>(count_));
    const std::uint64_t index = rank < 1 ? 0 : static_cast<std::uint64_t>(rank) - 1;
    if (!samples_.empty()) {
        std::vector<double> sorted = samples_;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min<std::size_t>(index, sorted.size() - 1)];
    }
    std::uint64_t seen = 0;
    for (std::size_t b = 0; b < buckets_.size(); ++b) {
        seen += buckets_[b];
        if (seen > index) return std::clamp(MiddleOf(b), min_, max_);
    }
    return max_;
}

std::string LatencyStats::Summary() const {
    if (count_ == 0) {
        return "no replies";
    }
    char text[160];
    std::snprintf(text, sizeof text, "min %.3f mean %.3f p50 %.3f p95 %.3f max %.3f ms", Min(), Mean(),
                  Percentile(50), Percentile(95), Max());
    return text;
}
