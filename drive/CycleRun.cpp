#include "drive/CycleRun.h"

#include <algorithm>

namespace {

constexpr std::int64_t kSampleMs = 1000;

}  // namespace

void CycleRun::Start(DriveCycle cycle, std::int64_t nowMs) {
    const Tolerances tolerances = tolerances_;
    *this = CycleRun();
    tolerances_ = tolerances;
    cycle_.emplace(std::move(cycle));
    state_ = State::Running;
    startMs_ = nowMs;
    previousTickMs_ = nowMs;
    previousSpeed_ = cycle_->SpeedAt(0);
    device_.Start(nowMs);
}

std::optional<EngineValues> CycleRun::Tick(std::int64_t nowMs) {
    if (state_ != State::Running) {
        return std::nullopt;
    }
    const std::int64_t duration = cycle_->DurationMs();
    elapsedMs_ = std::min(std::max<std::int64_t>(nowMs - startMs_, 0), duration);
    const double speed = cycle_->SpeedAt(elapsedMs_);
    EngineValues values = model_.Step(speed, previousSpeed_, static_cast<double>(nowMs - previousTickMs_) / 1000.0);
    if (cycle_->Has(CycleColumn::FuelFlow)) {
        values.fuelFlowLh = cycle_->ValueAt(CycleColumn::FuelFlow, elapsedMs_);
    }
    if (cycle_->Has(CycleColumn::Rpm)) {
        values.rpm = cycle_->ValueAt(CycleColumn::Rpm, elapsedMs_);
    }
    if (cycle_->Has(CycleColumn::FuelFlow) || cycle_->Has(CycleColumn::Rpm)) {
        values.injectionMs = VehicleModel::InjectionFor(values.fuelFlowLh, values.rpm);
        values.airFlowKgh = VehicleModel::AirFlowFor(values.fuelFlowLh);
    }
    if (cycle_->Has(CycleColumn::Injection)) {
        values.injectionMs = cycle_->ValueAt(CycleColumn::Injection, elapsedMs_);
    }
    if (cycle_->Has(CycleColumn::Throttle)) {
        values.throttlePct = cycle_->ValueAt(CycleColumn::Throttle, elapsedMs_);
    }
    values.airFlowKgh = std::min(values.airFlowKgh, VehicleModel::kMaxAirFlowKgh);
    if (values.fuelHeld && !cycle_->Has(CycleColumn::FuelFlow)) {
        limitMs_ += nowMs - previousTickMs_;
    }
    fuelSet_ = values.fuelFlowLh;
    previousSpeed_ = speed;
    previousTickMs_ = nowMs;

    EndPhasesBefore(cycle_->PhaseAt(elapsedMs_));
    if (samples_.empty() || elapsedMs_ >= static_cast<std::int64_t>(samples_.back().timeS * 1000) + kSampleMs ||
        elapsedMs_ == duration) {
        const References now = Now();
        samples_.push_back({static_cast<double>(elapsedMs_) / 1000.0, speed, fuelSet_, now.console.distanceKm,
                            now.device.distanceKm});
    }
    if (elapsedMs_ >= duration) {
        EndPhasesBefore(static_cast<int>(cycle_->Phases().size()));
        state_ = State::Finished;
    }
    return values;
}

void CycleRun::Stop(std::int64_t nowMs) {
    if (state_ != State::Running) {
        return;
    }
    elapsedMs_ = std::min(std::max<std::int64_t>(nowMs - startMs_, 0), cycle_->DurationMs());
    state_ = State::Stopped;
}

void CycleRun::ConsoleCounted(const TripTotals& sinceStart) {
    if (state_ == State::Running) {
        console_ = sinceStart;
    } else if (state_ == State::Finished && !consoleClosed_) {
        // The trip check's tick right after the end counts the cycle's last moments.
        console_ = sinceStart;
        phaseEnds_.back().console = console_;
        consoleClosed_ = true;
    }
}

void CycleRun::ReplySent(std::int64_t ms, EcuVariant variant, const std::uint8_t* frame, std::size_t n) {
    if (state_ == State::Running) {
        device_.ReplySent(ms, variant, frame, n);
    }
}

CycleRun::References CycleRun::Now() const {
    return {console_, device_.TotalsAt(startMs_ + elapsedMs_)};
}

void CycleRun::EndPhasesBefore(int phase) {
    while (static_cast<int>(phaseEnds_.size()) < phase) {
        const CyclePhase& ending = cycle_->Phases()[phaseEnds_.size()];
        // The device view ends exactly at the boundary; the trip check at its last tick.
        const auto boundaryMs = static_cast<std::int64_t>(ending.endS * 1000.0 + 0.5);
        phaseEnds_.push_back({console_, device_.TotalsAt(startMs_ + std::min(boundaryMs, elapsedMs_))});
    }
}

int CycleRun::Phase() const {
    return cycle_ ? std::min(cycle_->PhaseAt(elapsedMs_), static_cast<int>(cycle_->Phases().size()) - 1) : 0;
}

CycleRun::References CycleRun::Total() const {
    return state_ == State::Finished && !phaseEnds_.empty() ? phaseEnds_.back() : Now();
}

CycleRun::References CycleRun::PhaseReferences(int phase) const {
    if (phase < 0 || !cycle_ || phase >= static_cast<int>(cycle_->Phases().size())) {
        return {};
    }
    const References end = phase < PhasesEnded() ? phaseEnds_[static_cast<std::size_t>(phase)] : Now();
    if (phase > PhasesEnded()) {
        return {};
    }
    if (phase == 0) {
        return end;
    }
    const References& start = phaseEnds_[static_cast<std::size_t>(phase - 1)];
    return {end.console.Since(start.console), end.device.Since(start.device)};
}

void CycleRun::Enter(const EnteredFigures& figures) {
    entered_ = figures;
    enteredAfterPhases_ = PhasesEnded();
    enteredAtEnd_ = state_ == State::Finished;
    enteredAfterStop_ = state_ == State::Stopped;
}

Verdict CycleRun::CurrentVerdict() const {
    Verdict v;
    if (!entered_) {
        v.reason = "no figures entered";
        return v;
    }
    if (enteredAfterStop_) {
        v.state = VerdictState::StoppedEarly;
        v.reason = "the cycle was stopped early";
        return v;
    }
    if (enteredAfterPhases_ == 0) {
        v.state = VerdictState::Running;
        v.reason = "no phase has ended yet";
        return v;
    }
    const References& at = phaseEnds_[static_cast<std::size_t>(enteredAfterPhases_ - 1)];
    v = JudgeFigures(*entered_, at.device, at.console, tolerances_);
    v.against = enteredAtEnd_ ? "cycle" : "phase " + cycle_->Phases()[static_cast<std::size_t>(enteredAfterPhases_ - 1)].name;
    if (device_.SpeedPolls().count == 0) {
        v.state = VerdictState::NoReplies;
        v.reason = "the device received no speed";
    }
    return v;
}
