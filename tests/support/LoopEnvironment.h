#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "support/FakeEnvironment.h"

// The console of FakeEnvironment under a benchmark's loop: its port hands over the same
// request on every read and only counts what is written; the log is dropped.
class LoopEnvironment : public FakeEnvironment {
public:
    void SetRequest(Bytes request) { request_ = std::move(request); }
    int Size() const { return static_cast<int>(request_.size()); }

    int ReadBuf(std::uint8_t* buffer, int count) override {
        const int n = std::min(count, Size());
        std::memcpy(buffer, request_.data(), static_cast<std::size_t>(n));
        return n;
    }
    int WriteBuf(const std::uint8_t*, int count) override {
        written += static_cast<std::size_t>(count);
        return count;
    }
    void AppendLog(const std::string&) override {}

    std::size_t written = 0;

private:
    Bytes request_;
};
