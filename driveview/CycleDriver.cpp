#include "driveview/CycleDriver.h"

#include <QTimer>
#include <utility>

namespace {

constexpr int kTickMs = 100;

}  // namespace

CycleDriver::CycleDriver(Console console, Clock clock, QObject* parent)
    : QObject(parent), console_(std::move(console)), clock_(std::move(clock)), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("CycleTimer"));
    timer_->setInterval(kTickMs);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &CycleDriver::Tick);
}

void CycleDriver::Start(DriveCycle cycle) {
    timer_->stop();
    console_.startEngine();
    run_.Start(std::move(cycle), clock_());
    console_.restartTripCheck();
    Tick();
    timer_->start();
}

void CycleDriver::Stop() {
    if (!Running()) {
        return;
    }
    timer_->stop();
    console_.countTrip();
    run_.Stop(clock_());
    console_.stopTripCheck();
    emit Changed();
}

void CycleDriver::Tick() {
    const auto values = run_.Tick(clock_());
    if (!values) {
        timer_->stop();
        return;
    }
    const DriveCycle& cycle = *run_.Cycle();
    console_.set(Mirror::Speed, values->speedKmh);
    console_.set(Mirror::EngineSpeed, values->rpm);
    console_.set(Mirror::FuelFlow, values->fuelFlowLh);
    console_.set(Mirror::Injection, values->injectionMs);
    console_.set(Mirror::AirFlow, values->airFlowKgh);
    console_.set(Mirror::Throttle, values->throttlePct);
    if (cycle.Has(CycleColumn::Coolant)) {
        console_.set(Mirror::Coolant, cycle.ValueAt(CycleColumn::Coolant, run_.ElapsedMs()));
    }
    if (run_.GetState() == CycleRun::State::Finished) {
        timer_->stop();
        // The cycle's last moments are counted before the trip check stops with it.
        console_.countTrip();
        console_.stopTripCheck();
    }
    emit Changed();
}

void CycleDriver::ReplySent(std::int64_t ms, const std::uint8_t* frame, std::size_t n) {
    run_.ReplySent(ms, console_.variant(), frame, n);
}

void CycleDriver::TripCounted(const TripTotals& sinceStart) {
    run_.ConsoleCounted(sinceStart);
}
