// Bench automation runs the whole console in this process, with the console suite's start.
#include "console/main.cpp"
