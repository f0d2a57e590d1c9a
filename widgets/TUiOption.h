#pragma once

// Parts an instrument draws; a set of these is its Options.
enum TUiOption {
    opBevelOuter = 1 << 0,
    opBevelInner = 1 << 1,
    opUnit = 1 << 2,
    opValue = 1 << 3,
    opName1 = 1 << 4,
    opName2 = 1 << 5,
    opScale = 1 << 6,
    opScaleText = 1 << 7,
};
