#pragma once

// The controller's waits in a slow init (ISO 9141-2, ISO 14230-2), in ms: W1 from the end of
// the 5-baud address to the sync byte 0x55, W2 from it to the first key byte, W3 to the second,
// W4 from the tester's inverted second key byte to the inverted address. W1 and W4 may be set
// outside their windows, to try a tester's tolerance.
struct SlowInitTiming {
    static constexpr int kW1MinMs = 60, kW1MaxMs = 300;
    static constexpr int kW4MinMs = 25, kW4MaxMs = 50;
    static constexpr int kW2Ms = 10;  // in 5–20
    static constexpr int kW3Ms = 10;  // in 0–20
    static constexpr int kMaxSettableMs = 5000;

    int w1Ms = 100;
    int w4Ms = 30;

    static bool Settable(int ms) { return ms >= 0 && ms <= kMaxSettableMs; }
};
