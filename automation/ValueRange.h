#pragma once

// The values an instrument takes, both ends included.
struct ValueRange {
    double min = 0.0;
    double max = 0.0;
};
