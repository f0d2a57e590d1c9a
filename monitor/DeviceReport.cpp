#include "monitor/DeviceReport.h"

#include <algorithm>
#include <cstdio>

#include "protocol/FrameMeaning.h"

namespace {

DeviceReport::Figure Graded(std::optional<double> ms, std::optional<double> low, std::optional<double> high) {
    DeviceReport::Figure f{ms, low, high, DeviceReport::Mark::NoData};
    if (ms) {
        const bool within = (!low || *ms >= *low) && (!high || *ms <= *high);
        f.mark = within ? DeviceReport::Mark::Within : DeviceReport::Mark::Outside;
    }
    return f;
}

std::string Number(std::optional<double> value) {
    if (!value) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", *value);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string FigureJson(const DeviceReport::Figure& f) {
    return "{\"ms\":" + Number(f.ms) + ",\"limit_min_ms\":" + Number(f.limitMinMs) +
           ",\"limit_max_ms\":" + Number(f.limitMaxMs) + ",\"mark\":" + Quoted(DeviceReport::MarkName(f.mark)) +
           "}";
}

}  // namespace

void DeviceReport::Pauses::Add(std::int64_t us) {
    us = std::max<std::int64_t>(us, 0);
    const std::int64_t fineLimit = std::int64_t{kFine} * 10;
    std::size_t bin = us < fineLimit ? static_cast<std::size_t>(us / 10)
                                     : static_cast<std::size_t>(kFine + (us - fineLimit) / 1000);
    bins_[std::min(bin, bins_.size() - 1)]++;
    min_ = count_ == 0 ? us : std::min(min_, us);
    ++count_;
}

std::optional<double> DeviceReport::Pauses::MinMs() const {
    if (count_ == 0) return std::nullopt;
    return min_ / 1000.0;
}

std::optional<double> DeviceReport::Pauses::MedianMs() const {
    if (count_ == 0) return std::nullopt;
    const std::uint64_t half = (count_ + 1) / 2;
    std::uint64_t seen = 0;
    for (std::size_t bin = 0; bin < bins_.size(); ++bin) {
        seen += bins_[bin];
        if (seen >= half) {
            // The middle of the bin, but never below the shortest pause, which may lie in the
            // bin's upper half.
            const double us = bin < kFine ? bin * 10.0 + 5 : kFine * 10.0 + (bin - kFine) * 1000.0 + 500;
            return std::max(us, static_cast<double>(min_)) / 1000.0;
        }
    }
    return std::nullopt;
}

DeviceReport::DeviceReport(StampResolution resolution) : resolution_(std::move(resolution)) {}

void DeviceReport::Clear() {
    *this = DeviceReport(resolution_);
}

void DeviceReport::Add(const MonitorRow& row) {
    const bool wakeUp = row.kind == MonitorRowKind::Event && row.event == LinkEvent::WakeUp;
    if (row.kind == MonitorRowKind::Event) {
        switch (row.event) {
        case LinkEvent::WakeUp: ++counts_.wakeUps; break;
        case LinkEvent::NotAFrameStart: ++counts_.malformedHeaders; break;
        case LinkEvent::StalePartialFrame: ++counts_.partialFramesDropped; break;
        case LinkEvent::BadChecksum: break;  // counted with its request below
        case LinkEvent::Unanswered:
            ++counts_.unanswered[row.reason];
            if (row.reason == UnansweredReason::OtherAddress) ++counts_.otherAddresses;
            break;
        case LinkEvent::FiveBaudAddress: ++counts_.slowInits; break;
        case LinkEvent::KeyByte: keyByteUs_ = row.atUs; break;
        case LinkEvent::InvertedKey:
            if (keyByteUs_) {
                const std::int64_t w4 = row.atUs - *keyByteUs_;
                w4MinUs_ = std::min(w4MinUs_.value_or(w4), w4);
                w4MaxUs_ = std::max(w4MaxUs_.value_or(w4), w4);
                keyByteUs_.reset();
            }
            break;
        case LinkEvent::InvertedAddress: lastActivityUs_ = row.atUs; break;  // the link is open from here
        case LinkEvent::LinkDropped: lastActivityUs_.reset(); break;
        case LinkEvent::PortLost:
            replyEndUs_.reset();  // no pause of the tester's spans an outage of ours
            break;
        case LinkEvent::PortBack:
            if (lastActivityUs_) lastActivityUs_ = row.atUs;  // nor does a silence
            break;
        case LinkEvent::WriteFailed:  // not the tester's doing
        case LinkEvent::IgnitionOff:
        case LinkEvent::Echo:
        case LinkEvent::Sync:
        case LinkEvent::SlowInitRefused:
        case LinkEvent::None:
            break;
        }
        // An echo is our own line talking back: it does not stand between a wake-up and its start.
        if (row.event != LinkEvent::Echo) lastWasWakeUp_ = wakeUp;
        return;
    }

    const auto header = FrameMeaning::ReadHeader(row.bytes.data(), row.bytes.size());
    const std::int64_t endUs = row.atUs + row.spanUs;
    if (lastActivityUs_) {
        longestSilenceUs_ = std::max(longestSilenceUs_.value_or(0), row.atUs - *lastActivityUs_);
    }
    if (row.kind == MonitorRowKind::Reply) {
        ++counts_.replies;
        // Bytes back to back take their line time; bytes that left one by one end with the last.
        replyEndUs_ = row.spanUs > 0 ? row.atUs + row.spanUs + static_cast<std::int64_t>(resolution_.lineUsPerByte)
                                     : row.atUs + static_cast<std::int64_t>(resolution_.lineUsPerByte * row.bytes.size());
        if (header.valid && header.length > 0) {
            const std::uint8_t sid = row.bytes[header.dataOffset];
            if (sid == 0xC1) lastActivityUs_ = *replyEndUs_;  // communication active from here
            else if (sid == 0xC2) lastActivityUs_.reset();    // and ended here
            else if (lastActivityUs_) lastActivityUs_ = *replyEndUs_;
        }
        lastWasWakeUp_ = false;
        return;
    }

    // A request.
    if (replyEndUs_) {
        p3_.Add(row.atUs - *replyEndUs_);
        replyEndUs_.reset();
    }
    if (row.spanUs > 0) {
        ++counts_.requestsInPieces;
        p4MinUs_ = std::min<std::int64_t>(p4MinUs_.value_or(row.minGapUs), row.minGapUs);
        p4MaxUs_ = std::max<std::int64_t>(p4MaxUs_.value_or(row.maxGapUs), row.maxGapUs);
    } else {
        ++counts_.requestsInOnePiece;
    }
    if (lastActivityUs_) lastActivityUs_ = endUs;
    if (header.valid && !header.checksumOk) ++counts_.badChecksums;
    const std::uint8_t* data = header.valid ? row.bytes.data() + header.dataOffset : nullptr;
    const std::size_t length = header.valid ? header.length : 0;
    ++counts_.requests[FrameMeaning::ServiceKey(data, length)];
    if (length > 0 && data[0] == 0x81) {
        ++counts_.starts;
        if (lastWasWakeUp_) ++counts_.startsAfterWakeUp;
        started_ = true;
    } else if (!started_) {
        ++counts_.requestsBeforeStart;
    }
    lastWasWakeUp_ = false;
}

DeviceReport::Figures DeviceReport::Compute() const {
    Figures f = counts_;
    f.resolution = resolution_;
    f.p3Min = Graded(p3_.MinMs(), kP3MinMs, kP3MaxMs);
    f.p3Median = Graded(p3_.MedianMs(), kP3MinMs, kP3MaxMs);
    const auto ms = [](std::optional<std::int64_t> us) {
        return us ? std::optional<double>(*us / 1000.0) : std::nullopt;
    };
    // Graded over the gaps between the pieces of requests only.
    const int requests = counts_.requestsInOnePiece + counts_.requestsInPieces;
    const bool writtenAtOnce = requests > 0 && counts_.requestsInOnePiece >= kWrittenAtOnceShare * requests;
    const std::optional<std::int64_t> none = writtenAtOnce ? std::optional<std::int64_t>(0) : std::nullopt;
    f.p4Min = Graded(ms(p4MinUs_ ? p4MinUs_ : none), kP4MinMs, kP4MaxMs);
    f.p4Max = Graded(ms(p4MaxUs_ ? p4MaxUs_ : none), kP4MinMs, kP4MaxMs);
    if (writtenAtOnce) f.p4Min.mark = f.p4Max.mark = Mark::WrittenAtOnce;
    f.longestSilence = Graded(ms(longestSilenceUs_), std::nullopt, kP3MaxMs);
    f.w4Min = Graded(ms(w4MinUs_), kW4MinMs, kW4MaxMs);
    f.w4Max = Graded(ms(w4MaxUs_), kW4MinMs, kW4MaxMs);
    return f;
}

const char* DeviceReport::MarkName(Mark mark) {
    switch (mark) {
    case Mark::NoData: return "no data";
    case Mark::Within: return "within";
    case Mark::Outside: return "outside";
    case Mark::WrittenAtOnce: return "outside: request written at once";
    }
    return "";
}

const char* DeviceReport::ReasonName(UnansweredReason reason) {
    switch (reason) {
    case UnansweredReason::IgnitionOff: return "ignition off";
    case UnansweredReason::OtherAddress: return "another address";
    case UnansweredReason::NotStarted: return "communication not started";
    case UnansweredReason::NoService: return "no service";
    case UnansweredReason::FaultMode: return "fault mode";
    case UnansweredReason::QueueFull: return "reply queue full";
    }
    return "";
}

std::string DeviceReport::Json() const {
    const Figures f = Compute();
    std::string requests, unanswered;
    for (const auto& [key, count] : f.requests) {
        requests += (requests.empty() ? "" : ",") + Quoted(key) + ":" + std::to_string(count);
    }
    for (const UnansweredReason reason : {UnansweredReason::IgnitionOff, UnansweredReason::OtherAddress,
                                          UnansweredReason::NotStarted, UnansweredReason::NoService,
                                          UnansweredReason::FaultMode, UnansweredReason::QueueFull}) {
        const auto it = f.unanswered.find(reason);
        unanswered += (unanswered.empty() ? "" : ",") + Quoted(ReasonName(reason)) + ":" +
                      std::to_string(it == f.unanswered.end() ? 0 : it->second);
    }
    return "{\"p3_min\":" + FigureJson(f.p3Min) + ",\"p3_median\":" + FigureJson(f.p3Median) +
           ",\"p4_min\":" + FigureJson(f.p4Min) + ",\"p4_max\":" + FigureJson(f.p4Max) +
           ",\"requests_in_one_piece\":" + std::to_string(f.requestsInOnePiece) +
           ",\"requests_in_pieces\":" + std::to_string(f.requestsInPieces) +
           ",\"longest_silence\":" + FigureJson(f.longestSilence) + ",\"start\":{\"starts\":" +
           std::to_string(f.starts) + ",\"after_wake_up\":" + std::to_string(f.startsAfterWakeUp) +
           ",\"requests_before_start\":" + std::to_string(f.requestsBeforeStart) + "},\"requests\":{" + requests +
           "},\"replies\":" + std::to_string(f.replies) + ",\"unanswered\":{" + unanswered +
           "},\"bad_checksums\":" + std::to_string(f.badChecksums) +
           ",\"malformed_headers\":" + std::to_string(f.malformedHeaders) +
           ",\"partial_frames_dropped\":" + std::to_string(f.partialFramesDropped) +
           ",\"other_addresses\":" + std::to_string(f.otherAddresses) + ",\"wake_ups\":" + std::to_string(f.wakeUps) +
           ",\"slow_inits\":" + std::to_string(f.slowInits) + ",\"w4_min\":" + FigureJson(f.w4Min) +
           ",\"w4_max\":" + FigureJson(f.w4Max) +
           ",\"resolution\":{\"kind\":" + Quoted(f.resolution.kind) + ",\"text\":" + Quoted(f.resolution.text) +
           ",\"ms\":" + Number(f.resolution.resolutionMs) + "}}";
}
