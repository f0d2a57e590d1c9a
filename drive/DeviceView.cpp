#include "drive/DeviceView.h"

#include <algorithm>

#include "drive/VehicleModel.h"
#include "protocol/KwpFrame.h"
#include "protocol/LiveBlockDecoder.h"
#include "protocol/ObdPids.h"

namespace {

constexpr std::uint8_t kLiveDataReply = 0x61;
constexpr std::uint8_t kObdCurrentDataReply = 0x41;
constexpr std::uint8_t kObdVehicleSpeed = 0x0D;
constexpr std::uint8_t kObdFuelRate = 0x5E;

}  // namespace

void DeviceView::Held::Take(std::int64_t ms, double v) {
    if (lastMs) {
        const double interval = static_cast<double>(ms - *lastMs);
        sumIntervalsMs += interval;
        rate.longestMs = std::max(rate.longestMs.value_or(0.0), interval);
        rate.meanMs = sumIntervalsMs / rate.count;
    }
    ++rate.count;
    lastMs = ms;
    value = v;
}

void DeviceView::Start(std::int64_t ms) {
    *this = DeviceView();
    started_ = true;
    startMs_ = ms;
    atMs_ = ms;
}

void DeviceView::Advance(std::int64_t ms) {
    if (ms > atMs_) {
        totals_.Add(speed_.value.value_or(0.0), fuel_.value.value_or(0.0), ms - atMs_);
        atMs_ = ms;
    }
}

TripTotals DeviceView::TotalsAt(std::int64_t ms) const {
    TripTotals t = totals_;
    if (ms > atMs_) {
        t.Add(speed_.value.value_or(0.0), fuel_.value.value_or(0.0), ms - atMs_);
    }
    return t;
}

void DeviceView::Received(std::int64_t ms, std::optional<double> speedKmh, std::optional<double> fuelFlowLh) {
    if (!started_ || ms < startMs_ || (!speedKmh && !fuelFlowLh)) {
        return;
    }
    Advance(ms);
    ++replies_;
    if (speedKmh) {
        speed_.Take(ms, *speedKmh);
    }
    if (fuelFlowLh) {
        fuel_.Take(ms, *fuelFlowLh);
    }
}

void DeviceView::ReplySent(std::int64_t ms, EcuVariant variant, const std::uint8_t* frame, std::size_t n) {
    const FrameSize size = ExpectedFrameSize(frame, n);
    if (size.status != FrameSize::Status::Known || size.bytes != n) {
        return;
    }
    const FrameView view = DecodeFrame(frame);
    const std::uint8_t* data = view.data;
    if (view.length >= 2 && data[0] == kLiveDataReply && data[1] == 0x01) {
        const LiveBlockDecoder::Result block = LiveBlockDecoder::Decode(variant, data, view.length);
        if (!block.error.empty()) {
            return;
        }
        std::optional<double> speed, fuel, injection, rpm;
        for (const DecodedValue& v : block.values) {
            if (v.name == "speed") speed = v.value;
            if (v.name == "fuel-flow") fuel = v.value;
            if (v.name == "injection") injection = v.value;
            if (v.name == "rpm") rpm = v.value;
        }
        // A block without a fuel-flow field (Bosch MP7.0): the device counts from injection and rpm.
        if (!fuel && injection && rpm) {
            fuel = VehicleModel::FuelFromInjection(*injection, *rpm);
        }
        Received(ms, speed, fuel);
        return;
    }
    if (view.length >= 2 && data[0] == kObdCurrentDataReply &&
        (data[1] == kObdVehicleSpeed || data[1] == kObdFuelRate)) {
        const ObdPid* pid = FindObdPid(data[1]);
        if (pid == nullptr || view.length != 2u + pid->size) {
            return;
        }
        std::uint32_t raw = 0;
        for (std::size_t i = 0; i < pid->size; ++i) {
            raw = (raw << 8) | data[2 + i];
        }
        const double value = ObdPidValue(*pid, raw);
        if (data[1] == kObdVehicleSpeed) {
            Received(ms, value, std::nullopt);
        } else {
            Received(ms, std::nullopt, value);
        }
    }
}
