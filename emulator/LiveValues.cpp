#include "emulator/LiveValues.h"

LiveValues::LiveValues(const EcuEnvironment& env, const Fluctuation& fluctuation)
    : env_(env), fluctuation_(fluctuation), number_(env.MirrorNumberFormat()) {}

double LiveValues::Float(Mirror mirror) const {
    return number_.Float(env_.MirrorText(mirror));
}

long long LiveValues::Speed() const {
    return fluctuation_.DeviatedSpeed(Whole<Mirror::Speed>());
}

int LiveValues::Coolant() const {
    return Whole<Mirror::Coolant>();
}

int LiveValues::EngineSpeed() const {
    return Whole<Mirror::EngineSpeed>();
}

int LiveValues::ThrottleWhole() const {
    return Whole<Mirror::Throttle>();
}

double LiveValues::Throttle() const {
    return Float(Mirror::Throttle);
}

int LiveValues::IdleValve() const {
    return Whole<Mirror::IdleValve>();
}

double LiveValues::Fuel() const {
    return fluctuation_.DeviatedFuel(Float(Mirror::FuelFlow));
}

double LiveValues::AirFlow() const {
    return Float(Mirror::AirFlow);
}

double LiveValues::Voltage() const {
    return Float(Mirror::Voltage);
}

int LiveValues::IdleSpeed() const {
    return Whole<Mirror::IdleSpeed>();
}

double LiveValues::Injection() const {
    return Float(Mirror::Injection);
}

double LiveValues::Consumption() const {
    return Float(Mirror::Consumption);
}

int LiveValues::TroubleCount() const {
    int ticked = 0;
    const int items = env_.TroubleCodeItemCount();
    for (int i = 0; i < items; ++i) {
        if (env_.TroubleCodeTicked(i)) {
            ++ticked;
        }
    }
    return ticked;
}
