#pragma once

// The buttons a bench may press over the control interface.
enum class ControlButton {
    Ignition,   // UiColBitBtn2, first tab
    Engine,     // UiColBitBtn1, first tab
    Ignition2,  // UiColBitBtn3, fourth tab
    Engine2,    // UiColBitBtn4, fourth tab
    Trip,       // UiColBitBtn7, trip check start/stop
    Curve,      // UiColBitBtn11, speed curve
    ClearDtc,   // UiColBitBtn8, clears the trouble-code window
};
