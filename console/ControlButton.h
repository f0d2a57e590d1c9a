#pragma once

// The operator's buttons that have a meaning beyond the window itself: the scenario switches,
// the trip check and curve, and the clearing of the trouble-code window.
enum class ControlButton {
    Ignition,   // trip computer tab
    Engine,     // trip computer tab
    Ignition2,  // tester tab
    Engine2,    // tester tab
    Trip,       // trip check start/stop
    Curve,      // speed curve
    ClearDtc,   // clears the trouble-code window
};
