#pragma once

#include "drive/DriveCycle.h"

// The built-in curve as a cycle of its own: one pass of its 700 ticks, speed and fuel flow
// as "Запустить кривую" sets them, the rest of the values from the car model.
DriveCycle CurveCycle();
