#pragma once

#include <string>
#include <vector>

// Reply latencies of a --repeat run.
class LatencyStats {
public:
    void Add(double ms) { samples_.push_back(ms); }
    int Count() const { return static_cast<int>(samples_.size()); }
    double Min() const;
    double Max() const;
    double Mean() const;
    // The nearest-rank percentile, p in 0..100.
    double Percentile(double p) const;
    // "min 0.412 mean 0.731 p50 0.650 p95 1.200 max 3.100 ms", or "no replies".
    std::string Summary() const;

private:
    std::vector<double> samples_;
};
