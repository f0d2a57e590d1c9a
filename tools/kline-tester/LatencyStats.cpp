#include "LatencyStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

double LatencyStats::Min() const {
    return samples_.empty() ? 0 : *std::min_element(samples_.begin(), samples_.end());
}

double LatencyStats::Max() const {
    return samples_.empty() ? 0 : *std::max_element(samples_.begin(), samples_.end());
}

double LatencyStats::Mean() const {
    return samples_.empty() ? 0 : std::accumulate(samples_.begin(), samples_.end(), 0.0) / samples_.size();
}

double LatencyStats::Percentile(double p) const {
    if (samples_.empty()) {
        return 0;
    }
    std::vector<double> sorted = samples_;
    std::sort(sorted.begin(), sorted.end());
    const double rank = std::ceil(std::clamp(p, 0.0, 100.0) / 100.0 * sorted.size());
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}

std::string LatencyStats::Summary() const {
    if (samples_.empty()) {
        return "no replies";
    }
    char text[160];
    std::snprintf(text, sizeof text, "min %.3f mean %.3f p50 %.3f p95 %.3f max %.3f ms", Min(), Mean(),
                  Percentile(50), Percentile(95), Max());
    return text;
}
