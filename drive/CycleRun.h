#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "drive/DeviceView.h"
#include "drive/DriveCycle.h"
#include "drive/TripTotals.h"
#include "drive/VehicleModel.h"
#include "drive/Verdict.h"

// One drive of a cycle: where the table is at each 100 ms tick and what the car's values
// are there, the console reference (the trip check, started with the cycle) and the device
// view, each split by phase, and the verdict on the figures the operator reads off the
// device. Times are milliseconds of one monotonic clock, given by the caller.
class CycleRun {
public:
    enum class State { Idle, Running, Finished, Stopped };

    // What the plots draw: one point a second.
    struct Sample {
        double timeS;
        double speedKmh;    // the table's
        double fuelFlowLh;  // what was set
        double consoleKm;
        double deviceKm;
    };

    // Both references over one phase (or the whole run).
    struct References {
        TripTotals console;
        TripTotals device;
    };

    void Start(DriveCycle cycle, std::int64_t nowMs);
    // The values to set now, or nullopt when no cycle is running. The tick at or past the
    // table's end sets its last row and finishes the run.
    std::optional<EngineValues> Tick(std::int64_t nowMs);
    void Stop(std::int64_t nowMs);

    // The trip check's figures since it started with the cycle, after each of its ticks, and
    // once more right after the tick that finished the run.
    void ConsoleCounted(const TripTotals& sinceStart);
    // A reply frame as it left.
    void ReplySent(std::int64_t ms, EcuVariant variant, const std::uint8_t* frame, std::size_t n);

    // The figures read off the device now: they are held against the references at the end
    // of the cycle, or of the last phase that has ended.
    void Enter(const EnteredFigures& figures);
    void SetTolerances(const Tolerances& tolerances) { tolerances_ = tolerances; }
    const Tolerances& GetTolerances() const { return tolerances_; }
    Verdict CurrentVerdict() const;
    const std::optional<EnteredFigures>& Entered() const { return entered_; }

    State GetState() const { return state_; }
    const std::optional<DriveCycle>& Cycle() const { return cycle_; }
    std::int64_t ElapsedMs() const { return elapsedMs_; }
    int Phase() const;
    // Phases that have ended.
    int PhasesEnded() const { return static_cast<int>(phaseEnds_.size()); }
    // The references of a phase: for one that has not ended, up to now.
    References PhaseReferences(int phase) const;
    References Total() const;
    const DeviceView& Device() const { return device_; }
    const std::vector<Sample>& Samples() const { return samples_; }
    // Seconds the car asked for more fuel than the air-flow range can carry.
    double SecondsAtAirFlowLimit() const { return limitMs_ / 1000.0; }

private:
    void EndPhasesBefore(int phase);
    References Now() const;

    State state_ = State::Idle;
    std::optional<DriveCycle> cycle_;
    VehicleModel model_;
    std::int64_t startMs_ = 0;
    std::int64_t elapsedMs_ = 0;
    std::int64_t previousTickMs_ = 0;
    double previousSpeed_ = 0;
    TripTotals console_;
    bool consoleClosed_ = false;
    DeviceView device_;
    std::vector<References> phaseEnds_;  // cumulative, at the end of each phase ended
    std::vector<Sample> samples_;
    double fuelSet_ = 0;
    std::int64_t limitMs_ = 0;
    Tolerances tolerances_;
    std::optional<EnteredFigures> entered_;
    int enteredAfterPhases_ = 0;
    bool enteredAtEnd_ = false;
    bool enteredAfterStop_ = false;
};
