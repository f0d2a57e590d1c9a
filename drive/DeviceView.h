#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "drive/TripTotals.h"
#include "protocol/EcuVariant.h"

// How often the device asked for one value: the intervals between the replies that carried it.
struct PollRate {
    int count = 0;
    std::optional<double> meanMs;
    std::optional<double> longestMs;
};

// What a correct trip computer shows, given exactly what it received: the speed and fuel
// flow of every data reply sent, read back as the device reads them (the field's step and
// byte order included), each held until the next reply that carries it, integrated over the
// run. Live blocks (21 01) decode by the controller type that sent them; OBD replies by their
// PID (0D speed, 5E fuel rate).
class DeviceView {
public:
    // Counting starts here; replies before it are not counted.
    void Start(std::int64_t ms);
    // A reply frame as it left, header to checksum.
    void ReplySent(std::int64_t ms, EcuVariant variant, const std::uint8_t* frame, std::size_t n);
    // Values received at `ms`; a value not given keeps the one held.
    void Received(std::int64_t ms, std::optional<double> speedKmh, std::optional<double> fuelFlowLh);

    // The totals at `ms`, the last values held until then.
    TripTotals TotalsAt(std::int64_t ms) const;
    int Replies() const { return replies_; }
    const PollRate& SpeedPolls() const { return speed_.rate; }
    const PollRate& FuelPolls() const { return fuel_.rate; }

private:
    struct Held {
        std::optional<double> value;
        std::optional<std::int64_t> lastMs;
        double sumIntervalsMs = 0;
        PollRate rate;
        void Take(std::int64_t ms, double v);
    };

    void Advance(std::int64_t ms);

    bool started_ = false;
    std::int64_t startMs_ = 0;
    std::int64_t atMs_ = 0;  // counted up to here
    TripTotals totals_;
    Held speed_, fuel_;
    int replies_ = 0;
};
