#include "line/ReplyLine.h"

#include <algorithm>
#include <utility>

ReplyLine::ReplyLine(ReplyPacer::Writer writer, ReplyPacer::Events events)
    : writer_(writer), pacer_(std::move(writer), std::move(events)) {}

int ReplyLine::Send(const std::uint8_t* bytes, int count) {
    // Nothing to wait for and nothing waiting ahead of it: straight to the port.
    if (!timing_.Paced() && p2Min_.count() == 0 && !pacer_.Busy()) {
        // Told as sent only once the port has taken it.
        const Clock::time_point now = Clock::now();
        const auto n = static_cast<std::size_t>(count);
        int put = 0;
        try {
            put = writer_(bytes, count);
        } catch (...) {
            if (frameRefused_) frameRefused_(bytes, n, now);
            throw;
        }
        if (put == count) {
            if (frameLeft_) frameLeft_(bytes, n, now, now);
        } else if (frameRefused_) {
            frameRefused_(bytes, n, now);
        }
        return put;
    }
    Pace({ReplyPiece{std::vector<std::uint8_t>(bytes, bytes + count), 0}});
    return count;
}

void ReplyLine::Send(const ReplyPieces& pieces) {
    if (pieces.size() == 1 && pieces.front().pauseBeforeMs == 0) {
        Send(pieces.front().bytes.data(), static_cast<int>(pieces.front().bytes.size()));
        return;
    }
    Pace(pieces);
}

void ReplyLine::Pace(ReplyPieces pieces) {
    // A controller busy with one answer starts timing the next request when it is done.
    const Clock::time_point from = std::max(requestEnd_, pacer_.LastGone());
    const auto p2 = std::max(std::chrono::milliseconds(timing_.p2Ms), p2Min_);
    pacer_.Queue({std::move(pieces), from + p2, std::chrono::milliseconds(timing_.p1Ms)});
}

void ReplyLine::SendAt(const std::uint8_t* bytes, int count, Clock::time_point moment) {
    pacer_.Queue({{ReplyPiece{std::vector<std::uint8_t>(bytes, bytes + count), 0}}, moment, {}});
}
