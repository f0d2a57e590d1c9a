#pragma once

#include "emulator/EcuEnvironment.h"
#include "emulator/Fluctuation.h"
#include "emulator/MirrorNumber.h"

// The engine values of one live-data reply, read from the console at the moment a field
// asks for them: nothing is cached, so a field sees the mirror text as it is now. Speed
// and fuel flow come with the current deviation applied (when fluctuation is on).
class LiveValues {
public:
    LiveValues(const EcuEnvironment& env, const Fluctuation& fluctuation);

    long long Speed() const;       // Vd, km/h
    int Coolant() const;           // T, °C
    int EngineSpeed() const;       // N, rpm
    int ThrottleWhole() const;     // P as the integer the mirror holds, %
    double Throttle() const;       // P read as a decimal, %
    int IdleValve() const;         // A, steps
    double Fuel() const;           // Qd, l/h
    double AirFlow() const;        // M, kg/h
    double Voltage() const;        // U, V
    int IdleSpeed() const;         // I, rpm
    double Injection() const;      // J, ms
    double Consumption() const;    // C, l/100 km
    int TroubleCount() const;      // K, ticked items of the trouble-code list

private:
    // Only a mirror that holds a whole number is read as one.
    template <Mirror kMirror>
    int Whole() const {
        static_assert(MirrorDecimals(kMirror) == 0, "this mirror holds decimals");
        return number_.Integer(env_.MirrorText(kMirror));
    }
    double Float(Mirror mirror) const;

    const EcuEnvironment& env_;
    const Fluctuation& fluctuation_;
    MirrorNumber number_;
};
